// The message box's layout and drawing, without a window: its size follows
// its text, lines break at "\n" and wrap when too wide, and the OK button is
// drawn up, held down and with its focus; and the loop every backend runs it
// in.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "assets/embedded.h"
#include "platform/core/box_loop.h"
#include "platform/core/message_box.h"

using namespace platform;

namespace {

constexpr Pixel kFace = Rgb(192, 192, 192);

class MessageBoxTest : public ::testing::Test {
protected:
    TextRenderer text{embedded::SansSerif()};

    // True if any pixel of the rectangle is darker than the dialog's face.
    static bool HasInk(const Surface& s, int x, int y, int width, int height)
    {
        for (int row = y; row < y + height; ++row) {
            for (int col = x; col < x + width; ++col) {
                if (s.Contains(col, row) && (s.At(col, row) & 0xFFU) < 0x80U) {
                    return true;
                }
            }
        }
        return false;
    }
};

}  // namespace

TEST_F(MessageBoxTest, TheBoxFitsItsTextWithTheButtonCentredBelowIt)
{
    const MessageBoxLayout narrow = LayOutMessageBox(text, "OK?");
    const MessageBoxLayout wide = LayOutMessageBox(text, "Oh NO!~ You lost! But you got 32760");
    ASSERT_EQ(wide.Lines.size(), 1U);
    const MessageBoxLayout::Line& line = wide.Lines[0];
    EXPECT_GT(line.Image.Width, 150);
    EXPECT_EQ(wide.Width, line.X + line.Image.Width + line.X);  // equal margins
    EXPECT_EQ(narrow.Height, wide.Height);
    // A short text still leaves room for the button at both sides.
    EXPECT_GT(narrow.Button.X, 0);
    EXPECT_LT(narrow.Width, wide.Width);
    for (const MessageBoxLayout* layout : {&narrow, &wide}) {
        const Rect& button = layout->Button;
        EXPECT_NEAR(button.X, layout->Width - button.X - button.Width, 1);
        EXPECT_GE(button.Y, layout->Lines[0].Y + layout->Lines[0].Image.Height);
        EXPECT_LT(button.Y + button.Height, layout->Height);
        const MessageBoxLayout::Line& ok = layout->Caption;
        EXPECT_TRUE(button.Contains(ok.X, ok.Y) && button.Contains(ok.X + ok.Image.Width, ok.Y + ok.Image.Height));
    }
}

TEST_F(MessageBoxTest, LineBreaksAndEmptyLinesKeepTheirPlaces)
{
    const MessageBoxLayout one = LayOutMessageBox(text, "Run-time error '6':");
    const MessageBoxLayout three = LayOutMessageBox(text, "Run-time error '6':\n\nOverflow");
    ASSERT_EQ(three.Lines.size(), 3U);
    EXPECT_EQ(three.Lines[1].Image.Width, 0);
    const int lineHeight = three.Lines[1].Y - three.Lines[0].Y;
    EXPECT_GT(lineHeight, 8);
    EXPECT_EQ(three.Lines[2].Y - three.Lines[1].Y, lineHeight);
    EXPECT_EQ(three.Height - one.Height, 2 * lineHeight);
    EXPECT_EQ(three.Width, one.Width);  // "Overflow" is the shorter line
    EXPECT_EQ(LayOutMessageBox(text, "a\r\nb").Lines[0].Image.Width, LayOutMessageBox(text, "a").Lines[0].Image.Width);
}

TEST_F(MessageBoxTest, ALongTextWrapsAtSpacesAndAnOverlongWordKeepsALineOfItsOwn)
{
    std::string sentence;
    for (int i = 0; i < 40; ++i) {
        sentence += "word" + std::to_string(i) + ' ';
    }
    sentence += "end";
    const MessageBoxLayout layout = LayOutMessageBox(text, sentence);
    ASSERT_GT(layout.Lines.size(), 2U);
    const int widest = LayOutMessageBox(text, "word10 word11 word12 word13 word14 word15").Width;
    for (const MessageBoxLayout::Line& line : layout.Lines) {
        EXPECT_LE(line.X + line.Image.Width, layout.Width);
    }
    EXPECT_LT(layout.Width, 2 * widest);
    // Every word is on a line: the widths add up to the unwrapped text's,
    // less the spaces at the breaks.
    int total = 0;
    for (const MessageBoxLayout::Line& line : layout.Lines) {
        total += line.Image.Width;
    }
    const int space = text.Render("a a", 8).Width - 2 * text.Render("a", 8).Width;
    const int unwrapped = text.Render(sentence, 8).Width;
    EXPECT_NEAR(total + space * static_cast<int>(layout.Lines.size() - 1), unwrapped, layout.Lines.size());

    const std::string word(120, 'W');
    const MessageBoxLayout overlong = LayOutMessageBox(text, "a " + word + " b");
    ASSERT_EQ(overlong.Lines.size(), 3U);
    EXPECT_EQ(overlong.Lines[1].Image.Width, text.Render(word, 8).Width);
    EXPECT_EQ(overlong.Width, overlong.Lines[1].X * 2 + overlong.Lines[1].Image.Width);
    EXPECT_EQ(LayOutMessageBox(text, word).Lines.size(), 1U);
}

TEST_F(MessageBoxTest, TheTextIsDarkOnTheFaceAndTheButtonShowsWhenItIsHeld)
{
    const MessageBoxLayout layout = LayOutMessageBox(text, "Oh NO!~ You lost! But you got 0");
    const Surface up = DrawMessageBox(layout, false);
    const Surface down = DrawMessageBox(layout, true);
    ASSERT_EQ(up.Width(), layout.Width);
    ASSERT_EQ(up.Height(), layout.Height);
    EXPECT_EQ(up.At(0, 0), kFace);
    EXPECT_EQ(up.At(layout.Width - 1, layout.Height - 1), kFace);
    const MessageBoxLayout::Line& line = layout.Lines[0];
    EXPECT_TRUE(HasInk(up, line.X, line.Y, line.Image.Width, line.Image.Height));
    EXPECT_FALSE(HasInk(up, 0, 0, layout.Width, line.Y));

    // Up: a light top edge and a dark bottom one inside the black frame;
    // held down: shaded alike, the caption one pixel lower and to the right.
    const Rect& b = layout.Button;
    EXPECT_EQ(up.At(b.X, b.Y), Rgb(0, 0, 0));
    EXPECT_EQ(up.At(b.X + b.Width / 2, b.Y + 1), Rgb(255, 255, 255));
    EXPECT_EQ(up.At(b.X + b.Width / 2, b.Y + b.Height - 2), Rgb(0, 0, 0));
    EXPECT_EQ(down.At(b.X + b.Width / 2, b.Y + 1), down.At(b.X + b.Width / 2, b.Y + b.Height - 2));
    const MessageBoxLayout::Line& ok = layout.Caption;
    int ink = 0;
    for (int y = ok.Y; y < ok.Y + ok.Image.Height; ++y) {
        for (int x = ok.X; x < ok.X + ok.Image.Width; ++x) {
            if (HasInk(up, x, y, 1, 1) && !(y == b.Y + 4 || y == b.Y + b.Height - 5)) {
                ++ink;
                EXPECT_EQ(up.At(x, y), down.At(x + 1, y + 1)) << x << "," << y;
            }
        }
    }
    EXPECT_GT(ink, 20);
    // The focus: a dotted rectangle inside the bevel, up or down.
    const int focusTop = b.Y + 4;
    EXPECT_TRUE(HasInk(up, b.X + 5, focusTop, b.Width - 10, 1));
    EXPECT_TRUE(HasInk(down, b.X + 5, focusTop, b.Width - 10, 1));
    // Nothing outside the button changes.
    for (int y = 0; y < layout.Height; ++y) {
        for (int x = 0; x < layout.Width; ++x) {
            if (!b.Contains(x, y)) {
                ASSERT_EQ(up.At(x, y), down.At(x, y)) << x << "," << y;
            }
        }
    }
}

// The OK button as every backend drives it: one script of input per row, and
// what the player sees after each step: "." nothing new, "d" drawn held down,
// "u" drawn up again, "X" the box dismissed.
TEST(MessageBoxButton, PressOnOkHoldsItReleaseOverOkDismissesAndOnlyTheBoxsKeysCloseIt)
{
    const Rect ok{50, 40, 75, 23};
    enum Kind { Down, Move, Up, Cancel, Key, Repeat, PadPress, PadRelease };
    struct Step {
        Kind kind;
        int x = 0;  // or the key's code
        int y = 0;
    };
    struct Row {
        const char* what;
        std::vector<Step> steps;
        std::string seen;
    };
    const Row rows[] = {
        {"a click on OK", {{Down, 60, 50}, {Up, 60, 50}}, "dX"},
        {"its last pixel is on it, the next is not", {{Down, 124, 62}, {Up, 124, 62}, {Down, 125, 62}}, "dX."},
        {"a press off OK does nothing", {{Down, 10, 10}, {Move, 60, 50}, {Up, 60, 50}}, "..."},
        {"dragged off and back", {{Down, 60, 50}, {Move, 10, 10}, {Move, 20, 10}, {Move, 60, 50}, {Up, 60, 50}},
         "du.dX"},
        {"let go off OK, or off the box", {{Down, 60, 50}, {Up, 10, 10}, {Down, 60, 50}, {Up, -1, -1}}, "dudu"},
        {"a release without a press", {{Up, 60, 50}, {Move, 60, 50}}, ".."},
        {"a cancelled touch is no click", {{Down, 60, 50}, {Cancel}, {Up, 60, 50}, {Cancel}}, "du.."},
        {"Enter, Space and Escape", {{Key, 13}, {Key, 32}, {Key, 27}}, "XXX"},
        {"other keys, and a key held since before the box",
         {{Key, 37}, {Key, 65}, {Key, 0xFF}, {Repeat, 13}, {Repeat, 32}},
         "....."},
        {"A, Start and B on a pad",
         {{PadPress, static_cast<int>(PadControl::A)}, {PadPress, static_cast<int>(PadControl::Start)},
          {PadPress, static_cast<int>(PadControl::B)}},
         "XXX"},
        {"a pad's directions, and letting go of a button held since before the box",
         {{PadPress, static_cast<int>(PadControl::DpadUp)}, {PadPress, static_cast<int>(PadControl::StickLeft)},
          {PadRelease, static_cast<int>(PadControl::A)}, {PadRelease, static_cast<int>(PadControl::Start)}},
         "...."},
    };
    for (const Row& row : rows) {
        MessageBoxButton button(ok);
        std::string seen;
        for (const Step& step : row.steps) {
            const bool before = button.Pressed();
            MessageBoxButton::Outcome outcome = MessageBoxButton::Outcome::None;
            switch (step.kind) {
            case Down: outcome = button.PointerDown(step.x, step.y); break;
            case Move: outcome = button.PointerMove(step.x, step.y); break;
            case Up: outcome = button.PointerUp(step.x, step.y); break;
            case Cancel: outcome = button.PointerCancel(); break;
            case Key: outcome = button.Key(step.x, false); break;
            case Repeat: outcome = button.Key(step.x, true); break;
            case PadPress: outcome = button.Pad({1, static_cast<PadControl>(step.x), true}); break;
            case PadRelease: outcome = button.Pad({1, static_cast<PadControl>(step.x), false}); break;
            }
            if (outcome == MessageBoxButton::Outcome::Dismiss) {
                seen += 'X';
            } else if (outcome == MessageBoxButton::Outcome::Redraw) {
                seen += button.Pressed() ? 'd' : 'u';
            } else {
                seen += '.';
                EXPECT_EQ(button.Pressed(), before) << row.what << ": changed without a redraw";
            }
        }
        EXPECT_EQ(seen, row.seen) << row.what;
    }
}

namespace {

// A box window for the shared loop, with a script for its input: the pixels
// shown are noted as "u" (the button up), "d" (held down); the script's end
// is its deadline passing, and a Throw step an exception from the platform.
struct Throw {};
class ScriptedBox : public BoxWindow {
public:
    using Step = std::variant<BoxInput, Throw>;

    bool Opens = true;
    std::vector<Step> Script;
    std::string Shown;
    int Closed = 0;
    std::vector<std::optional<Time>> Deadlines;
    Surface Up;  // the pixels it opened with

    bool Open(std::string_view /*title*/, const Surface& pixels) override
    {
        if (Opens) {
            Up = pixels;
            Shown += 'u';
        }
        return Opens;
    }
    void Show(const Surface& pixels) override { Shown += pixels == Up ? 'u' : 'd'; }
    std::optional<BoxInput> Next(std::optional<Time> deadline) override
    {
        Deadlines.push_back(deadline);
        if (next_ == Script.size()) {
            return std::nullopt;
        }
        const Step& step = Script[next_++];
        if (std::holds_alternative<Throw>(step)) {
            throw std::runtime_error("the platform failed");
        }
        return std::get<BoxInput>(step);
    }
    void Close() override { ++Closed; }

private:
    std::size_t next_ = 0;
};

}  // namespace

// The one box loop every backend with a window runs: what each script of
// input ends in, what was shown on the way, and that the box is closed once
// whenever it was opened, however the loop ended.
TEST_F(MessageBoxTest, TheSharedLoopDrawsFollowsTheButtonAndEndsAsTheBoxDoes)
{
    const MessageBoxLayout layout = LayOutMessageBox(text, "Game over");
    const int x = layout.Button.X + 5;
    const int y = layout.Button.Y + 5;
    using P = BoxPointer;
    const PadEvent padA{1, PadControl::A, true};
    const PadEvent padALetGo{1, PadControl::A, false};
    struct Row {
        const char* what;
        std::vector<ScriptedBox::Step> script;
        std::optional<BoxResult> result;  // none: it throws
        std::string shown;
        bool opens = true;
    };
    const Row rows[] = {
        {"a click on OK", {P{P::Down, x, y}, P{P::Up, x, y}}, BoxResult::Dismissed, "ud"},
        {"dragged off, let go off the box", {P{P::Down, x, y}, P{P::Move, 0, 0}, P{P::Up, kOffBox, kOffBox}},
         BoxResult::TimedOut, "uduu"},
        {"shown again as it is when its window lost it", {P{P::Down, x, y}, BoxRepaint{}, BoxKey{13, false}},
         BoxResult::Dismissed, "udd"},
        {"a key held since before the box, then Escape", {BoxKey{13, true}, BoxKey{27, false}},
         BoxResult::Dismissed, "u"},
        {"a pad's release, then its press", {padALetGo, padA}, BoxResult::Dismissed, "u"},
        {"its own close button", {BoxEnd{BoxResult::Dismissed}}, BoxResult::Dismissed, "u"},
        {"the program told to end while it is held", {P{P::Down, x, y}, BoxEnd{BoxResult::Quit}}, BoxResult::Quit,
         "ud"},
        {"the deadline comes first", {P{P::Down, x, y}}, BoxResult::TimedOut, "ud"},
        {"the platform fails", {P{P::Down, x, y}, Throw{}}, std::nullopt, "ud"},
        {"it cannot be opened", {}, BoxResult::NotShown, "", false},
    };
    const Time deadline = std::chrono::seconds(3);
    for (const Row& row : rows) {
        ScriptedBox box;
        box.Opens = row.opens;
        box.Script = row.script;
        std::optional<BoxResult> result;
        bool threw = false;
        try {
            result = RunMessageBox(box, text, "Brennow", "Game over", deadline);
        } catch (const std::runtime_error&) {
            threw = true;
        }
        EXPECT_EQ(result, row.result) << row.what;
        EXPECT_EQ(threw, !row.result) << row.what;
        EXPECT_EQ(box.Shown, row.shown) << row.what;
        EXPECT_EQ(box.Closed, row.opens ? 1 : 0) << row.what;
        for (const std::optional<Time>& asked : box.Deadlines) {
            EXPECT_EQ(asked, deadline) << row.what;
        }
    }
}
