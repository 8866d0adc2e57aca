// What the game keeps between runs: the window's scale the player chose and
// whether it was in full screen. One small text file a person can read
// ("scale = 3", "fullscreen = yes"); a pure parser and formatter, and the
// file's reading and atomic writing around them. Nothing here is ever fatal:
// a file that cannot be read or written leaves the defaults and one line on
// standard error.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct Settings {
    std::optional<int> scale;        // the player's zoom; none: the density's default
    std::optional<bool> fullScreen;  // none: a window
    // The lines this version does not know (a newer one's keys, comments),
    // written back as they came.
    std::vector<std::string> others;

    bool operator==(const Settings&) const = default;
};

struct ParsedSettings {
    Settings settings;
    std::string problem;  // the first line found wrong, for one line on standard error; empty when none
};

ParsedSettings ParseSettings(std::string_view text);
std::string FormatSettings(const Settings& settings);

// A scale as written in the file or on the command line: a whole number of at
// least 1, with no sign, fraction or spaces, and nothing after it.
std::optional<int> ParseScale(std::string_view text);

// The settings file: $XDG_CONFIG_HOME/brennow/settings.conf, else under
// ~/.config; %APPDATA%\Brennow\settings.conf on Windows. None when the
// environment names no home.
std::optional<std::filesystem::path> SettingsPath();

// Reads the file (a missing one gives the defaults, quietly).
ParsedSettings ReadSettings(const std::filesystem::path& path);

// Writes the file whole or not at all: a temporary file beside it, then
// renamed over it. The reason when it could not; empty when written.
std::string WriteSettings(const std::filesystem::path& path, const Settings& settings);

}  // namespace app
