// The replay tool's script reader and traces.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/sessions.h"
#include "assets/embedded.h"
#include "platform/graphics/media.h"
#include "platform/replay/recorder.h"
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
2.5s move -3.25 180.5
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
    EXPECT_EQ(replay::Describe(script.Events[1].Event), "move -3.25,180.5");
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
    EXPECT_EQ(error("5ms key 39 repeat 0 every 1ms"), "line 1: repeat count \"0\" out of 1..1000000");
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

// The web build writes numbers with printf: a check's digest made there must
// match the desktop's, so the text must be std::to_chars's to the byte.
TEST(ReplayTrace, NumbersAreWrittenAlikeWithPrintfAndToChars)
{
    const float floats[] = {0.0F, -0.0F, 1.0F, 0.1F, 250.5F, 300.0F, 123.4567F, 1e10F, 3e10F, 123456789.0F,
                            16777216.0F, 1e-5F, 1.17549435e-38F, 3.40282347e38F, 1e-45F, -361.265625F};
    for (const float value : floats) {
        EXPECT_EQ(platform::replay::FloatTextByPrintf(value), platform::replay::FloatText(value)) << platform::replay::FloatText(value);
    }
    const double doubles[] = {0.1, 1e22, 1e23, 123456789012.0, 5e-324, 1.7976931348623157e308, 0.30000000000000004};
    for (const double value : doubles) {
        EXPECT_EQ(platform::replay::FloatTextByPrintf(value), platform::replay::FloatText(value)) << platform::replay::FloatText(value);
    }
    std::mt19937 random(20261209);
    for (int i = 0; i < 20000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        const double wide = std::bit_cast<double>((std::uint64_t{random()} << 32) | random());
        if (std::isfinite(value)) {
            ASSERT_EQ(platform::replay::FloatTextByPrintf(value), platform::replay::FloatText(value));
        }
        if (std::isfinite(wide)) {
            ASSERT_EQ(platform::replay::FloatTextByPrintf(wide), platform::replay::FloatText(wide));
        }
    }
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

// Recordings: the golden scripts played with a recording, which plays back
// to the same trace and verifies.
namespace recordings {

namespace fs = std::filesystem;

std::string Golden(std::string_view name)
{
    std::ifstream in(std::string(BRENNOW_GOLDEN_DIR) + "/" + std::string(name) + ".in", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Record(std::string_view script, std::string* trace = nullptr)
{
    std::string recording;
    std::ostringstream out;
    replay::Replay(ParseScript(script), out, &recording);
    if (trace != nullptr) {
        *trace = out.str();
    }
    return recording;
}

// The trace's lines without their times, the header and the last line
// (a script stops at its end time, a playback at its last step).
std::vector<std::string> Steps(const std::string& trace)
{
    std::vector<std::string> steps;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with('#')) {
            steps.push_back(line.substr(line.find(' ') + 1));
        }
    }
    if (!steps.empty()) {
        steps.pop_back();
    }
    return steps;
}

struct Verified {
    int status = 0;
    std::string out;
    std::string err;
};

class File {
public:
    explicit File(std::string_view contents)
        : path_(fs::temp_directory_path() /
                ("brennow-replay-test-" + Tag() + "-" + std::to_string(++count_) + ".replay"))
    {
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~File() { fs::remove(path_); }
    std::string Path() const { return path_.string(); }

private:
    // ctest runs each case in a process of its own, side by side, and other
    // checkouts may run them too: the count alone would hand two of them one file.
    static const std::string& Tag()
    {
        static const std::string tag = std::to_string(std::random_device{}());
        return tag;
    }

    fs::path path_;
    static inline int count_ = 0;
};

Verified Verify(const std::string& path)
{
    Verified verified;
    std::ostringstream out;
    std::ostringstream err;
    verified.status = app::Verify(path, out, err);
    verified.out = out.str();
    verified.err = err.str();
    return verified;
}

Verified VerifyText(std::string_view contents)
{
    const File file(contents);
    Verified verified = Verify(file.Path());
    // The file's name is the test's own: only what follows it.
    if (const auto at = verified.err.find(file.Path()); at != std::string::npos) {
        verified.err.replace(at, file.Path().size(), "FILE");
    }
    return verified;
}

// The two rounds of the golden script, then the window closed.
const std::string& Session()
{
    static const std::string recording = Record(Golden("two_rounds") + "8900ms close\n");
    return recording;
}

TEST(Recording, PlaysBackTheGoldenScriptsToTheSameSteps)
{
    for (const char* name : {"keys", "mouse", "two_rounds"}) {
        std::string original;
        const std::string recording = Record(Golden(name), &original);
        std::istringstream in(recording);
        std::ostringstream played;
        std::string verdict = "not played";
        replay::PlayBack(in, played, verdict);
        EXPECT_EQ(verdict, "") << name;
        EXPECT_EQ(Steps(original), Steps(played.str())) << name;
        EXPECT_GT(Steps(original).size(), 100U) << name;
    }
}

TEST(Recording, KeepsSeedsTicksBoxesChecksScoresAndTheEnd)
{
    const std::string& recording = Session();
    EXPECT_TRUE(recording.starts_with("brennow-replay 1 Brennow ")) << recording.substr(0, 40);
    const auto count = [&](std::string_view what) { return LinesWith(recording, what).size(); };
    EXPECT_EQ(count(" seed "), 3U);  // the first load and the two after a round
    EXPECT_EQ(count(" box \"Oh NO!~ You lost! But you got "), 2U);
    EXPECT_EQ(count(" closed ok"), 2U);
    EXPECT_EQ(count(" score "), 2U);
    EXPECT_GE(count(" check "), 8U);  // once a second
    EXPECT_GT(count(" tick Timer1"), 200U);
    EXPECT_GT(count(" tick Scoring"), 40U);
    // The 30 repeats; the key pressed while the first box was open is not
    // dispatched, nor kept.
    const auto keys = LinesWith(recording, " key 39");
    EXPECT_EQ(keys.size(), 30U);
    EXPECT_TRUE(recording.ends_with(" close\n+0 exit 0\n"))
        << recording.substr(recording.size() - std::min<std::size_t>(recording.size(), 40));
    // After the header, times only ever count forward, in whole milliseconds
    // after the line before.
    std::istringstream lines(recording);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        EXPECT_TRUE(line.size() > 1 && line[0] == '+' && std::isdigit(static_cast<unsigned char>(line[1]))) << line;
    }
}

TEST(Recording, VerifyPrintsEachRoundsScore)
{
    const File file(Session());
    const Verified verified = Verify(file.Path());
    EXPECT_EQ(verified.status, 0) << verified.err;
    const auto rounds = LinesWith(verified.out, "round ");
    ASSERT_EQ(rounds.size(), 2U) << verified.out;
    EXPECT_EQ(verified.out, rounds[0] + "\n" + rounds[1] + "\n");
    const auto boxes = LinesWith(Session(), " box ");
    ASSERT_EQ(boxes.size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string score = rounds[i].substr(rounds[i].find(": ") + 2);
        EXPECT_TRUE(rounds[i].starts_with("round " + std::to_string(i + 1) + ": ")) << rounds[i];
        EXPECT_NE(boxes[i].find("got " + score + "\""), std::string::npos) << boxes[i];
    }
    EXPECT_EQ(verified.err, "");
}

TEST(Recording, ADifferenceNamesItsRoundAndItsLine)
{
    const std::string& session = Session();
    const auto changed = [&](std::string_view what, std::string_view to, int skip = 0) {
        std::size_t at = session.find(what);
        while (skip-- > 0) {
            at = session.find(what, at + 1);
        }
        std::string text = session;
        const std::size_t end = text.find('\n', at);
        text.replace(at, end - at, to);
        const std::size_t line = static_cast<std::size_t>(std::count(text.begin(), text.begin() + at, '\n')) + 1;
        return std::pair(text, std::to_string(line));
    };
    struct Case {
        const char* what;
        const char* to;
        int skip;
        std::string verdict;
    };
    const Case cases[] = {
        {" check ", " check 00000000", 3, "round 1: line L: the game's state differs from the check at "},
        {" score ", " score 1", 1, "round 2: line L: the score is "},
        {" seed ", " seed 14", 1, "round 2: line "},  // a round of other obstacles: its first check differs
        {" tick Scoring", " tick Scoring\n+0 tick Scoring", 5, "round 1: line "},
        {" box ", " box \"Well done\"", 0, "round 2: line L: the box says \"Oh NO!~"},
        {" key 37", " seed 1", 0, "round 1: line L: the recording has a seed where the game took its next step"},
    };
    for (const Case& c : cases) {
        const auto [text, line] = changed(c.what, c.to, c.skip);
        const Verified verified = VerifyText(text);
        EXPECT_EQ(verified.status, 1) << c.to << "\n" << verified.out << verified.err;
        std::string verdict = c.verdict;
        if (const auto at = verdict.find("line L"); at != std::string::npos) {
            verdict.replace(at, 6, "line " + line);
        }
        EXPECT_EQ(LinesWith(verified.out, verdict).size(), 1U) << c.to << ": " << verified.out;
        EXPECT_FALSE(verified.out.ends_with("round 3: incomplete")) << verified.out;
    }
}

TEST(Recording, ACutRecordingVerifiesTheRoundsItHolds)
{
    const std::string& session = Session();
    const std::size_t secondBox = session.find(" box ", session.find(" box ") + 1);
    const std::size_t firstBox = session.find(" box ");
    struct Case {
        std::size_t at;
        std::string out;
    };
    const std::string third = "round 3: incomplete, the recording was cut in it\n";
    const Case cases[] = {
        {session.find('\n') + 1, "round 1: incomplete, the recording was cut in it\n"},
        // a last line without its newline
        {session.find('\n') + 5, "round 1: incomplete, the recording was cut in it\n"},
        {session.find('\n', firstBox) + 1, "round 1: R1\nround 2: incomplete, the recording was cut in it\n"},
        {firstBox + 3, "round 1: R1\nround 2: incomplete, the recording was cut in it\n"},
        {session.find('\n', secondBox) + 20, "round 1: R1\nround 2: R2\n" + third},
        {session.size() - 1, "round 1: R1\nround 2: R2\n" + third},
    };
    const Verified whole = VerifyText(session);
    const auto rounds = LinesWith(whole.out, "round ");
    ASSERT_EQ(rounds.size(), 2U);
    for (const Case& c : cases) {
        std::string expected = c.out;
        for (std::size_t i = 0; i < 2; ++i) {
            const std::string mark = "round " + std::to_string(i + 1) + ": R" + std::to_string(i + 1);
            if (const auto at = expected.find(mark); at != std::string::npos) {
                expected.replace(at, mark.size(), rounds[i]);
            }
        }
        const Verified verified = VerifyText(session.substr(0, c.at));
        EXPECT_EQ(verified.status, 0) << c.at << ": " << verified.err;
        EXPECT_EQ(verified.out, expected) << "cut at " << c.at;
    }
}

TEST(Recording, WindowsLineEndingsAndAnotherVersionOfTheGamePlay)
{
    std::string crlf;
    for (const char c : Session()) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const Verified windows = VerifyText(crlf);
    EXPECT_EQ(windows.status, 0) << windows.err;
    EXPECT_EQ(windows.out, VerifyText(Session()).out);

    std::string older = Session();
    older.replace(0, older.find('\n'), "brennow-replay 1 Brennow 0.9.2");
    const Verified verified = VerifyText(older);
    EXPECT_EQ(verified.status, 0);
    EXPECT_EQ(verified.err, "brennow: FILE: recorded by Brennow 0.9.2, played by " + app::MadeBy() + "\n");
}

TEST(Recording, BadFilesAreRefusedNamingTheFileAndTheLine)
{
    const std::string header = "brennow-replay 1 Brennow 1.0.0\n";
    const std::string start = header + "+0 seed 13\n";
    struct Case {
        std::string contents;
        std::string err;
    };
    const Case cases[] = {
        {"", "line 1: the file is empty"},
        {"brennow-replay 1 Bren", "line 1: the file ends inside its first line"},
        {"\x7f" "ELF\x02\x01\x01\x00\x00\x00\x00\x00\x03\x00>\x00\x01\x00\x00\x00\n\xff\xfe",
         "line 1: not a Brennow replay (the first line names no replay format)"},
        {std::string(2000, '\0'), "line 1: a line longer than 1024 bytes"},
        {header + std::string(5000, 'x') + "\n", "line 2: a line longer than 1024 bytes"},
        {"brennow-replay 2 Brennow 9.0.0\n",
         "line 1: format version 2 is newer than this program reads (1); a newer Brennow plays it"},
        {"brennow-replay one\n", "line 1: bad format version \"one\""},
        {"brennow-replay 0\n", "line 1: format version \"0\" out of 1..1000000"},
        {start + "5ms key 39\n3ms key 39\n", "line 4: the time runs backwards, to 3.000 ms after 5.000 ms"},
        {start + "+5 key 39\n+-3 key 39\n", "line 4: bad time \"+-3\" (write e.g. +8 for 8 ms after the line before)"},
        {start + "+5 key 65536\n", "line 3: key code \"65536\" out of 0..32767"},
        {start + "+5 key -1\n", "line 3: key code \"-1\" out of 0..32767"},
        {start + "+5 key 99999999999999999999\n", "line 3: key code \"99999999999999999999\" out of 0..32767"},
        {start + "+5 move 1e7 3\n", "line 3: x \"1e7\" out of -1000000..1000000"},
        {start + "+5 move 3 nan\n", "line 3: bad y \"nan\""},
        {start + "+5 move 3 inf\n", "line 3: bad y \"inf\""},
        {start + "+5 key 39 repeat 1000 every 1ms\n", "line 3: \"repeat\" is for scripts, not recordings"},
        {start + "+5 click 3 4\n", "line 3: \"click\" is for scripts, not recordings"},
        {start + "+1e30 key 39\n", "line 3: bad time \"+1e30\" (write e.g. +8 for 8 ms after the line before)"},
        {start + "+5 score 40000\n", "line 3: score \"40000\" out of -32768..32767"},
        {start + "+5 check 12345\n", "line 3: bad check \"12345\" (eight hexadecimal digits)"},
        {start + "+5 tick Timer1 -3\n", "line 3: timer's index \"-3\" out of 0..32767"},
        {start + "+5 tick ../x\n", "line 3: bad timer's name \"../x\""},
        {start + "+5 box \"unclosed\n", "line 3: a quoted text without its closing quote"},
        {start + "+5 closed later\n", "line 3: bad close \"later\" (ok, quit or not-shown)"},
        {start + "+5 jump\n", "line 3: unknown event \"jump\""},
        {start + "seed 7\n", "line 3: bad time \"seed\" (write e.g. 120ms or 2.5s)"},
        {start + std::string("+5 key 39\0\n", 11), "line 3: a NUL byte: this is no replay file"},
    };
    for (const Case& c : cases) {
        const Verified verified = VerifyText(c.contents);
        EXPECT_EQ(verified.status, 2) << c.err;
        EXPECT_EQ(verified.err, "brennow: FILE: " + c.err + "\n");
    }
}

TEST(Recording, AFolderOrAMissingPathIsRefused)
{
    const fs::path folder = fs::temp_directory_path();
    const Verified onFolder = Verify(folder.string());
    EXPECT_EQ(onFolder.status, 2);
    EXPECT_EQ(onFolder.err, "brennow: " + folder.string() + ": is a folder, not a replay\n");
    const std::string missing = (folder / "brennow-no-such-replay").string();
    const Verified onMissing = Verify(missing);
    EXPECT_EQ(onMissing.status, 2);
    EXPECT_EQ(onMissing.err, "brennow: " + missing + ": cannot be read: No such file or directory\n");
}

TEST(Recording, FiftyMegabytesOfZerosAreRefusedInBoundedMemory)
{
    const File file("");
    {
        std::ofstream out(file.Path(), std::ios::binary);
        const std::string zeros(1 << 20, '\0');
        for (int i = 0; i < 50; ++i) {
            out << zeros;
        }
    }
    const Verified verified = Verify(file.Path());
    EXPECT_EQ(verified.status, 2);
    EXPECT_EQ(verified.err, "brennow: " + file.Path() + ": line 1: a line longer than 1024 bytes\n");
}

TEST(Recording, AFileToRecordToMustBeNew)
{
    const File existing("kept");
    std::string error;
    EXPECT_EQ(app::RecordingFile::Create(existing.Path(), error), nullptr);
    const std::string stem = existing.Path().substr(0, existing.Path().size() - std::string(".replay").size());
    EXPECT_EQ(error, "will not record to " + existing.Path() +
                         ": it exists, and a recording never overwrites a file; try " + stem + "-2.replay");
    std::ifstream in(existing.Path());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept");

    const fs::path folder = fs::temp_directory_path();
    EXPECT_EQ(app::RecordingFile::Create(folder.string(), error), nullptr);
    EXPECT_EQ(error, "cannot record to " + folder.string() + ": it is a folder");
    const std::string nowhere = (folder / "brennow-no-such-folder" / "a.replay").string();
    EXPECT_EQ(app::RecordingFile::Create(nowhere, error), nullptr);
    EXPECT_EQ(error, "cannot record to " + nowhere + ": No such file or directory");
}

TEST(Recording, AFailedWriteStopsTheRecordingOnceAndThePlayGoesOn)
{
    int pieces = 0;
    int stopped = 0;
    platform::HeadlessBackend backend;
    platform::Media media(embedded::SansSerif());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
    platform::replay::Recorder recorder([&](std::string_view) { return ++pieces < 2; }, "Brennow test",
                                        app::ViewOf(runtime));
    recorder.OnStopped = [&] { ++stopped; };
    runtime.Record(recorder);
    replay::AnswerBoxes(backend, {});
    const replay::Script script = ParseScript(Golden("two_rounds"));
    for (const replay::TimedEvent& event : script.Events) {
        backend.Post(event.At, event.Event);
    }
    frmBomber& form = runtime.Start<frmBomber>();
    runtime.RunUntil(9s);
    EXPECT_EQ(pieces, 2);  // the first round's, then the second's refused
    EXPECT_EQ(stopped, 1);
    EXPECT_TRUE(recorder.Stopped());
    EXPECT_EQ(backend.MessageBoxes().size(), 2U);
    EXPECT_TRUE(form.Timer1().Enabled || form.Label1().Visible);
}

TEST(Recording, AMinuteOfMouseAt125HzIsSmall)
{
    // The pointer never rests, and the prompt is clicked each second to
    // start the next round at once.
    std::string script = "seed 5\nend 60s\n";
    for (int ms = 0; ms < 60000; ms += 8) {
        const int x = 20 + (ms / 8 * 7) % 420;
        const int y = 20 + (ms / 8 * 3) % 300;
        script += std::to_string(ms) + "ms move " + std::to_string(x) + " " + std::to_string(y) + "\n";
        if (ms % 1000 == 4) {
            script += std::to_string(ms) + "ms click 232 174\n";
        }
    }
    const std::string recording = Record(script);
    EXPECT_GT(LinesWith(recording, " move ").size(), 7400U);
    EXPECT_LE(recording.size(), 200U * 1024U);
    RecordProperty("bytes", static_cast<int>(recording.size()));
}

}  // namespace recordings
