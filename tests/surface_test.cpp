#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "game/modBitBlt.h"
#include "platform/graphics/surface.h"

using namespace platform;

namespace {

Surface Gradient(int width, int height)
{
    Surface s(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s.At(x, y) = Rgb(static_cast<std::uint8_t>(x * 10), static_cast<std::uint8_t>(y * 10), 0x5A);
        }
    }
    return s;
}

}  // namespace

TEST(BitBlt, AndThenXorGivesBackgroundWhereTransparentAndColourWhereOpaque)
{
    Surface dest(4, 1, Rgb(0x12, 0x34, 0x56));
    Surface mask(4, 1);
    Surface colour(4, 1);
    mask.At(0, 0) = Rgb(255, 255, 255);  // transparent
    colour.At(0, 0) = Rgb(0, 0, 0);
    mask.At(1, 0) = Rgb(0, 0, 0);  // opaque
    colour.At(1, 0) = Rgb(200, 100, 50);
    mask.At(2, 0) = Rgb(255, 255, 255);  // a wrong pair inverts the background's bits
    colour.At(2, 0) = Rgb(0xFF, 0, 0);
    mask.At(3, 0) = Rgb(0x0F, 0xF0, 0xFF);  // per channel AND
    EXPECT_NE(BitBlt(&dest, 0, 0, 4, 1, &mask, 0, 0, SRCAND), 0);
    EXPECT_NE(BitBlt(&dest, 0, 0, 4, 1, &colour, 0, 0, SRCINVERT), 0);
    EXPECT_EQ(dest.At(0, 0), Rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(dest.At(1, 0), Rgb(200, 100, 50));
    EXPECT_EQ(dest.At(2, 0), Rgb(0xED, 0x34, 0x56));
    EXPECT_EQ(dest.At(3, 0), Rgb(0x02, 0x30, 0x56));
}

TEST(BitBlt, CopiesTheCellAtTheSourceOffset)
{
    Surface sheet = Gradient(80, 84);
    Surface dest(464, 349);
    BitBlt(&dest, 100, 50, 20, 28, &sheet, 60, 56, SRCINVERT);
    EXPECT_EQ(dest.At(100, 50), sheet.At(60, 56));
    EXPECT_EQ(dest.At(119, 77), sheet.At(79, 83));
    EXPECT_EQ(dest.At(120, 50), 0U);
    EXPECT_EQ(dest.At(100, 78), 0U);
    EXPECT_EQ(dest.At(99, 50), 0U);
}

TEST(BitBlt, ClipsToBothSurfacesAtEveryEdge)
{
    const Surface sheet = Gradient(80, 84);
    Surface src = sheet;
    for (const auto& [x, y] : {std::pair{-10, -5}, {455, 340}, {-19, 0}, {0, 348}}) {
        Surface dest(464, 349);
        Surface expected(464, 349);
        for (int row = 0; row < 28; ++row) {
            for (int col = 0; col < 20; ++col) {
                if (expected.Contains(x + col, y + row)) {
                    expected.At(x + col, y + row) = sheet.At(20 + col, 28 + row);
                }
            }
        }
        BitBlt(&dest, x, y, 20, 28, &src, 20, 28, SRCINVERT);
        EXPECT_EQ(dest, expected) << "at " << x << ", " << y;
    }
    // Reading past the source's edge copies only what the source has.
    Surface dest(464, 349);
    BitBlt(&dest, 0, 0, 20, 28, &src, 70, 80, SRCINVERT);
    EXPECT_EQ(dest.At(9, 3), sheet.At(79, 83));
    EXPECT_EQ(dest.At(10, 3), 0U);
    EXPECT_EQ(dest.At(9, 4), 0U);
}

TEST(BitBlt, FarOutsideOrDegenerateCopiesChangeNothingAndDoNotFail)
{
    Surface src = Gradient(80, 84);
    Surface dest(464, 349, Rgb(1, 2, 3));
    const Surface before = dest;
    EXPECT_NE(BitBlt(&dest, INT_MAX, INT_MAX, 20, 28, &src, 0, 0, SRCAND), 0);
    EXPECT_NE(BitBlt(&dest, INT_MIN, INT_MIN, INT_MAX, INT_MAX, &src, 0, 0, SRCAND), 0);
    EXPECT_NE(BitBlt(&dest, 0, 0, -20, 28, &src, 0, 0, SRCAND), 0);
    EXPECT_NE(BitBlt(&dest, 0, 0, 20, 28, &src, -100, INT_MIN, SRCAND), 0);
    EXPECT_EQ(dest, before);
    EXPECT_EQ(BitBlt(nullptr, 0, 0, 20, 28, &src, 0, 0, SRCAND), 0);
    EXPECT_EQ(BitBlt(&dest, 0, 0, 20, 28, &src, 0, 0, 0x12345), 0);
    EXPECT_EQ(dest, before);
}

TEST(Surface, AViewDrawsIntoPixelsItDoesNotOwnAndACopyOwnsItsOwn)
{
    // A window's surface may have rows longer than its width.
    std::vector<Pixel> memory(6 * 3, 0xABCDEF);
    Surface view = Surface::View(memory.data(), 4, 3, 6);
    view.Fill(0);
    Surface picture(2, 2, 0x010203);
    view.Draw(picture, 3, 2, view.Bounds());  // clipped to one pixel
    EXPECT_EQ(memory[2 * 6 + 3], 0x010203U);
    EXPECT_EQ(memory[2 * 6 + 4], 0xABCDEFU);  // beyond the width: untouched
    EXPECT_EQ(memory[1 * 6 + 3], 0U);

    Surface copy = view;
    copy.At(0, 0) = 0xFFFFFF;
    EXPECT_EQ(memory[0], 0U);
    EXPECT_FALSE(copy == view);
    copy.At(0, 0) = 0;
    EXPECT_TRUE(copy == view);

    Surface moved = std::move(view);
    moved.At(1, 1) = 7;
    EXPECT_EQ(memory[1 * 6 + 1], 7U);
    EXPECT_EQ(Surface::View(nullptr, 4, 3, 6).Width(), 0);
    EXPECT_EQ(Surface::View(memory.data(), 7, 3, 6).Width(), 0);  // rows overlapping
}
