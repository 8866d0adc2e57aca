// The command line: one table of argument lists, with the options each gives
// or the status and the lines it prints.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

app::CommandLine Parse(std::initializer_list<const char*> given)
{
    std::vector<std::string> words{"brennow"};
    words.insert(words.end(), given.begin(), given.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    const std::vector<char*> before = argv;
    app::CommandLine parsed = app::ParseCommandLine(argv);
    EXPECT_EQ(argv, before) << "the caller's arguments were reordered";
    return parsed;
}

struct Good {
    std::initializer_list<const char*> arguments;
    std::optional<bool> fullScreen;
    std::optional<int> scale;
    std::optional<std::string> record, replay, verify;
};

struct Bad {
    std::initializer_list<const char*> arguments;
    std::string firstLine;  // on standard error
};

}  // namespace

TEST(CommandLine, GoodArgumentListsGiveTheirOptions)
{
    const Good table[] = {
        {{}},
        {{"--fullscreen"}, true},
        {{"--window"}, false},
        {{"--fullscreen", "--window"}, false},  // the last wins
        {{"--window", "--fullscreen"}, true},
        {{"--scale", "3"}, {}, 3},
        {{"--scale=2"}, {}, 2},
        {{"--scale=07"}, {}, 7},
        {{"--sc=4", "--full"}, true, 4},  // unambiguous abbreviations
        {{"--scale=1", "--scale", "5"}, {}, 5},
        {{"--fullscreen", "--"}, true},
        {{"--record", "a.txt"}, {}, {}, "a.txt"},
        {{"--replay=b.txt", "--scale=2", "--fullscreen"}, true, 2, {}, "b.txt"},
        {{"--verify", "-"}, {}, {}, {}, {}, "-"},
        {{"--rec=--help"}, {}, {}, "--help"},  // a file's name, not an option
    };
    for (const Good& row : table) {
        const app::CommandLine parsed = Parse(row.arguments);
        std::string shown;
        for (const char* word : row.arguments) {
            shown += std::string(word) + " ";
        }
        ASSERT_TRUE(parsed.options) << shown << parsed.error;
        EXPECT_EQ(parsed.options->fullScreen, row.fullScreen) << shown;
        EXPECT_EQ(parsed.options->scale, row.scale) << shown;
        EXPECT_EQ(parsed.options->record, row.record) << shown;
        EXPECT_EQ(parsed.options->replay, row.replay) << shown;
        EXPECT_EQ(parsed.options->verify, row.verify) << shown;
        EXPECT_EQ(parsed.output + parsed.error, "") << shown;
    }
}

TEST(CommandLine, BadArgumentListsNameWhatIsWrongAndExitWithStatus2)
{
    const Bad table[] = {
        {{"--frobnicate"}, "brennow: unrecognized option '--frobnicate'"},
        {{"-x"}, "brennow: invalid option -- 'x'"},
        {{"--scale"}, "brennow: option '--scale' requires an argument"},
        {{"--window", "--scale"}, "brennow: option '--scale' requires an argument"},
        {{"--scale", "0"}, "brennow: invalid scale '0': a whole number of 1 or more is needed"},
        {{"--scale", "-2"}, "brennow: invalid scale '-2': a whole number of 1 or more is needed"},
        {{"--scale=abc"}, "brennow: invalid scale 'abc': a whole number of 1 or more is needed"},
        {{"--scale=1.5"}, "brennow: invalid scale '1.5': a whole number of 1 or more is needed"},
        {{"--scale="}, "brennow: invalid scale '': a whole number of 1 or more is needed"},
        {{"--scale= 2"}, "brennow: invalid scale ' 2': a whole number of 1 or more is needed"},
        {{"--scale=+2"}, "brennow: invalid scale '+2': a whole number of 1 or more is needed"},
        {{"--scale=99999999999999"},
         "brennow: invalid scale '99999999999999': a whole number of 1 or more is needed"},
        {{"--window=yes"}, "brennow: option '--window' doesn't allow an argument"},
        {{"--re=x"}, "brennow: option '--re=x' is ambiguous"},  // record or replay
        {{"play"}, "brennow: unexpected argument 'play'"},
        {{"--fullscreen", "--", "--window"}, "brennow: unexpected argument '--window'"},
        {{"-"}, "brennow: unexpected argument '-'"},
        {{"--record=a", "--replay=b"}, "brennow: --record and --replay cannot be used together"},
        {{"--verify=a", "--replay=b"}, "brennow: --verify cannot be used with --record or --replay"},
        {{"--record=a", "--verify=b"}, "brennow: --verify cannot be used with --record or --replay"},
        {{"--frobnicate", "--help"}, "brennow: unrecognized option '--frobnicate'"},  // refused as it comes
    };
    for (const Bad& row : table) {
        const app::CommandLine parsed = Parse(row.arguments);
        EXPECT_FALSE(parsed.options) << row.firstLine;
        EXPECT_EQ(parsed.status, 2) << row.firstLine;
        EXPECT_EQ(parsed.output, "") << row.firstLine;
        EXPECT_EQ(parsed.error, row.firstLine + "\nTry 'brennow --help' for more information.\n");
    }
    // Parsing starts afresh each time: a good list after the bad ones.
    EXPECT_TRUE(Parse({"--scale=2"}).options);
}

TEST(CommandLine, HelpAndVersionArePrintedOnStandardOutputWithStatus0)
{
    for (const auto& arguments : {std::initializer_list<const char*>{"--help"}, {"--he"}, {"--scale=0", "--help"},
                                  {"--help", "stray"}, {"--version", "--help"}}) {
        const app::CommandLine parsed = Parse(arguments);
        if (std::string(*arguments.begin()) == "--scale=0") {
            EXPECT_EQ(parsed.status, 2);  // the bad value comes first
            continue;
        }
        EXPECT_FALSE(parsed.options);
        EXPECT_EQ(parsed.status, 0);
        EXPECT_EQ(parsed.error, "");
        EXPECT_TRUE(parsed.output.starts_with("Usage: brennow [OPTION]...\n")) << parsed.output;
        for (const char* option : {"--fullscreen", "--window", "--scale=N", "--record=FILE", "--replay=FILE",
                                   "--verify=FILE", "--help", "--version"}) {
            EXPECT_NE(parsed.output.find(option), std::string::npos) << option;
        }
    }
    const app::CommandLine version = Parse({"--vers"});
    EXPECT_FALSE(version.options);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.output.starts_with("brennow 1.")) << version.output;
}
