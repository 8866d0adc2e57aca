// modBitBlt: declares the graphics function that draws the player figure, the
// block transfer of the system graphics library "gdi32", with the two raster
// operations the game uses.
#pragma once

#include <cstdint>

#include "platform/graphics/surface.h"

// windows.h defines these names as macros of its own; a file that includes a
// game header must not include it.
#if defined(SRCAND) || defined(SRCINVERT) || defined(BitBlt)
#error "windows.h was included before a game header: keep it out of files that include game headers"
#endif

constexpr std::int32_t SRCAND = 0x8800C6;     // destination = destination AND source
constexpr std::int32_t SRCINVERT = 0x660046;  // destination = destination XOR source

// Result ignored by the game: a failed copy leaves the surface unchanged.
std::int32_t BitBlt(platform::HDC hDestDC, std::int32_t x, std::int32_t y, std::int32_t nWidth, std::int32_t nHeight,
                    platform::HDC hSrcDC, std::int32_t xSrc, std::int32_t ySrc, std::int32_t dwRop);
