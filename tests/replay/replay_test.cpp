// The replay tool's script reader and traces.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/replay/replay.h"

namespace {

using namespace std::chrono_literals;
using replay::ParseScript;
using replay::ScriptError;

std::string Trace(std::string_view script)
{
    std::ostringstream out;
    replay::Replay(ParseScript(script), out);
    return out.str();
}

std::vector<std::string> LinesWith(const std::string& trace, std::string_view what)
{
    std::vector<std::string> lines;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        if (line.find(what) != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(ReplayScript, ReadsSettingsEventsRepeatsAndComments)
{
    const replay::Script script = ParseScript(R"(# a comment line
seed 42
box after 1.5s   # trailing comment
end 20s

100ms key 39 shift 1
2.5s move -3e38 180.5
300ms click 200 180
310ms key 40 repeat 3 every 33ms
)");
    EXPECT_EQ(script.Seed, 42U);
    EXPECT_EQ(script.BoxDelay, 1500ms);
    EXPECT_EQ(script.End, 20s);
    ASSERT_EQ(script.Events.size(), 7U);
    EXPECT_EQ(script.Events[0].At, 100ms);
    EXPECT_EQ(replay::Describe(script.Events[0].Event), "key 39 shift 1");
    EXPECT_EQ(script.Events[1].At, 2500ms);
    EXPECT_EQ(replay::Describe(script.Events[1].Event), "move -3e+38,180.5");
    EXPECT_EQ(replay::Describe(script.Events[2].Event), "down 200,180");
    EXPECT_EQ(replay::Describe(script.Events[3].Event), "up 200,180");
    EXPECT_EQ(script.Events[6].At, 376ms);
    EXPECT_EQ(replay::Describe(script.Events[6].Event), "key 40");
}

TEST(ReplayScript, AMistakeNamesItsLine)
{
    const auto error = [](std::string_view text) {
        try {
            ParseScript(text);
        } catch (const ScriptError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error("seed 1\n\n100 key 39\n"), "line 3: bad time \"100\" (write e.g. 120ms or 2.5s)");
    EXPECT_EQ(error("-5ms key 39"), "line 1: bad time \"-5ms\" (write e.g. 120ms or 2.5s)");
    EXPECT_EQ(error("5ms jump"), "line 1: unknown event \"jump\"");
    EXPECT_EQ(error("5ms move 10"), "line 1: missing y");
    EXPECT_EQ(error("5ms key 39 now"), "line 1: unexpected \"now\"");
    EXPECT_EQ(error("5ms key 3x"), "line 1: bad key code \"3x\"");
    EXPECT_EQ(error("5ms key 39 repeat 0 every 1ms"), "line 1: repeat count out of 1..1000000");
    EXPECT_EQ(error("5ms key 39 repeat 1000000 every 1000000s"), "line 1: the repeats run on for too long");
    EXPECT_EQ(error("box 5ms"), "line 1: expected \"after\"");
}

TEST(ReplayTrace, TimesReadInMillisecondsExactly)
{
    EXPECT_EQ(replay::FormatTime(0ns), "0.000");
    EXPECT_EQ(replay::FormatTime(15625us), "15.625");
    EXPECT_EQ(replay::FormatTime(2500ms), "2500.000");
    EXPECT_EQ(replay::FormatTime(1000001ns), "1.000001");
}

TEST(ReplayTrace, TheSameScriptGivesTheSameTraceAndTheSeedChangesIt)
{
    const std::string script = "seed 7\n10ms click 10 340\n400ms key 37 repeat 5 every 33ms\n";
    const std::string first = Trace(script);
    EXPECT_EQ(first, Trace(script));
    EXPECT_NE(first, Trace("seed 8\n10ms click 10 340\n400ms key 37 repeat 5 every 33ms\n"));
}

TEST(ReplayTrace, ShowsEveryTickAndEventWithTheStateAfterIt)
{
    const std::string trace = Trace("seed 7\nend 120ms\n10ms key 39\n20ms click 10 340\n");
    EXPECT_EQ(LinesWith(trace, "load").size(), 1U);
    const auto key = LinesWith(trace, " key 39 ");
    ASSERT_EQ(key.size(), 1U);
    EXPECT_TRUE(key[0].starts_with("10.000 key 39 | [120,64 ")) << key[0];
    EXPECT_NE(key[0].find("| score 0 \"\" | figure 236,174.5 dir 3 frame 1 | Timer1 off, Scoring off, prompt shown"),
              std::string::npos)
        << key[0];
    EXPECT_EQ(LinesWith(trace, " down 10,340 ").size(), 1U);
    const auto up = LinesWith(trace, " up 10,340 ");
    ASSERT_EQ(up.size(), 1U);
    EXPECT_NE(up[0].find("Timer1 on, Scoring on, prompt hidden"), std::string::npos);
    // Timer1 at the system tick from the click on, Scoring every 100 ms.
    const auto ticks = LinesWith(trace, "tick Timer1");
    ASSERT_EQ(ticks.size(), 6U);
    EXPECT_TRUE(ticks[0].starts_with("35.625 tick Timer1 | ")) << ticks[0];
    const auto scoring = LinesWith(trace, "tick Scoring");
    ASSERT_EQ(scoring.size(), 1U);
    EXPECT_TRUE(scoring[0].starts_with("120.000 tick Scoring | ")) << scoring[0];
    EXPECT_NE(scoring[0].find("| score 10 \"10\" |"), std::string::npos);
    EXPECT_TRUE(LinesWith(trace, "stop").at(0).starts_with("120.000 stop | "));
}

TEST(ReplayTrace, AGameOverShowsItsBoxAndInputWhileItIsOpenIsNotHandled)
{
    // Walked up into the obstacles' path, the figure is hit at once; the box
    // stays open for 5 s, and a click made meanwhile must not start the next
    // round.
    std::string script = "seed 3\nbox after 5s\nend 8s\n0ms click 10 340\n0ms key 38 repeat 20 every 1ms\n";
    const std::string trace = Trace(script);
    const auto boxes = LinesWith(trace, " box \"Oh NO!~ You lost! But you got ");
    ASSERT_EQ(boxes.size(), 1U) << trace;
    const double at = std::stod(boxes[0]);
    EXPECT_LT(at, 5000);
    const std::string whileOpen = std::to_string(static_cast<int>(at) + 100) + "ms click 10 340\n";
    const std::string again = Trace(script + whileOpen);
    EXPECT_EQ(LinesWith(again, "down 10,340").size(), 1U);
    EXPECT_NE(LinesWith(again, "stop").at(0).find("prompt shown"), std::string::npos);
}

}  // namespace
