// The window as designed, the load of the form and the start of a round.
#include <vector>

#include "platform/language/random.h"
#include "tests/game_fixture.h"

namespace {

struct Placement {
    int index;
    float left;
    float top;
};
constexpr Placement kObstacles[] = {{0, 120, 64}, {1, 160, 72}, {2, 200, 64}, {3, 232, 64}, {4, 272, 64}};

void ExpectDesignValues(frmBomber& form)
{
    EXPECT_EQ(form.ScaleWidth(), 464.0F);
    EXPECT_EQ(form.ScaleHeight(), 349.0F);
    EXPECT_FALSE(form.Timer1().Enabled);
    EXPECT_FALSE(form.Scoring().Enabled);
    EXPECT_EQ(form.Timer1().Interval, 1);
    EXPECT_EQ(form.Scoring().Interval, 100);
    EXPECT_TRUE(form.Label1().Visible);
    EXPECT_EQ(form.Label1().Caption, "Click to Start");
    EXPECT_EQ(form.lblScore().Caption, "");
    EXPECT_FALSE(form.picMask().Visible);
    EXPECT_FALSE(form.picSprite().Visible);
    for (const Placement& p : kObstacles) {
        EXPECT_EQ(form.Image1(p.index).Left, p.left) << "Image1(" << p.index << ")";
        EXPECT_EQ(form.Image1(p.index).Top, p.top) << "Image1(" << p.index << ")";
        EXPECT_EQ(form.Image1(p.index).Width, 20.0F);
        EXPECT_EQ(form.Image1(p.index).Height, 20.0F);
    }
}

std::vector<int> SpeedsDrawnFrom(std::uint32_t seed)
{
    platform::Random random;
    random.Seed(seed);
    std::vector<int> speeds;
    for (int i = 0; i < 5; ++i) {
        speeds.push_back(static_cast<int>(random.Next() * 5.0 + 1));
        speeds.push_back(static_cast<int>(random.Next() * 7.0 + 3));
    }
    return speeds;
}

std::vector<int> Speeds(frmBomber& form)
{
    std::vector<int> speeds;
    for (int i = 0; i < 5; ++i) {
        speeds.push_back(form.SpeedX(i).Value());
        speeds.push_back(form.SpeedY(i).Value());
    }
    return speeds;
}

}  // namespace

TEST_F(GameTest, TheWindowLoadsWithItsDesignValues)
{
    EXPECT_EQ(form.Caption(), "Orvixel");
    ExpectDesignValues(form);
    // The stacking order: the prompt above every obstacle, higher indices above
    // lower ones, the score label beneath them all.
    std::vector<std::string> order;
    for (const auto& control : form.Controls()) {
        const auto& base = platform::Base(control);
        order.push_back(std::string(base.Name) + (base.Index >= 0 ? std::to_string(base.Index) : ""));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Scoring", "Timer1", "picMask", "picSprite", "Label1", "Image14",
                                               "Image13", "Image12", "Image11", "Image10", "lblScore"}));
    // The sheets sit inside the boxes' one-pixel border: the inner area is the sheet.
    EXPECT_EQ(form.picMask().Image().Width(), 80);
    EXPECT_EQ(form.picMask().Image().Height(), 84);
}

TEST_F(GameTest, FormLoadCentresTheFigureUnroundedAndDrawsSpeedsInOrderFromOneSeeding)
{
    EXPECT_EQ(form.PlayerX, 232.0);
    EXPECT_EQ(form.PlayerY, 174.5);
    EXPECT_EQ(Speeds(form), SpeedsDrawnFrom(backend.ClockSeed()));
    EXPECT_EQ(form.AnimFrame, 0);
    EXPECT_EQ(form.PlayerDir, 0);
    EXPECT_EQ(form.Score, 0);
}

TEST_F(GameTest, EverySpeedStartsInRangeWhateverTheDraws)
{
    for (std::uint32_t seed = 0; seed < 3000; ++seed) {
        backend.SetSeed(seed * 2654435761U);
        platform::Unload(form);
        form.Show();
        for (int i = 0; i < 5; ++i) {
            ASSERT_GE(form.SpeedX(i), 1);
            ASSERT_LE(form.SpeedX(i), 5);
            ASSERT_GE(form.SpeedY(i), 3);
            ASSERT_LE(form.SpeedY(i), 9);
        }
    }
}

TEST_F(GameTest, EachLoadReseedsSoARestartDrawsNewSpeeds)
{
    const std::vector<int> first = Speeds(form);
    Advance(1500ms);
    platform::Unload(form);
    form.Show();
    EXPECT_EQ(Speeds(form), SpeedsDrawnFrom(backend.ClockSeed()));
    EXPECT_NE(Speeds(form), first);
}

TEST_F(GameTest, AClickOnTheFreeAreaOrThePromptStartsTheRound)
{
    for (const auto& [x, y] : {std::pair{10.0F, 340.0F}, {150.0F, 180.0F}}) {
        platform::Unload(form);
        form.Show();
        Click(x, y);
        EXPECT_TRUE(form.Timer1().Enabled) << x << "," << y;
        EXPECT_TRUE(form.Scoring().Enabled);
        EXPECT_FALSE(form.Label1().Visible);
        // A second click while the round runs changes nothing.
        Click(x, y);
        EXPECT_TRUE(form.Timer1().Enabled);
    }
}

TEST_F(GameTest, AClickOnAnObstacleOrTheScoreLabelStartsNothing)
{
    Click(125, 70);   // Image1(0)
    Click(275, 80);   // Image1(4)
    Click(190, 20);   // lblScore, though empty
    runtime.Deliver(platform::MouseDownEvent{10, 340});
    runtime.Deliver(platform::MouseUpEvent{150, 180});  // press and release apart
    Advance(2s);
    ExpectDesignValues(form);
}

TEST_F(GameTest, NothingMovesAndNothingScoresBeforeTheStartClick)
{
    Advance(10s);
    ExpectDesignValues(form);
    EXPECT_EQ(form.Score, 0);
}

TEST_F(GameTest, AReloadKeepsTheFormStateAndRestoresTheDesign)
{
    Start();
    Key(39);
    Advance(1s);
    form.Score = 120;
    platform::Unload(form);
    EXPECT_FALSE(form.IsLoaded());
    form.Show();
    ExpectDesignValues(form);
    EXPECT_EQ(form.Score, 120);
    EXPECT_EQ(form.PlayerDir, 3);
    EXPECT_EQ(form.AnimFrame, 1);
    EXPECT_EQ(form.PlayerX, 232.0);  // Form_Load places the figure again
    // The drawing surface is fresh: the figure is gone until the next step.
    EXPECT_EQ(form.DrawingSurface(), platform::Surface(464, 349));
}

TEST_F(GameTest, TheFrameAtLoadShowsObstaclesAndPromptOnBlack)
{
    const platform::Surface& frame = Frame();
    ASSERT_EQ(frame.Width(), 464);
    ASSERT_EQ(frame.Height(), 349);
    // Each obstacle is drawn opaque at its design position.
    const platform::Surface& obstacle = media.Picture(embedded::Obstacle());
    for (const Placement& p : kObstacles) {
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                ASSERT_EQ(frame.At(static_cast<int>(p.left) + x, static_cast<int>(p.top) + y), obstacle.At(x, y));
            }
        }
    }
    // White prompt text inside its rectangle, black elsewhere; no figure yet.
    int white = 0;
    for (int y = 0; y < 349; ++y) {
        for (int x = 0; x < 464; ++x) {
            const bool inPrompt = x >= 144 && x < 281 && y >= 168 && y < 201;
            const bool inObstacle = y >= 64 && y < 92 && x >= 120 && x < 292;
            if (!inPrompt && !inObstacle) {
                ASSERT_EQ(frame.At(x, y), 0U) << x << "," << y;
            }
            white += frame.At(x, y) == 0xFFFFFFU && inPrompt ? 1 : 0;
        }
    }
    EXPECT_GT(white, 100);
}
