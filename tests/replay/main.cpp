// Plays an input script, or a recording, on the headless backend and writes
// the trace.
//   brennow_replay SCRIPT [TRACE [RECORDING]]
// SCRIPT "-" reads standard input; without TRACE the trace goes to standard
// output. RECORDING, for a script: the session is written there as the game
// records one. The format is described in docs/replays.md.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tests/replay/replay.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::cerr << "usage: brennow_replay SCRIPT [TRACE [RECORDING]]\n";
        return 2;
    }
    const std::string path = argv[1];
    std::stringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::cerr << "brennow_replay: cannot read " << path << '\n';
            return 2;
        }
        text << in.rdbuf();
    }
    // Binary: the same bytes on every system (text mode on Windows ends lines
    // with CR LF).
    std::ofstream file;
    if (argc >= 3) {
        file.open(argv[2], std::ios::binary);
    }
    std::ostream& out = argc >= 3 ? file : std::cout;
    std::string recording;
    try {
        if (text.str().starts_with(platform::replay::kMagic)) {
            std::string verdict;
            replay::PlayBack(text, out, verdict);
            if (!verdict.empty()) {
                std::cerr << "brennow_replay: " << path << ": " << verdict << '\n';
                return 1;
            }
        } else {
            replay::Replay(replay::ParseScript(text), out, argc == 4 ? &recording : nullptr);
        }
    } catch (const replay::ScriptError& error) {
        std::cerr << "brennow_replay: " << path << ": " << error.what() << '\n';
        return 2;
    }
    if (argc >= 3) {
        file.close();
        if (!file) {
            std::cerr << "brennow_replay: cannot write " << argv[2] << '\n';
            return 2;
        }
    }
    if (argc == 4) {
        std::ofstream saved(argv[3], std::ios::binary);
        saved << recording;
        saved.close();
        if (!saved) {
            std::cerr << "brennow_replay: cannot write " << argv[3] << '\n';
            return 2;
        }
    }
    return 0;
}
