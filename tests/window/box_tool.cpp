// Writes the message box the game draws for a text, as a binary PPM, so that
// a screenshot of the real box can be compared with it pixel for pixel.
//   brennow_box OUT.ppm TEXT
#include <fstream>
#include <iostream>

#include "assets/embedded.h"
#include "platform/message_box.h"
#include "platform/text.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: brennow_box OUT.ppm TEXT\n";
        return 2;
    }
    const platform::TextRenderer text(embedded::SansSerif());
    const platform::Surface box = platform::DrawMessageBox(platform::LayOutMessageBox(text, argv[2]), false);
    std::ofstream out(argv[1], std::ios::binary);
    out << "P6\n" << box.Width() << ' ' << box.Height() << "\n255\n";
    for (int y = 0; y < box.Height(); ++y) {
        for (int x = 0; x < box.Width(); ++x) {
            const platform::Pixel p = box.At(x, y);
            const char rgb[3] = {static_cast<char>((p >> 16U) & 0xFFU), static_cast<char>((p >> 8U) & 0xFFU),
                                 static_cast<char>(p & 0xFFU)};
            out.write(rgb, 3);
        }
    }
    return out ? 0 : 1;
}
