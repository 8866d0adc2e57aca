// Plays an input script on the headless backend and writes the trace.
//   brennow_replay SCRIPT [TRACE]
// SCRIPT "-" reads standard input; without TRACE the trace goes to standard
// output. The script's format is described in tests/replay/replay.h.
#include <fstream>
#include <iostream>
#include <string>

#include "tests/replay/replay.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: brennow_replay SCRIPT [TRACE]\n";
        return 2;
    }
    const std::string path = argv[1];
    replay::Script script;
    try {
        if (path == "-") {
            script = replay::ParseScript(std::cin);
        } else {
            std::ifstream in(path);
            if (!in) {
                std::cerr << "brennow_replay: cannot read " << path << '\n';
                return 2;
            }
            script = replay::ParseScript(in);
        }
    } catch (const replay::ScriptError& error) {
        std::cerr << "brennow_replay: " << path << ": " << error.what() << '\n';
        return 2;
    }
    if (argc == 3) {
        // Binary: the same bytes on every system (text mode on Windows ends
        // lines with CR LF).
        std::ofstream out(argv[2], std::ios::binary);
        replay::Replay(script, out);
        out.close();
        if (!out) {
            std::cerr << "brennow_replay: cannot write " << argv[2] << '\n';
            return 2;
        }
    } else {
        replay::Replay(script, std::cout);
    }
    return 0;
}
