// The command line, by the GNU conventions: a pure function from the
// arguments to the options of a run, or to what to print and the status to
// exit with. Nothing here opens a window or needs a display.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace app {

struct Options {
    std::optional<bool> fullScreen;  // --fullscreen or --window, the last given; else the kept setting
    std::optional<int> scale;        // --scale N, at least 1
    std::optional<std::string> record;  // --record FILE: write the session there
    std::optional<std::string> replay;  // --replay FILE: play a session back in the window
    std::optional<std::string> verify;  // --verify FILE: play a session back headless, no display
};

struct CommandLine {
    std::optional<Options> options;  // the game runs with these; else it prints and exits
    std::string output;  // for standard output (--help, --version)
    std::string error;   // for standard error: one line naming what was refused, and a hint
    int status = 0;      // the exit status when the game does not run
};

inline constexpr int kBadUsage = 2;

// argv as main() gets it: the program's name first.
CommandLine ParseCommandLine(std::span<char* const> argv);

}  // namespace app
