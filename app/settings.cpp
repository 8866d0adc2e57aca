#include "app/settings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace app {

namespace {

constexpr std::string_view kHeader =
    "# Brennow's settings: the window's scale (a whole number) and full screen (yes or no).";
// A settings file is a few dozen bytes: anything this large is not one.
constexpr std::size_t kLargest = 64 * 1024;

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<bool> YesOrNo(std::string_view text)
{
    if (text == "yes") {
        return true;
    }
    if (text == "no") {
        return false;
    }
    return std::nullopt;
}

#ifdef _WIN32

std::string Reason(DWORD error)
{
    return std::system_category().message(static_cast<int>(error));
}

// Written and flushed to the disk, then moved over the old file in one step.
std::string WriteAndReplace(const std::filesystem::path& temporary, const std::filesystem::path& path,
                            std::string_view text)
{
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Reason(GetLastError());
    }
    DWORD written = 0;
    const bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                       written == text.size() && FlushFileBuffers(file);
    const DWORD error = GetLastError();
    CloseHandle(file);
    // rename() refuses to replace a file on Windows.
    if (!whole || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD failed = whole ? GetLastError() : error;
        DeleteFileW(temporary.c_str());
        return Reason(failed);
    }
    return {};
}

#else

std::string WriteAndReplace(const std::filesystem::path& temporary, const std::filesystem::path& path,
                            std::string_view text)
{
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file == -1) {
        return std::generic_category().message(errno);
    }
    std::size_t done = 0;
    int error = 0;
    while (done < text.size() && error == 0) {
        const ssize_t wrote = write(file, text.data() + done, text.size() - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
        } else if (wrote == -1 && errno != EINTR) {
            error = errno;
        }
    }
    // On the disk before the rename, so that a crash leaves the old file or
    // the new one, whole.
    if (error == 0 && fsync(file) != 0) {
        error = errno;
    }
    if (close(file) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temporary.c_str());
        return std::generic_category().message(error);
    }
    return {};
}

#endif

}  // namespace

std::optional<int> ParseScale(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1) {
        return std::nullopt;
    }
    return value;
}

ParsedSettings ParseSettings(std::string_view text)
{
    ParsedSettings parsed;
    if (text.size() > kLargest || text.find('\0') != std::string_view::npos) {
        parsed.problem = "not a settings file";
        return parsed;
    }
    // Notepad may begin the file with a byte-order mark.
    if (text.starts_with("\xef\xbb\xbf")) {
        text.remove_prefix(3);
    }
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const std::string_view content = Trim(line);
        if (line == kHeader) {
            continue;
        }
        const std::size_t equals = content.find('=');
        if (content.empty() || content.starts_with('#') || content.starts_with(';') || content.starts_with('[')) {
            parsed.settings.others.emplace_back(line);
            continue;
        }
        std::string complaint;
        const std::string_view key = Trim(content.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos ? "" : Trim(content.substr(equals + 1));
        if (equals == std::string_view::npos || key.empty()) {
            complaint = "not a setting";
        } else if (key == "scale") {
            if (const std::optional<int> scale = ParseScale(value)) {
                parsed.settings.scale = scale;
            } else {
                complaint = "the scale is not a whole number of 1 or more";
            }
        } else if (key == "fullscreen") {
            if (const std::optional<bool> fullScreen = YesOrNo(value)) {
                parsed.settings.fullScreen = fullScreen;
            } else {
                complaint = "fullscreen is neither yes nor no";
            }
        } else {
            parsed.settings.others.emplace_back(line);  // a newer version's, say
        }
        if (!complaint.empty() && parsed.problem.empty()) {
            parsed.problem = "line " + std::to_string(number) + ": " + complaint + ", ignored";
        }
    }
    return parsed;
}

std::string FormatSettings(const Settings& settings)
{
    std::string text = std::string(kHeader) + "\n";
    if (settings.scale) {
        text += "scale = " + std::to_string(*settings.scale) + "\n";
    }
    if (settings.fullScreen) {
        text += std::string("fullscreen = ") + (*settings.fullScreen ? "yes" : "no") + "\n";
    }
    for (const std::string& line : settings.others) {
        text += line + "\n";
    }
    return text;
}

std::optional<std::filesystem::path> SettingsPath()
{
#ifdef _WIN32
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') {
        return std::nullopt;
    }
    return std::filesystem::path(appData) / L"Brennow" / L"settings.conf";
#else
    // A relative XDG_CONFIG_HOME is to be ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        return std::filesystem::path(config) / "brennow" / "settings.conf";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / ".config" / "brennow" / "settings.conf";
    }
    return std::nullopt;
#endif
}

ParsedSettings ReadSettings(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        return {};  // the first run
    }
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (file && !std::filesystem::is_directory(path, error)) {
        text.resize(kLargest + 1);
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(file.gcount()));
    }
    // Stopped before the end with room left: the read failed. A file larger
    // than any settings file stops there too, and the parser says so.
    if (file.bad() || (!file.eof() && text.size() <= kLargest)) {
        ParsedSettings unread;
        unread.problem = "cannot be read";
        return unread;
    }
    return ParseSettings(text);
}

std::string WriteSettings(const std::filesystem::path& path, const Settings& settings)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        return "cannot make the folder " + path.parent_path().string() + ": " + error.message();
    }
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    // Of this process alone: two games running write in turn, never into one file.
    std::filesystem::path temporary = path;
    temporary += ".new-" + std::to_string(process);
    if (std::string reason = WriteAndReplace(temporary, path, FormatSettings(settings)); !reason.empty()) {
        return "cannot write " + path.string() + ": " + reason;
    }
    return {};
}

}  // namespace app
