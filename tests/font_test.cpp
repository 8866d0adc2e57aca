// The font built into the game is a subset of the original (only printable
// ASCII, under another family name): every text the game can show must come
// out of it with the same pixels as out of the whole font. Each font is
// rendered on its own, one after the other, and what it drew is kept as a
// fingerprint: the font library is shared and ends with the renderer.
#include <gtest/gtest.h>

#include <SDL_ttf.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/core/message_box.h"
#include "platform/core/runtime.h"
#include "platform/graphics/text.h"
#include "platform/language/values.h"

using namespace platform;

namespace {

struct Drawn {
    std::string What;
    std::uint64_t Fingerprint = 0;
};

class Fingerprint {
public:
    void Add(std::uint64_t value)
    {
        for (int i = 0; i < 8; ++i) {
            hash_ = (hash_ ^ ((value >> (8 * i)) & 0xFFU)) * 0x100000001B3ULL;
        }
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ULL;  // FNV-1a
};

std::uint64_t Of(const TextImage& image)
{
    Fingerprint f;
    f.Add(static_cast<std::uint64_t>(image.Width));
    f.Add(static_cast<std::uint64_t>(image.Height));
    for (const std::uint8_t a : image.Alpha) {
        f.Add(a);
    }
    return f.Value();
}

std::uint64_t Of(const Surface& surface)
{
    Fingerprint f;
    f.Add(static_cast<std::uint64_t>(surface.Width()));
    f.Add(static_cast<std::uint64_t>(surface.Height()));
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            f.Add(surface.At(x, y));
        }
    }
    return f.Value();
}

// Everything the game can draw with the font, in the sizes it draws it:
// every caption of the form's design in its font; the score at every value
// it can reach; the game-over box at every score, up and pressed; every
// run-time error's report; and every printable character alone and beside
// every other, in both sizes, so that the kerning of any pair is compared.
std::vector<Drawn> DrawEverything(std::span<const unsigned char> font)
{
    const TextRenderer text(font);
    std::vector<Drawn> drawn;
    const FormDesign& design = frmBomber::Design();
    const int labelPoints = design.Font.Size;  // the score's label has the form's font
    for (const ControlDesign& control : design.Controls) {
        if (!control.Caption.empty()) {
            const int points = control.Font ? control.Font->Size : labelPoints;
            drawn.push_back({"caption " + std::string(control.Caption), Of(text.Render(control.Caption, points))});
        }
    }
    std::vector<std::string> boxes;
    for (int score = 0; score <= 32760; score += 10) {
        const std::string value = Str(Integer(score));
        drawn.push_back({"score " + value, Of(text.Render(value, labelPoints))});
        boxes.push_back("Oh NO!~ You lost! But you got " + value);
    }
    for (const ErrorNumber number : {ErrorNumber::Overflow, ErrorNumber::OutOfMemory, ErrorNumber::SubscriptOutOfRange,
                                     static_cast<ErrorNumber>(5)}) {
        boxes.push_back(ErrorReport(RuntimeError(number)));
    }
    for (const std::string& message : boxes) {
        const MessageBoxLayout layout = LayOutMessageBox(text, message);
        drawn.push_back({"box " + message, Of(DrawMessageBox(layout, false))});
        drawn.push_back({"pressed box " + message, Of(DrawMessageBox(layout, true))});
    }
    for (const int points : {labelPoints, 18}) {
        for (char first = ' '; first <= '~'; ++first) {
            const std::string size = std::to_string(points) + " pt '";
            drawn.push_back({size + first + "'", Of(text.Render(std::string(1, first), points))});
            for (char second = ' '; second <= '~'; ++second) {
                const std::string pair{first, second};
                drawn.push_back({size + pair + "'", Of(text.Render(pair, points))});
            }
        }
    }
    return drawn;
}

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(EmbeddedFont, DrawsEveryTextTheGameShowsAsTheWholeFontDoes)
{
    const std::vector<unsigned char> whole =
        ReadFile(std::string(BRENNOW_ASSETS_DIR) + "/fonts/LiberationSans-Regular.ttf");
    ASSERT_GT(whole.size(), 100000U);
    const std::vector<Drawn> want = DrawEverything(whole);
    const std::vector<Drawn> got = DrawEverything(embedded::SansSerif());
    ASSERT_EQ(got.size(), want.size());
    int differ = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i].Fingerprint != want[i].Fingerprint && ++differ <= 10) {
            ADD_FAILURE() << got[i].What << " is drawn differently by the embedded font";
        }
    }
    EXPECT_EQ(differ, 0) << "of " << got.size() << " texts";
    EXPECT_LT(embedded::SansSerif().size(), whole.size() / 4) << "the embedded font is not the subset";
}

TEST(EmbeddedFont, CarriesANameOfItsOwn)
{
    ASSERT_EQ(TTF_Init(), 0);
    SDL_RWops* rw = SDL_RWFromConstMem(embedded::SansSerif().data(), static_cast<int>(embedded::SansSerif().size()));
    TTF_Font* font = TTF_OpenFontRW(rw, 1, 8);
    ASSERT_NE(font, nullptr) << TTF_GetError();
    const std::string family = TTF_FontFaceFamilyName(font);
    TTF_CloseFont(font);
    TTF_Quit();
    // The original's licence keeps these names for unmodified versions.
    EXPECT_EQ(family.find("Liberation"), std::string::npos) << family;
    EXPECT_EQ(family.find("Arimo"), std::string::npos) << family;
    EXPECT_FALSE(family.empty());
}
