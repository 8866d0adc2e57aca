// The obstacles' flight, their bounces and the touch that ends a round.
#include "platform/core/compositor.h"
#include "tests/game_fixture.h"

namespace {

class ObstaclesTest : public GameTest {
protected:
    // The figure out of reach, so that flights can be watched on their own.
    void SetUp() override
    {
        form.PlayerX = -1000;
        form.PlayerY = -1000;
    }

    void Place(int index, float left, float top, int speedX, int speedY)
    {
        form.Image1(index).Left = left;
        form.Image1(index).Top = top;
        form.SpeedX(index) = speedX;
        form.SpeedY(index) = speedY;
    }

    // One tick, with Image1(0) placed so that its move ends at (left, top).
    bool TouchesAfterMoveTo(float left, float top)
    {
        platform::Unload(form);
        form.Show();
        form.PlayerX = 100;
        form.PlayerY = 100;
        Place(0, left - 1, top - 3, 1, 3);
        const auto boxes = backend.MessageBoxes().size();
        form.Timer1_Timer();
        return backend.MessageBoxes().size() > boxes;
    }
};

}  // namespace

TEST_F(ObstaclesTest, EachTickMovesEveryObstacleByItsSpeed)
{
    Place(0, 100, 64, 5, 9);
    Place(3, 300, 200, -3, -7);
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Left, 105.0F);
    EXPECT_EQ(form.Image1(0).Top, 73.0F);
    EXPECT_EQ(form.Image1(3).Left, 297.0F);
    EXPECT_EQ(form.Image1(3).Top, 193.0F);
    EXPECT_EQ(form.Image1(1).Left, 160.0F + static_cast<float>(form.SpeedX(1).Value()));
}

TEST_F(ObstaclesTest, TheRightEdgeBouncesOnlyPastItAndTheSpeedBecomesItsComplement)
{
    Place(0, 439, 100, 5, 3);  // ends at 444: the right side on the edge
    Place(1, 440, 100, 5, 3);  // ends at 445: past it
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Left, 444.0F);
    EXPECT_EQ(form.SpeedX(0), 5);
    EXPECT_EQ(form.Image1(1).Left, 443.0F);
    EXPECT_EQ(form.SpeedX(1), -6);
}

TEST_F(ObstaclesTest, TheLeftEdgeBouncesBelowZeroToOneAndTheSpeedBack)
{
    Place(0, 3, 100, -6, 3);  // ends at -3
    Place(1, 6, 100, -6, 3);  // ends exactly at 0: bounces a tick later
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Left, 1.0F);
    EXPECT_EQ(form.SpeedX(0), 5);
    EXPECT_EQ(form.Image1(1).Left, 0.0F);
    EXPECT_EQ(form.SpeedX(1), -6);
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(1).Left, 1.0F);
    EXPECT_EQ(form.SpeedX(1), 5);
}

TEST_F(ObstaclesTest, TheVerticalAxisBouncesTheSameWay)
{
    Place(0, 100, 325, 1, 9);  // ends at 334: past 349 - 20
    Place(1, 200, 320, 1, 9);  // ends at 329: on the edge
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Top, 328.0F);
    EXPECT_EQ(form.SpeedY(0), -10);
    EXPECT_EQ(form.Image1(1).Top, 329.0F);
    EXPECT_EQ(form.SpeedY(1), 9);
    Place(0, 100, 5, 1, -10);
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Top, 1.0F);
    EXPECT_EQ(form.SpeedY(0), 9);
}

TEST_F(ObstaclesTest, ACornerBouncesBothAxesInOneTick)
{
    Place(0, 442, 327, 5, 9);
    Place(1, 2, 3, -6, -10);
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Left, 443.0F);
    EXPECT_EQ(form.Image1(0).Top, 328.0F);
    EXPECT_EQ(form.SpeedX(0), -6);
    EXPECT_EQ(form.SpeedY(0), -10);
    EXPECT_EQ(form.Image1(1).Left, 1.0F);
    EXPECT_EQ(form.Image1(1).Top, 1.0F);
    EXPECT_EQ(form.SpeedX(1), 5);
    EXPECT_EQ(form.SpeedY(1), 9);
}

TEST_F(ObstaclesTest, AnObstacleWiderThanThePlayfieldBouncesTwiceAndKeepsItsSpeed)
{
    Place(0, 0, 100, 3, 3);
    form.Image1(0).Width = 500;
    form.Timer1_Timer();
    EXPECT_EQ(form.Image1(0).Left, 1.0F);
    EXPECT_EQ(form.SpeedX(0), 3);
}

TEST_F(ObstaclesTest, TouchCountsContactOnThreeSidesButNotFromAbove)
{
    EXPECT_TRUE(TouchesAfterMoveTo(120, 100));   // on the right
    EXPECT_FALSE(TouchesAfterMoveTo(121, 100));
    EXPECT_TRUE(TouchesAfterMoveTo(80, 100));    // on the left
    EXPECT_FALSE(TouchesAfterMoveTo(79, 100));
    EXPECT_TRUE(TouchesAfterMoveTo(100, 128));   // below
    EXPECT_FALSE(TouchesAfterMoveTo(100, 129));
    EXPECT_TRUE(TouchesAfterMoveTo(100, 88));    // from above: 8 pixels in
    EXPECT_FALSE(TouchesAfterMoveTo(100, 87));
}

TEST_F(ObstaclesTest, PlayerXIsRoundedTo32BitsBeforeItIsCompared)
{
    // 100 + 20 - 1e-9 in 64 bits is below 120; rounded to 32 bits it is 120.
    platform::Unload(form);
    form.Show();
    form.PlayerX = 100 - 1e-9;
    form.PlayerY = 100;
    Place(0, 119, 97, 1, 3);
    form.Timer1_Timer();
    EXPECT_EQ(backend.MessageBoxes().size(), 1U);
}

TEST_F(ObstaclesTest, AfterATouchTheLaterObstaclesTakeOneStepOnTheReloadedForm)
{
    form.PlayerX = 100;
    form.PlayerY = 100;
    Place(2, 99, 97, 1, 3);
    form.Timer1_Timer();
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(form.Image1(0).Left, 120.0F);
    EXPECT_EQ(form.Image1(0).Top, 64.0F);
    EXPECT_EQ(form.Image1(1).Left, 160.0F);
    EXPECT_EQ(form.Image1(1).Top, 72.0F);
    EXPECT_EQ(form.Image1(2).Left, 200.0F);
    EXPECT_EQ(form.Image1(2).Top, 64.0F);
    EXPECT_EQ(form.Image1(3).Left, 232.0F + static_cast<float>(form.SpeedX(3).Value()));
    EXPECT_EQ(form.Image1(3).Top, 64.0F + static_cast<float>(form.SpeedY(3).Value()));
    EXPECT_EQ(form.Image1(4).Left, 272.0F + static_cast<float>(form.SpeedX(4).Value()));
    EXPECT_EQ(form.Image1(4).Top, 64.0F + static_cast<float>(form.SpeedY(4).Value()));
    EXPECT_FALSE(form.Timer1().Enabled);
    EXPECT_TRUE(form.Label1().Visible);
}

TEST_F(ObstaclesTest, OverALongFlightSpeedsKeepTheirTwoValuesAndObstaclesStayInside)
{
    for (std::uint32_t seed : {1U, 77U, 4242U}) {
        backend.SetSeed(seed);
        platform::Unload(form);
        form.Show();
        form.PlayerX = -1000;
        form.PlayerY = -1000;
        for (int tick = 0; tick < 20000; ++tick) {
            form.Timer1_Timer();
            for (int i = 0; i < 5; ++i) {
                const int sx = form.SpeedX(i).Value();
                const int sy = form.SpeedY(i).Value();
                ASSERT_TRUE((sx >= 1 && sx <= 5) || (sx >= -6 && sx <= -2)) << sx;
                ASSERT_TRUE((sy >= 3 && sy <= 9) || (sy >= -10 && sy <= -4)) << sy;
                ASSERT_GE(form.Image1(i).Left, 0.0F);
                ASSERT_LE(form.Image1(i).Left, 444.0F);
                ASSERT_GE(form.Image1(i).Top, 0.0F);
                ASSERT_LE(form.Image1(i).Top, 329.0F);
            }
        }
    }
    EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(ObstaclesTest, TheTickDrawsNothing)
{
    Key(32);
    form.PlayerX = -1000;
    const auto drawn = form.DrawingSurface().Generation();
    const platform::Surface before = form.DrawingSurface();
    for (int i = 0; i < 200; ++i) {
        form.Timer1_Timer();
    }
    EXPECT_EQ(form.DrawingSurface().Generation(), drawn);
    EXPECT_EQ(form.DrawingSurface(), before);
}

TEST_F(GameTest, AWholeRoundFromLoadToGameOverToTheNextLoad)
{
    backend.SetSeed(20261208);
    platform::Unload(form);
    form.Show();
    Key(40);
    Start();
    const auto start = backend.Now();
    for (int i = 0; i < 600 && backend.MessageBoxes().empty(); ++i) {
        Advance(100ms);
    }
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    const auto& box = backend.MessageBoxes()[0];
    const auto ticks = (box.At - start) / 100ms;
    EXPECT_EQ(box.Text, "Oh NO!~ You lost! But you got " + std::to_string(10 * ticks));
    EXPECT_TRUE(form.Label1().Visible);
    EXPECT_EQ(form.Score, 0);
    EXPECT_EQ(form.Image1(0).Left, 120.0F);
    // The next round can start with a click and ends the same way.
    Start();
    for (int i = 0; i < 600 && backend.MessageBoxes().size() < 2; ++i) {
        Advance(100ms);
    }
    EXPECT_EQ(backend.MessageBoxes().size(), 2U);
    EXPECT_FALSE(runtime.Finished());
}

TEST_F(GameTest, FramesMadeInPartsEqualFramesMadeWhole)
{
    // Between drawings only the obstacles and the labels change, and only
    // where they were and are is the frame made afresh and shown again.
    backend.SetSeed(99);
    platform::Unload(form);
    form.Show();
    for (int i = 0; i < 70; ++i) {
        Key(37);  // off the playfield, out of the obstacles' reach
    }
    Start();
    platform::Surface whole;
    for (int step = 0; step < 400; ++step) {
        Advance(16ms);
        if (step % 50 == 25) {
            Key(38);  // a drawing: the whole frame again
            EXPECT_TRUE(backend.Changed().empty());
        }
        platform::Compose(form, whole);
        ASSERT_EQ(Frame(), whole) << "after step " << step;
    }
    EXPECT_TRUE(backend.MessageBoxes().empty());
    Advance(16ms);
    int area = 0;
    for (const platform::Rect& part : backend.Changed()) {
        area += part.Width * part.Height;
    }
    EXPECT_GT(area, 0);
    EXPECT_LE(area, 10 * 20 * 20 + 97 * 33);
}
