#include "game/modBitBlt.h"

// Bound to the runtime's stand-in for "gdi32".
std::int32_t BitBlt(platform::HDC hDestDC, std::int32_t x, std::int32_t y, std::int32_t nWidth, std::int32_t nHeight,
                    platform::HDC hSrcDC, std::int32_t xSrc, std::int32_t ySrc, std::int32_t dwRop)
{
    return platform::BlockTransfer(hDestDC, x, y, nWidth, nHeight, hSrcDC, xSrc, ySrc, dwRop);
}
