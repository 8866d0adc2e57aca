// The files built into the program: the pictures stored with the window and
// the font that stands in for the old desktop's.
#pragma once

#include <span>

namespace embedded {

std::span<const unsigned char> MaskSheet();     // assets/mask.jpg
std::span<const unsigned char> ColourSheet();   // assets/sprite.jpg
std::span<const unsigned char> Obstacle();      // assets/obstacle.bmp
std::span<const unsigned char> Icon();          // assets/icons/brennow-64.bmp
std::span<const unsigned char> SansSerif();     // assets/fonts/BrennowSans-Regular.ttf

}  // namespace embedded
