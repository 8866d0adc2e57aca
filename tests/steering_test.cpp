// Steering with keys and mouse, and the drawing of the figure through its mask.
#include <vector>

#include "game/modBitBlt.h"
#include "tests/game_fixture.h"

namespace {

using platform::Integer;

// Records every call of Form_KeyDown that a mouse movement makes.
class SteeringTest : public GameTest {
protected:
    // Where the figure's cell shows on the drawing surface: the colour cell,
    // since the background there is black.
    bool ShowsCell(const platform::Surface& surface, int x, int y, int dir, int frame)
    {
        const platform::Surface& sheet = form.picSprite().Image();
        for (int row = 0; row < 28; ++row) {
            for (int col = 0; col < 20; ++col) {
                if (surface.Contains(x + col, y + row) &&
                    surface.At(x + col, y + row) != sheet.At(dir * 20 + col, frame * 28 + row)) {
                    return false;
                }
            }
        }
        return true;
    }

    // The bounding box of everything drawn on the surface.
    struct Box {
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    };
    Box Drawn(const platform::Surface& surface)
    {
        Box box;
        for (int y = 0; y < surface.Height(); ++y) {
            for (int x = 0; x < surface.Width(); ++x) {
                if (surface.At(x, y) != 0) {
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                           std::max(box.bottom, y)};
                }
            }
        }
        return box;
    }

    const platform::Surface& Surface() { return form.DrawingSurface(); }
};

}  // namespace

TEST_F(SteeringTest, EachArrowMovesFourPixelsAndTurnsTheFigure)
{
    struct Step {
        int key;
        double dx, dy;
        int dir;
    };
    for (const Step& s : {Step{40, 0, 4, 0}, Step{38, 0, -4, 1}, Step{37, -4, 0, 2}, Step{39, 4, 0, 3}}) {
        const double x = form.PlayerX;
        const double y = form.PlayerY;
        const Integer frame = form.AnimFrame;
        Key(s.key);
        EXPECT_EQ(form.PlayerX, x + s.dx) << s.key;
        EXPECT_EQ(form.PlayerY, y + s.dy) << s.key;
        EXPECT_EQ(form.PlayerDir, s.dir) << s.key;
        EXPECT_TRUE(ShowsCell(Surface(), platform::CLng(form.PlayerX), platform::CLng(form.PlayerY), s.dir,
                              frame.Value()))
            << s.key;
    }
}

TEST_F(SteeringTest, OtherKeysRedrawInPlaceAndMoveTheWalkCycleOn)
{
    Key(39);
    for (int key : {32, 13, 27, 65, 0, 1000}) {
        const Integer frame = form.AnimFrame;
        Key(key);
        EXPECT_EQ(form.PlayerX, 236.0);
        EXPECT_EQ(form.PlayerY, 174.5);
        EXPECT_EQ(form.PlayerDir, 3);
        EXPECT_TRUE(ShowsCell(Surface(), 236, 174, 3, frame.Value())) << key;
    }
}

TEST_F(SteeringTest, TheFigureIsDrawnAtTheRoundedPosition)
{
    // The start height 174.5 draws on row 174; a step up or down on 170 or 178.
    Key(32);
    EXPECT_EQ(Drawn(Surface()).top >= 174 && Drawn(Surface()).top <= 175, true);
    EXPECT_TRUE(ShowsCell(Surface(), 232, 174, 0, 0));
    Key(38);
    EXPECT_TRUE(ShowsCell(Surface(), 232, 170, 1, 1));
    Key(40);
    Key(40);
    EXPECT_TRUE(ShowsCell(Surface(), 232, 178, 0, 0));
    form.PlayerX = 200.5;
    Key(32);
    EXPECT_TRUE(ShowsCell(Surface(), 200, 178, 0, 1));
    form.PlayerX = 201.5;
    Key(32);
    EXPECT_TRUE(ShowsCell(Surface(), 202, 178, 0, 2));
}

TEST_F(SteeringTest, TwelveDrawingsRunTheFramesFourTimesAndOnlyTheLatestRemains)
{
    std::vector<int> frames;
    for (int i = 0; i < 12; ++i) {
        frames.push_back(form.AnimFrame.Value());
        Key(39);
        EXPECT_TRUE(ShowsCell(Surface(), 236 + 4 * i, 174, 3, frames.back()));
        const auto box = Drawn(Surface());
        EXPECT_GE(box.left, 236 + 4 * i);
        EXPECT_LE(box.right, 255 + 4 * i);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2}));
}

TEST_F(SteeringTest, NotDrawnAfterALoadUntilTheFirstStep)
{
    Advance(1s);
    EXPECT_EQ(Drawn(Surface()).right, -1);
    Key(37);
    EXPECT_NE(Drawn(Surface()).right, -1);
}

TEST_F(SteeringTest, TheFigureWalksPastAnEdgeClippedAndBack)
{
    for (int i = 0; i < 70; ++i) {
        Key(37);
    }
    EXPECT_EQ(form.PlayerX, 232.0 - 280);
    EXPECT_EQ(Drawn(Surface()).right, -1);  // wholly outside: nothing drawn, nothing fails
    for (int i = 0; i < 10; ++i) {
        Key(39);
    }
    EXPECT_EQ(form.PlayerX, -8.0);  // partly outside: the visible part shows
    const Integer frame = form.AnimFrame == 0 ? Integer(2) : form.AnimFrame - 1;
    EXPECT_TRUE(ShowsCell(Surface(), -8, 174, 3, frame.Value()));
    EXPECT_FALSE(runtime.Finished());
}

TEST_F(SteeringTest, OnBlackTheFigureShowsItsColourCellAndElsewhereTheMaskKeepsTheBackground)
{
    Start();  // hides the prompt, so the composed frame shows the figure alone
    Key(40);
    EXPECT_TRUE(ShowsCell(Frame(), 232, 178, 0, 0));
    // On a background that is not black, the figure's transparent pixels keep
    // it exactly, and its opaque pixels show the colour exactly.
    const platform::Surface& mask = form.picMask().Image();
    const platform::Surface& colour = form.picSprite().Image();
    platform::Surface background(20, 28, platform::Rgb(0x40, 0x80, 0xC0));
    platform::Surface result = background;
    BitBlt(&result, 0, 0, 20, 28, form.picMask().hDC(), 20, 28, SRCAND);
    BitBlt(&result, 0, 0, 20, 28, form.picSprite().hDC(), 20, 28, SRCINVERT);
    int transparent = 0;
    for (int y = 0; y < 28; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (mask.At(20 + x, 28 + y) == 0xFFFFFFU && colour.At(20 + x, 28 + y) == 0) {
                EXPECT_EQ(result.At(x, y), background.At(x, y));
                ++transparent;
            } else if (mask.At(20 + x, 28 + y) == 0) {
                EXPECT_EQ(result.At(x, y), colour.At(20 + x, 28 + y));
            }
        }
    }
    EXPECT_GT(transparent, 100);
}

TEST_F(SteeringTest, AnObstaclePassingOverTheFigureHidesItOnlyWhileItCovers)
{
    Start();
    Key(32);
    form.Image1(0).Left = 232;
    form.Image1(0).Top = 174;
    runtime.Deliver(platform::ExposeEvent{});
    EXPECT_FALSE(ShowsCell(Frame(), 232, 174, 0, 0));
    form.Image1(0).Left = 120;
    form.Image1(0).Top = 64;
    runtime.Deliver(platform::ExposeEvent{});
    EXPECT_TRUE(ShowsCell(Frame(), 232, 174, 0, 0));
}

// The mouse: the figure's centre (PlayerX + 10, PlayerY + 14) is steered
// toward the pointer, test by test, each seeing the step before.

TEST_F(SteeringTest, CentreJustRightOfThePointerOvershootsAndStepsBackWithinOneEvent)
{
    Start();
    Move(240, 188.5F);  // centre 242: left 4 to 238, then right 4 back to 242
    EXPECT_EQ(form.PlayerX, 232.0);
    EXPECT_EQ(form.PlayerDir, 3);
    EXPECT_EQ(form.AnimFrame, 2);  // drawn twice
    Move(242, 186.5F);  // centre y 188.5: up to 184.5, then down back
    EXPECT_EQ(form.PlayerY, 174.5);
    EXPECT_EQ(form.PlayerDir, 0);
    EXPECT_EQ(form.AnimFrame, 1);
}

TEST_F(SteeringTest, CentreExactlyFourRightOfThePointerTakesOneStepFacingLeft)
{
    Start();
    Move(238, 188.5F);
    EXPECT_EQ(form.PlayerX, 228.0);
    EXPECT_EQ(form.PlayerDir, 2);
    EXPECT_EQ(form.AnimFrame, 1);
}

TEST_F(SteeringTest, CentreJustLeftOfThePointerPassesItAndComesBackNextEvent)
{
    Start();
    Move(244, 188.5F);
    EXPECT_EQ(form.PlayerX, 236.0);  // centre 246 now right of the pointer
    Move(244, 188.5F);
    EXPECT_EQ(form.PlayerX, 236.0);  // back left to 242, which is short again: right
    EXPECT_EQ(form.AnimFrame, 0);    // three drawings so far
}

TEST_F(SteeringTest, AFarPointerIsFollowedAtMostFourPixelsPerAxisPerEvent)
{
    Start();
    for (int i = 1; i <= 10; ++i) {
        Move(450, 330);
        EXPECT_EQ(form.PlayerX, 232.0 + 4 * i);
        EXPECT_EQ(form.PlayerY, 174.5 + 4 * i);
        EXPECT_EQ(form.PlayerDir, 0);  // the vertical tests come last
    }
}

TEST_F(SteeringTest, APointerOnTheCentreCallsNothingAndDrawsNothing)
{
    Start();
    Move(242, 188.5F);
    EXPECT_EQ(form.AnimFrame, 0);
    EXPECT_EQ(form.DrawingSurface(), platform::Surface(464, 349));
}

TEST_F(SteeringTest, SumsAreRoundedTo32BitsBeforeTheyAreCompared)
{
    Start();
    // 0.1 + 10 in 64 bits is not the 32-bit 10.1 the pointer holds; rounded,
    // it is, so the pointer lies on the centre and nothing moves.
    form.PlayerX = 0.1;
    form.PlayerY = 0.1;
    Move(10.1F, 14.1F);
    EXPECT_EQ(form.PlayerX, 0.1);
    EXPECT_EQ(form.PlayerY, 0.1);
    EXPECT_EQ(form.AnimFrame, 0);
}

TEST_F(SteeringTest, ThePromptTheScoreLabelAndObstaclesTakeTheMovementWhileShown)
{
    Move(150, 180);  // over the prompt, shown
    Move(200, 20);   // over the score label
    Move(130, 70);   // over Image1(0)
    EXPECT_EQ(form.PlayerX, 232.0);
    EXPECT_EQ(form.PlayerY, 174.5);
    EXPECT_EQ(form.AnimFrame, 0);
    Start();
    Move(150, 180);  // the prompt is hidden now: its rectangle is free area
    EXPECT_EQ(form.PlayerX, 228.0);
    EXPECT_EQ(form.PlayerY, 170.5);
    Move(200, 20);
    EXPECT_EQ(form.PlayerX, 228.0);
}

TEST_F(SteeringTest, SteeringWorksBeforeTheStartClickAndDuringTheRound)
{
    Key(40);
    EXPECT_EQ(form.PlayerY, 178.5);
    Start();
    Advance(200ms);
    Key(40);
    EXPECT_EQ(form.PlayerY, 182.5);
}
