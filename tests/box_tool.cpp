// Writes the message box the game draws for a text, as a binary PPM, so that
// a screenshot of the real box can be compared with it pixel for pixel.
//   brennow_box OUT.ppm TEXT
#include <iostream>

#include "assets/embedded.h"
#include "platform/core/message_box.h"
#include "platform/graphics/text.h"
#include "tests/ppm.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: brennow_box OUT.ppm TEXT\n";
        return 2;
    }
    const platform::TextRenderer text(embedded::SansSerif());
    const platform::Surface box = platform::DrawMessageBox(platform::LayOutMessageBox(text, argv[2]), false);
    return WritePpm(argv[1], box) ? 0 : 1;
}
