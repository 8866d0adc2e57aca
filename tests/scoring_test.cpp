// The score while a round runs, and the game over that ends it.
#include "tests/game_fixture.h"

namespace {

class ScoringTest : public GameTest {
protected:
    // Starts a round whose obstacles stand still, so that the score can rise
    // as long as a test needs.
    void StartScoring()
    {
        Start();
        form.Timer1().Enabled = false;
    }

    // Lets the obstacles fly again, Image1(index) aimed to land on the figure
    // at the next tick.
    void AimAtFigure(int index)
    {
        form.Timer1().Enabled = true;
        form.SpeedX(index) = 1;
        form.SpeedY(index) = 3;
        form.Image1(index).Left = static_cast<float>(form.PlayerX) - 1;
        form.Image1(index).Top = static_cast<float>(form.PlayerY) - 3;
    }
};

}  // namespace

TEST_F(ScoringTest, TheScoreRisesByTenEveryHundredMilliseconds)
{
    StartScoring();
    for (int n = 1; n <= 30; ++n) {
        Advance(100ms);
        EXPECT_EQ(form.Score, 10 * n);
        EXPECT_EQ(form.lblScore().Caption, std::to_string(10 * n));
    }
}

TEST_F(ScoringTest, TheLabelStaysEmptyUntilTheFirstTick)
{
    StartScoring();
    Advance(99ms);
    EXPECT_EQ(form.lblScore().Caption, "");
    Advance(1ms);
    EXPECT_EQ(form.lblScore().Caption, "10");
}

TEST_F(ScoringTest, GameOverReportsTheScoreAndReloadsTheWindowForTheNextRound)
{
    StartScoring();
    Key(40);  // direction 0, frame 1 next
    Key(39);  // direction 3, frame 2 next
    Advance(1050ms);
    std::string labelAtBox;
    bool scoringAtBox = true;
    backend.OnMessageBox = [&](const platform::HeadlessBackend::MessageBox&) {
        labelAtBox = form.lblScore().Caption;
        scoringAtBox = form.Scoring().Enabled;
        EXPECT_TRUE(form.Timer1().Enabled);  // left on
        return true;
    };
    AimAtFigure(0);
    Advance(16ms);
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(backend.MessageBoxes()[0].Title, "Brennow");
    EXPECT_EQ(backend.MessageBoxes()[0].Text, "Oh NO!~ You lost! But you got 100");
    EXPECT_EQ(labelAtBox, "100");  // no tick came between the touch and the box
    EXPECT_FALSE(scoringAtBox);
    // Back in the waiting state, with a score of 0 and the figure's direction
    // and walk frame as they were.
    EXPECT_EQ(form.Score, 0);
    EXPECT_EQ(form.lblScore().Caption, "");
    EXPECT_TRUE(form.Label1().Visible);
    EXPECT_FALSE(form.Timer1().Enabled);
    EXPECT_FALSE(form.Scoring().Enabled);
    EXPECT_EQ(form.PlayerDir, 3);
    EXPECT_EQ(form.AnimFrame, 2);
    EXPECT_EQ(form.PlayerX, 232.0);
    EXPECT_EQ(form.Image1(0).Left, 120.0F);
    // The next round starts from 0.
    Start();
    Advance(100ms);
    EXPECT_EQ(form.Score, 10);
}

TEST_F(ScoringTest, ARoundThatEndsBeforeTheFirstTickReportsZero)
{
    Start();
    AimAtFigure(2);
    Advance(16ms);
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(backend.MessageBoxes()[0].Text, "Oh NO!~ You lost! But you got 0");
}

TEST_F(ScoringTest, NoObstacleTickWhileTheBoxIsOpenSoOneTouchGivesOneBox)
{
    Start();
    AimAtFigure(0);
    bool ticked = false;
    backend.OnMessageBox = [&](const platform::HeadlessBackend::MessageBox&) {
        const float left = form.Image1(1).Left;
        backend.Stall(30s);  // the player takes their time
        ticked = form.Image1(1).Left != left;
        return true;
    };
    Advance(16ms);
    EXPECT_FALSE(ticked);
    EXPECT_EQ(backend.MessageBoxes().size(), 1U);
    Advance(5s);
    EXPECT_EQ(backend.MessageBoxes().size(), 1U);  // waiting again: nothing moves
}

TEST_F(ScoringTest, AClickMadeWhileTheBoxIsOpenDoesNotStartTheNextRound)
{
    Start();
    AimAtFigure(0);
    backend.OnMessageBox = [&](const platform::HeadlessBackend::MessageBox&) {
        backend.Post(backend.Now(), platform::MouseDownEvent{10, 340});
        backend.Post(backend.Now(), platform::MouseUpEvent{10, 340});
        return true;
    };
    Advance(1s);
    EXPECT_TRUE(form.Label1().Visible);
    EXPECT_FALSE(form.Timer1().Enabled);
}

// The score would overflow its 16 bits on the 3,277th tick of a round and end
// the program; instead it stops at its largest value.
TEST_F(ScoringTest, TheScoreHoldsAt32760InsteadOfOverflowing)
{
    StartScoring();
    Advance(327600ms);
    EXPECT_EQ(form.Score, 32760);
    Advance(100ms);
    EXPECT_EQ(form.Score, 32760);
    Advance(10s);
    EXPECT_FALSE(runtime.Finished());
    EXPECT_EQ(form.Score, 32760);
    EXPECT_EQ(form.lblScore().Caption, "32760");
    AimAtFigure(4);
    Advance(20ms);
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(backend.MessageBoxes()[0].Text, "Oh NO!~ You lost! But you got 32760");
}
