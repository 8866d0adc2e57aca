// Checks the generated art the game embeds: the byte layouts its loaders rely
// on, and that the mask and colour sheets, as the game decodes them, draw the
// figure without touching the background around it.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include "assets/embedded.h"
#include "platform/graphics/media.h"
#include "platform/graphics/surface.h"
#include "platform/graphics/text.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kDir = BRENNOW_ASSETS_DIR;
constexpr int kCellW = 20, kCellH = 28, kCols = 4, kRows = 3;

std::vector<std::uint8_t> ReadFile(const std::string& name)
{
    std::ifstream in(kDir + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A little-endian field.
unsigned Le(const std::vector<std::uint8_t>& b, size_t at, int bytes)
{
    unsigned v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | b.at(at + i);
    }
    return v;
}

struct JpegFrame {
    int marker = 0, precision = 0, width = 0, height = 0;
    std::vector<int> sampling;  // per component: (h << 4) | v
};

// Walks the marker segments to the first start-of-frame.
JpegFrame FirstFrame(const std::vector<std::uint8_t>& b)
{
    JpegFrame f;
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) {
        return f;
    }
    for (size_t i = 2; i + 4 <= b.size() && b[i] == 0xFF;) {
        const int m = b[i + 1];
        if (m == 0xFF) {
            ++i;
            continue;
        }
        const size_t len = b[i + 2] << 8 | b[i + 3];
        const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (sof && i + 10 <= b.size()) {
            f.marker = m;
            f.precision = b[i + 4];
            f.height = b[i + 5] << 8 | b[i + 6];
            f.width = b[i + 7] << 8 | b[i + 8];
            for (int c = 0; c < b[i + 9] && i + 12 + 3 * c <= b.size(); ++c) {
                f.sampling.push_back(b[i + 11 + 3 * c]);
            }
            return f;
        }
        i += 2 + len;
    }
    return f;
}

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// Decoded as 0x00RRGGBB words so pixels can be read directly.
Surface Load(const std::string& name)
{
    Surface raw(IMG_Load((kDir + "/" + name).c_str()), SDL_FreeSurface);
    if (!raw) {
        return {nullptr, SDL_FreeSurface};
    }
    return {SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_XRGB8888, 0), SDL_FreeSurface};
}

struct Rgb {
    int r, g, b;
};
Rgb At(const SDL_Surface* s, int x, int y)
{
    const auto p = static_cast<const std::uint32_t*>(s->pixels)[y * (s->pitch / 4) + x];
    return {int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
}
bool Black(Rgb c)
{
    return c.r == 0 && c.g == 0 && c.b == 0;
}

TEST(AssetFormat, SheetsAreProgressiveFullChromaJpegs)
{
    for (const char* name : {"mask.jpg", "sprite.jpg"}) {
        SCOPED_TRACE(name);
        const JpegFrame f = FirstFrame(ReadFile(name));
        EXPECT_EQ(f.marker, 0xC2) << "expected SOF2 (progressive, Huffman)";
        EXPECT_EQ(f.precision, 8);
        EXPECT_EQ(f.width, kCellW * kCols);
        EXPECT_EQ(f.height, kCellH * kRows);
        ASSERT_EQ(f.sampling.size(), 3u);
        for (int s : f.sampling) {
            EXPECT_EQ(s, 0x11) << "chroma must not be subsampled";
        }
    }
}

TEST(AssetFormat, ObstacleIsPlain24BitBottomUpBmp)
{
    const auto b = ReadFile("obstacle.bmp");
    ASSERT_EQ(b.size(), 1254u);
    EXPECT_TRUE(b[0] == 'B' && b[1] == 'M');
    EXPECT_EQ(Le(b, 2, 4), 1254u);
    EXPECT_EQ(Le(b, 10, 4), 54u) << "pixel data must follow the headers: no palette";
    EXPECT_EQ(Le(b, 14, 4), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(static_cast<int>(Le(b, 18, 4)), 20);
    EXPECT_EQ(static_cast<int>(Le(b, 22, 4)), 20) << "positive height = bottom-up";
    EXPECT_EQ(Le(b, 28, 2), 24u);
    EXPECT_EQ(Le(b, 30, 4), 0u) << "uncompressed";
    EXPECT_EQ(Le(b, 46, 4), 0u) << "no colour table";
}

TEST(AssetFormat, FontIsTrueType)
{
    for (const char* name : {"fonts/LiberationSans-Regular.ttf", "fonts/BrennowSans-Regular.ttf"}) {
        const auto b = ReadFile(name);
        ASSERT_GT(b.size(), 10000u) << name;
        EXPECT_EQ(b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3], 0x00010000) << name;
    }
}

class DecodedAssets : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG), 0) << IMG_GetError(); }
};

// The figure drawn as the game draws it, from the sheets as the game decodes
// them, over a white background: a mask pixel short of pure white would clear
// some of the background's bits, a colour pixel above black where the mask is
// white would flip some; a mask pixel above black inside the figure would let
// the background into it. None may.
TEST(Sheets, DrawnThroughTheMaskTheyChangeNoBackgroundPixelAndShowTheColoursExactly)
{
    const platform::Surface mask = platform::DecodePicture(embedded::MaskSheet());
    const platform::Surface colour = platform::DecodePicture(embedded::ColourSheet());
    ASSERT_EQ(mask.Width(), kCellW * kCols);
    ASSERT_EQ(mask.Height(), kCellH * kRows);
    ASSERT_TRUE(colour.Width() == mask.Width() && colour.Height() == mask.Height());
    constexpr platform::Pixel kWhite = 0xFFFFFF;
    platform::Surface drawn(mask.Width(), mask.Height());
    drawn.Fill(kWhite);
    ASSERT_TRUE(platform::Blit(drawn, 0, 0, mask.Width(), mask.Height(), mask, 0, 0, platform::RasterOp::SrcAnd));
    ASSERT_TRUE(platform::Blit(drawn, 0, 0, mask.Width(), mask.Height(), colour, 0, 0, platform::RasterOp::SrcInvert));
    int notBlackOrWhite = 0, backgroundChanged = 0, figureWrong = 0, figures = 0;
    for (int y = 0; y < mask.Height(); ++y) {
        for (int x = 0; x < mask.Width(); ++x) {
            const platform::Pixel m = mask.At(x, y);
            if (m != 0 && m != kWhite && ++notBlackOrWhite <= 3) {
                ADD_FAILURE() << "mask pixel " << x << "," << y << " is " << std::hex << m;
            }
            if (m == kWhite && drawn.At(x, y) != kWhite && ++backgroundChanged <= 3) {
                ADD_FAILURE() << "background pixel " << x << "," << y << " became " << std::hex << drawn.At(x, y);
            }
            if (m != kWhite) {
                ++figures;
                figureWrong += drawn.At(x, y) != colour.At(x, y);
            }
        }
    }
    EXPECT_EQ(notBlackOrWhite, 0) << "mask pixels neither black nor white";
    EXPECT_EQ(backgroundChanged, 0) << "background pixels changed around the figure";
    EXPECT_EQ(figureWrong, 0) << "figure pixels that do not show the colour sheet";
    EXPECT_GT(figures, kCellW * kCellH * kCols * kRows / 5) << "the sheets hold no figure";
}

TEST_F(DecodedAssets, EveryCellHoldsAFigureInsideItsMargin)
{
    const Surface mask = Load("mask.jpg");
    ASSERT_TRUE(mask) << IMG_GetError();
    auto opaque = [&](int x, int y) { return Black(At(mask.get(), x, y)); };
    for (int col = 0; col < kCols; ++col) {
        std::vector<std::vector<bool>> frames;
        for (int row = 0; row < kRows; ++row) {
            SCOPED_TRACE("cell column " + std::to_string(col) + " frame " + std::to_string(row));
            std::vector<bool> cell;
            int count = 0, edge = 0;
            for (int y = 0; y < kCellH; ++y) {
                for (int x = 0; x < kCellW; ++x) {
                    const bool o = opaque(col * kCellW + x, row * kCellH + y);
                    cell.push_back(o);
                    count += o;
                    edge += o && (x == 0 || y == 0 || x == kCellW - 1 || y == kCellH - 1);
                }
            }
            EXPECT_GT(count, kCellW * kCellH / 5) << "cell looks empty";
            EXPECT_EQ(edge, 0) << "figure touches the cell border and would bleed into a neighbour";
            frames.push_back(cell);
        }
        EXPECT_NE(frames[0], frames[1]) << "column " << col << " does not animate";
        EXPECT_NE(frames[0], frames[2]) << "column " << col << " does not animate";
        EXPECT_NE(frames[1], frames[2]) << "column " << col << " steps with the same foot twice";
    }
}

TEST_F(DecodedAssets, ObstacleDecodes)
{
    const Surface s = Load("obstacle.bmp");
    ASSERT_TRUE(s) << IMG_GetError();
    ASSERT_TRUE(s->w == 20 && s->h == 20) << s->w << "x" << s->h;
    int lit = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            lit += !Black(At(s.get(), x, y));
        }
    }
    EXPECT_GT(lit, 20 * 20 / 4) << "obstacle should be clearly visible on black";
    EXPECT_TRUE(Black(At(s.get(), 0, s->h - 1))) << "background is black";
    const Rgb spark = At(s.get(), 15, 1);  // the fuse burns at the top: catches flipped rows
    EXPECT_TRUE(spark.r > 200 && spark.g > 200) << "no spark at the top right";
}

TEST_F(DecodedAssets, IconsHaveTheirSizesAndTransparentCorners)
{
#if !defined(_WIN32)  // built for Windows, SDL2_image decodes only what the game embeds
    for (int n : {16, 32, 48, 64, 128, 256, 192, 512}) {
        const std::string name = "icons/brennow-" + std::to_string(n) + ".png";
        Surface s(IMG_Load((kDir + "/" + name).c_str()), SDL_FreeSurface);
        ASSERT_TRUE(s) << name << ": " << IMG_GetError();
        EXPECT_TRUE(s->w == n && s->h == n) << name << " is " << s->w << "x" << s->h;
    }
    // The installed web page's maskable icons: black to the corners, which a
    // launcher may cut away, and the face whole in the middle.
    for (int n : {192, 512}) {
        const std::string name = "icons/brennow-maskable-" + std::to_string(n) + ".png";
        const Surface s = Load(name);
        ASSERT_TRUE(s) << name << ": " << IMG_GetError();
        ASSERT_TRUE(s->w == n && s->h == n) << name << " is " << s->w << "x" << s->h;
        EXPECT_TRUE(Black(At(s.get(), 0, 0)) && Black(At(s.get(), n - 1, n - 1))) << name;
        EXPECT_FALSE(Black(At(s.get(), n / 2, n / 2))) << name;
    }
#endif
    // The window icon goes through SDL_LoadBMP, which must keep its alpha.
    Surface raw(SDL_LoadBMP((kDir + "/icons/brennow-64.bmp").c_str()), SDL_FreeSurface);
    ASSERT_TRUE(raw) << SDL_GetError();
    ASSERT_TRUE(raw->w == 64 && raw->h == 64);
    Surface s(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_ARGB8888, 0), SDL_FreeSurface);
    ASSERT_TRUE(s);
    auto alpha = [&](int x, int y) {
        return static_cast<const std::uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] >> 24;
    };
    EXPECT_EQ(alpha(0, 0), 0u) << "corner should be transparent";
    EXPECT_EQ(alpha(32, 32), 255u) << "centre should be opaque";
}

// The font library is shared by every renderer: one gone must leave it up
// for the others and their open fonts. A font that fails to open is never
// handed out afterwards as if it were open.
TEST(TextRenderer, EachRendererKeepsTheFontLibraryUpAndAFailedFontIsNotKept)
{
    auto first = std::make_unique<platform::TextRenderer>(embedded::SansSerif());
    platform::TextRenderer second(embedded::SansSerif());
    const platform::TextImage before = second.Render("Click to Start", 12);
    ASSERT_GT(before.Width, 0);
    first.reset();
    EXPECT_EQ(second.Render("Click to Start", 12).Alpha, before.Alpha) << "a font of the renderer left";
    EXPECT_GT(second.Render("Click to Start", 14).Width, before.Width) << "a font opened after the first renderer went";

    static const unsigned char kNotAFont[] = "not a font";
    platform::TextRenderer broken{std::span<const unsigned char>(kNotAFont)};
    EXPECT_THROW(broken.Render("OK", 8), std::runtime_error);
    EXPECT_THROW(broken.Render("OK", 8), std::runtime_error) << "the failed font was kept";
}

}  // namespace
