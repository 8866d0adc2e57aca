// Writes a surface as a binary PPM, the form the real-window tests compare
// screenshots with.
#pragma once

#include <fstream>
#include <string>

#include "platform/graphics/surface.h"

inline bool WritePpm(const std::string& path, const platform::Surface& surface)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << surface.Width() << ' ' << surface.Height() << "\n255\n";
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            const platform::Pixel p = surface.At(x, y);
            const char rgb[3] = {static_cast<char>((p >> 16U) & 0xFFU), static_cast<char>((p >> 8U) & 0xFFU),
                                 static_cast<char>(p & 0xFFU)};
            out.write(rgb, 3);
        }
    }
    return static_cast<bool>(out);
}
