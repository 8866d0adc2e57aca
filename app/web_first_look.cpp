// Writes the playfield's first frame as a PNG data: URL, for the web page to
// show the moment it is laid out, before the program has come. Built with
// the page's own libraries (FreeType, HarfBuzz, libjpeg-turbo) and run under
// node at build time, it makes the frame the program will draw, pixel for
// pixel: the same form, compositor and text, on the headless backend.
//   node brennow_first_look.js OUT
#include <emscripten.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/core/runtime.h"
#include "platform/graphics/media.h"
#include "platform/headless/headless_backend.h"

// The PNG (8-bit RGB, no interlace) from node's zlib, written as a data: URL.
// Each row takes the filter that leaves the smallest sum of its bytes, as
// libpng's heuristic does: the file is a few KiB.
// clang-format off
EM_JS(int, brennow_write_png_url, (const unsigned char* rgb, int width, int height, const char* path), {
    const zlib = require('zlib');
    const fs = require('fs');
    const stride = width * 3;
    const pixels = HEAPU8.subarray(rgb, rgb + stride * height);
    const raw = Buffer.alloc((stride + 1) * height);
    const line = Buffer.alloc(stride);
    for (let y = 0; y < height; ++y) {
        const row = pixels.subarray(y * stride, (y + 1) * stride);
        const up = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
        let best = null;
        for (const filter of [0, 1, 2]) {
            let sum = 0;
            for (let x = 0; x < stride; ++x) {
                const left = x >= 3 ? row[x - 3] : 0;
                const value = (row[x] - (filter === 1 ? left : filter === 2 ? up[x] : 0)) & 0xff;
                line[x] = value;
                sum += value < 128 ? value : 256 - value;
            }
            if (best === null || sum < best.sum) {
                best = { sum, filter, bytes: Buffer.from(line) };
            }
        }
        raw[y * (stride + 1)] = best.filter;
        best.bytes.copy(raw, y * (stride + 1) + 1);
    }
    const crcTable = Array.from({ length: 256 }, (_, n) => {
        let c = n;
        for (let k = 0; k < 8; ++k) {
            c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        }
        return c >>> 0;
    });
    const chunk = (type, body) => {
        const head = Buffer.alloc(8);
        head.writeUInt32BE(body.length, 0);
        head.write(type, 4, 'latin1');
        let c = 0xffffffff;
        for (const byte of Buffer.concat([head.subarray(4), body])) {
            c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
        }
        const tail = Buffer.alloc(4);
        tail.writeUInt32BE((c ^ 0xffffffff) >>> 0, 0);
        return Buffer.concat([head, body, tail]);
    };
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB
    const png = Buffer.concat([
        Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
        chunk('IDAT', zlib.deflateSync(raw, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
    try {
        fs.writeFileSync(UTF8ToString(path), 'data:image/png;base64,' + png.toString('base64'));
        return 1;
    } catch (error) {
        console.error('brennow_first_look: ' + error.message);
        return 0;
    }
});
// clang-format on

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: node brennow_first_look.js OUT\n");
        return 2;
    }
    try {
        platform::HeadlessBackend backend;
        platform::Media media(embedded::SansSerif());
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        runtime.Start<frmBomber>();
        const platform::Surface& frame = backend.Frame();
        if (frame.Width() <= 0 || frame.Height() <= 0) {
            std::fprintf(stderr, "brennow_first_look: no frame was presented\n");
            return 1;
        }
        std::vector<unsigned char> rgb;
        rgb.reserve(static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height()) * 3);
        for (int y = 0; y < frame.Height(); ++y) {
            for (int x = 0; x < frame.Width(); ++x) {
                const platform::Pixel p = frame.At(x, y);
                rgb.push_back(static_cast<unsigned char>((p >> 16U) & 0xFFU));
                rgb.push_back(static_cast<unsigned char>((p >> 8U) & 0xFFU));
                rgb.push_back(static_cast<unsigned char>(p & 0xFFU));
            }
        }
        return brennow_write_png_url(rgb.data(), frame.Width(), frame.Height(), argv[1]) != 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "brennow_first_look: %s\n", error.what());
        return 1;
    }
}
