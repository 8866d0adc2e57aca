// What the real window's backend computes without a display: its scale, the
// enlarged frame, and the key codes the game receives.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>

#include "platform/sdl/sdl_backend.h"

using namespace platform;

TEST(DisplayScale, TheDesktopsRequestComesFirstThenTheDensityInWholeSteps)
{
    EXPECT_EQ(ScaleFor("2", 96), 2);
    EXPECT_EQ(ScaleFor("3", 0), 3);
    EXPECT_EQ(ScaleFor("1", 192), 1);
    EXPECT_EQ(ScaleFor("100", 96), 8);
    // Not a whole number of at least 1: ignored, the density decides.
    EXPECT_EQ(ScaleFor("1.5", 192), 2);
    EXPECT_EQ(ScaleFor("0", 96), 1);
    EXPECT_EQ(ScaleFor("", 192), 2);
    EXPECT_EQ(ScaleFor("-2", 96), 1);
    EXPECT_EQ(ScaleFor(nullptr, 96), 1);
    EXPECT_EQ(ScaleFor(nullptr, 100), 1);  // a little denser than standard: unchanged
    EXPECT_EQ(ScaleFor(nullptr, 144), 1);
    EXPECT_EQ(ScaleFor(nullptr, 168), 2);
    EXPECT_EQ(ScaleFor(nullptr, 192), 2);
    EXPECT_EQ(ScaleFor(nullptr, 288), 3);
    EXPECT_EQ(ScaleFor(nullptr, 0), 1);
    EXPECT_EQ(ScaleFor(nullptr, -96), 1);
    EXPECT_EQ(ScaleFor(nullptr, NAN), 1);
    EXPECT_EQ(ScaleFor(nullptr, 1e30F), 1);
}

TEST(DisplayScale, EnlargingMakesEachPixelACrispSquare)
{
    Surface frame(3, 2);
    frame.At(0, 0) = 0x112233;
    frame.At(2, 1) = 0xFFFFFF;
    Surface out;
    Enlarge(frame, 3, out);
    ASSERT_EQ(out.Width(), 9);
    ASSERT_EQ(out.Height(), 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(out.At(x, y), frame.At(x / 3, y / 3)) << x << "," << y;
        }
    }
}

TEST(KeyCodes, ArrowsLettersDigitsAndCommonKeysGetTheirVirtualKeyCodes)
{
    EXPECT_EQ(VirtualKeyCode(SDLK_LEFT), 37);
    EXPECT_EQ(VirtualKeyCode(SDLK_UP), 38);
    EXPECT_EQ(VirtualKeyCode(SDLK_RIGHT), 39);
    EXPECT_EQ(VirtualKeyCode(SDLK_DOWN), 40);
    EXPECT_EQ(VirtualKeyCode(SDLK_a), 65);
    EXPECT_EQ(VirtualKeyCode(SDLK_z), 90);
    EXPECT_EQ(VirtualKeyCode(SDLK_0), 48);
    EXPECT_EQ(VirtualKeyCode(SDLK_9), 57);
    EXPECT_EQ(VirtualKeyCode(SDLK_SPACE), 32);
    EXPECT_EQ(VirtualKeyCode(SDLK_RETURN), 13);
    EXPECT_EQ(VirtualKeyCode(SDLK_ESCAPE), 27);
    EXPECT_EQ(VirtualKeyCode(SDLK_F12), 123);
    EXPECT_EQ(VirtualKeyCode(SDLK_KP_9), 105);
    EXPECT_EQ(VirtualKeyCode(SDLK_APPLICATION), 0);
}
