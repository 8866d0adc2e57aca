#include "platform/web/present.h"

#include <cstddef>

// The page's side, in library.js.
extern "C" {
void brennow_put(const unsigned char* pixels, int width, int height, int x, int y, int w, int h);
void brennow_put_box(const unsigned char* pixels, int width, int height);
}

namespace platform {

namespace {

void ToRgba(const Surface& frame, const Rect& area, std::vector<unsigned char>& rgba)
{
    for (int y = area.Y; y < area.Y + area.Height; ++y) {
        const Pixel* in = frame.Row(y) + area.X;
        unsigned char* out = rgba.data() + (static_cast<std::size_t>(y) * frame.Width() + area.X) * 4;
        for (int x = 0; x < area.Width; ++x, out += 4) {
            const Pixel p = in[x];
            out[0] = static_cast<unsigned char>((p >> 16U) & 0xFFU);
            out[1] = static_cast<unsigned char>((p >> 8U) & 0xFFU);
            out[2] = static_cast<unsigned char>(p & 0xFFU);
            out[3] = 0xFF;
        }
    }
}

}  // namespace

PlayfieldCanvas::PlayfieldCanvas(int width, int height)
    : width_(width), height_(height),
      rgba_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0xFF)
{
}

void PlayfieldCanvas::Present(const Surface& frame, std::span<const Rect> changed)
{
    if (frame.Width() != width_ || frame.Height() != height_) {
        return;
    }
    const Rect all = frame.Bounds();
    if (changed.empty()) {
        ToRgba(frame, all, rgba_);
        brennow_put(rgba_.data(), width_, height_, 0, 0, width_, height_);
        return;
    }
    for (const Rect& area : changed) {
        const Rect part = area.Intersect(all);
        if (!part.Empty()) {
            ToRgba(frame, part, rgba_);
            brennow_put(rgba_.data(), width_, height_, part.X, part.Y, part.Width, part.Height);
        }
    }
}

void PutBoxPixels(const Surface& pixels)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(pixels.Width()) * pixels.Height() * 4);
    ToRgba(pixels, pixels.Bounds(), rgba);
    brennow_put_box(rgba.data(), pixels.Width(), pixels.Height());
}

}  // namespace platform
