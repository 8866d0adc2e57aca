#include "app/command_line.h"

#include <getopt.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "brennow_version.h"

namespace app {

namespace {

constexpr std::string_view kHelp =
    "Usage: brennow [OPTION]...\n"
    "Dodge the bouncing mines.\n"
    "\n"
    "      --fullscreen     play in full screen\n"
    "      --window         play in a window\n"
    "      --scale=N        show the window N times its size (a whole number, 1 or more)\n"
    "      --record=FILE    write the session to FILE as it is played\n"
    "      --replay=FILE    play the session in FILE back in the window\n"
    "      --verify=FILE    play the session in FILE back without a window, and print each\n"
    "                         round's score\n"
    "      --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "F11 or Alt+Enter toggles full screen; Ctrl+= and Ctrl+- zoom the window,\n"
    "Ctrl+0 goes back to its first size. The scale and full screen are kept\n"
    "between runs; these options apply to one run only.\n";

constexpr std::string_view kVersion =
    "brennow " BRENNOW_VERSION "\n"
    "Copyright (c) 2026 The Brennow developers\n"
    "License MIT: <https://opensource.org/licenses/MIT>\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

enum Option : int { kFullScreen = 256, kWindow, kScale, kRecord, kReplay, kVerify, kHelpOption, kVersionOption };

constexpr option kLongOptions[] = {
    {"fullscreen", no_argument, nullptr, kFullScreen},
    {"window", no_argument, nullptr, kWindow},
    {"scale", required_argument, nullptr, kScale},
    {"record", required_argument, nullptr, kRecord},
    {"replay", required_argument, nullptr, kReplay},
    {"verify", required_argument, nullptr, kVerify},
    {"help", no_argument, nullptr, kHelpOption},
    {"version", no_argument, nullptr, kVersionOption},
    {nullptr, 0, nullptr, 0},
};

CommandLine Refuse(std::string_view what)
{
    CommandLine refused;
    refused.error = "brennow: " + std::string(what) + "\nTry 'brennow --help' for more information.\n";
    refused.status = kBadUsage;
    return refused;
}

// Why getopt_long refused the argument it stopped at (it prints nothing
// itself: opterr is off, so that this stays a pure function).
std::string WhyRefused(std::string_view argument, int shortOption)
{
    // For a long option optopt is 0 or the option's value, past any character.
    if (shortOption > 0 && shortOption < kFullScreen) {
        return "invalid option -- '" + std::string(1, static_cast<char>(shortOption)) + "'";
    }
    if (!argument.starts_with("--")) {
        return "invalid option '" + std::string(argument) + "'";
    }
    const std::string_view name = argument.substr(2, argument.find('=') - 2);
    int matches = 0;
    for (const option& known : kLongOptions) {
        if (known.name != nullptr && std::string_view(known.name).starts_with(name)) {
            if (name == known.name && argument.find('=') != std::string_view::npos) {
                return "option '--" + std::string(name) + "' doesn't allow an argument";
            }
            ++matches;
        }
    }
    if (matches > 1) {
        return "option '" + std::string(argument) + "' is ambiguous";
    }
    return "unrecognized option '" + std::string(argument) + "'";
}

}  // namespace

CommandLine ParseCommandLine(std::span<char* const> argv)
{
    // getopt_long permutes what it is given: a copy of the pointers, so that
    // the caller's argv stays as it was. It wants a null after the last.
    std::vector<char*> arguments(argv.begin(), argv.end());
    if (arguments.empty()) {
        arguments.push_back(const_cast<char*>("brennow"));
    }
    arguments.push_back(nullptr);
    const int count = static_cast<int>(arguments.size() - 1);

    Options options;
    bool help = false;
    bool version = false;
    // getopt_long keeps its place in globals: 0 starts it afresh, in glibc
    // and mingw-w64 alike.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int found = getopt_long(count, arguments.data(), ":", kLongOptions, nullptr);
        if (found == -1) {
            break;
        }
        const std::string_view value = optarg != nullptr ? optarg : "";
        switch (found) {
        case kFullScreen:
            options.fullScreen = true;
            break;
        case kWindow:
            options.fullScreen = false;
            break;
        case kScale:
            options.scale = ParseScale(value);
            if (!options.scale) {
                return Refuse("invalid scale '" + std::string(value) + "': a whole number of 1 or more is needed");
            }
            break;
        case kRecord:
            options.record = std::string(value);
            break;
        case kReplay:
            options.replay = std::string(value);
            break;
        case kVerify:
            options.verify = std::string(value);
            break;
        case kHelpOption:
            help = true;
            break;
        case kVersionOption:
            version = true;
            break;
        case ':': {
            // mingw-w64's getopt_long says this of a value given to an
            // option that takes none, too.
            const std::string_view argument = arguments[static_cast<std::size_t>(optind - 1)];
            if (argument.find('=') != std::string_view::npos) {
                return Refuse(WhyRefused(argument, 0));
            }
            return Refuse("option '" + std::string(argument) + "' requires an argument");
        }
        default: {
            // optind is past the refused argument, except in a cluster of
            // single-letter options, where optopt names it.
            const std::size_t at = static_cast<std::size_t>(optind > 0 ? optind - 1 : 0);
            return Refuse(WhyRefused(arguments[at] != nullptr ? arguments[at] : "", optopt));
        }
        }
    }
    if (help || version) {
        CommandLine printed;
        printed.output = help ? kHelp : kVersion;
        return printed;
    }
    if (optind < count) {
        return Refuse("unexpected argument '" + std::string(arguments[static_cast<std::size_t>(optind)]) + "'");
    }
    if (options.record && options.replay) {
        return Refuse("--record and --replay cannot be used together");
    }
    if (options.verify && (options.record || options.replay)) {
        return Refuse("--verify cannot be used with --record or --replay");
    }
    return CommandLine{.options = options};
}

}  // namespace app
