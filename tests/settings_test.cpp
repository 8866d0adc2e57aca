// The settings kept between runs: one table of files, good and bad, with the
// settings each gives and whether it is complained of; and the file written
// whole, kept lines and all, or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "app/settings.h"

namespace {

struct Row {
    std::string text;
    std::optional<int> scale;
    std::optional<bool> fullScreen;
    bool complained;
    std::size_t othersKept = 0;
};

// A folder of the test's own, gone after it. Named at random: ctest runs the
// cases side by side, and other checkouts may run them too.
class Scratch {
public:
    explicit Scratch(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("brennow-settings-" + name + "-" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(path_);
    }
    ~Scratch() { std::filesystem::remove_all(path_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(Settings, EachFileGivesWhatItSaysAndTheRestIsLeftAtItsDefault)
{
    const Row table[] = {
        {"", {}, {}, false},
        {"scale = 3\nfullscreen = yes\n", 3, true, false},
        {"scale=2\r\nfullscreen=no\r\n", 2, false, false},  // written on Windows by hand
        {"  scale\t=  4  ", 4, {}, false},                   // no newline at the end
        {"scale = 2\nscale = 5\n", 5, {}, false},             // the last wins
        {"# mine\n\nscale = 2\ncolour = blue\n[later]\n", 2, {}, false, 4},  // kept for writing back
        {"scale = 0\n", {}, {}, true},
        {"scale = -2\n", {}, {}, true},
        {"scale = abc\nfullscreen = yes\n", {}, true, true},  // a bad line spoils only itself
        {"scale = 1.5\n", {}, {}, true},
        {"scale = 99999999999999999999\n", {}, {}, true},
        {"scale =\n", {}, {}, true},
        {"fullscreen = maybe\nscale = 2\n", 2, {}, true},
        {"fullscreen = YES\n", {}, {}, true},
        {"scale 3\n", {}, {}, true},
        {"= 3\n", {}, {}, true},
        {std::string("scale = 2\n\0\xff\xfe", 13), {}, {}, true},  // not text at all
        {std::string(70000, 'x'), {}, {}, true},                     // far too large
        {"\xef\xbb\xbfscale = 2\n", 2, {}, false},  // saved by Notepad
    };
    for (const Row& row : table) {
        const app::ParsedSettings parsed = app::ParseSettings(row.text);
        const std::string shown = row.text.substr(0, 40);
        EXPECT_EQ(parsed.settings.scale, row.scale) << shown;
        EXPECT_EQ(parsed.settings.fullScreen, row.fullScreen) << shown;
        EXPECT_EQ(!parsed.problem.empty(), row.complained) << shown << ": " << parsed.problem;
        if (row.othersKept != 0) {
            EXPECT_EQ(parsed.settings.others.size(), row.othersKept) << shown;
        }
        // What is written reads back the same, whatever came in.
        EXPECT_EQ(app::ParseSettings(app::FormatSettings(parsed.settings)).settings, parsed.settings) << shown;
    }
    EXPECT_EQ(app::ParseSettings("scale = abc\n").problem, "line 1: the scale is not a whole number of 1 or more, ignored");
}

TEST(Settings, AreWrittenWholeAndReadBackWithTheLinesTheyDidNotKnow)
{
    const Scratch folder("write");
    const std::filesystem::path path = folder / "brennow" / "settings.conf";
    EXPECT_EQ(app::ReadSettings(path).settings, app::Settings{});  // none yet: quietly the defaults
    EXPECT_TRUE(app::ReadSettings(path).problem.empty());

    app::Settings settings = app::ParseSettings("volume = 7\n# a note\nscale = 2\n").settings;
    settings.fullScreen = true;
    ASSERT_EQ(app::WriteSettings(path, settings), "");  // the folder is made
    EXPECT_EQ(app::ReadSettings(path).settings, settings);
    settings.scale.reset();  // back to the default: no scale written
    ASSERT_EQ(app::WriteSettings(path, settings), "");
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "# Brennow's settings: the window's scale (a whole number) and full screen (yes or no).\n"
                    "fullscreen = yes\nvolume = 7\n# a note\n");
    // Nothing left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()),
                            std::filesystem::directory_iterator()), 1);
}

TEST(Settings, AFileThatCannotBeReadOrWrittenLeavesTheDefaultsAndSaysWhy)
{
    const Scratch folder("bad");
    // The settings folder is a plain file.
    std::ofstream(folder / "brennow") << "not a folder";
    const std::filesystem::path blocked = folder / "brennow" / "settings.conf";
    EXPECT_NE(app::WriteSettings(blocked, {.scale = 2}), "");
    EXPECT_EQ(app::ReadSettings(blocked).settings, app::Settings{});
    // The settings file is a folder: neither read nor replaced.
    std::filesystem::create_directories(folder / "other" / "settings.conf");
    const std::filesystem::path folderAsFile = folder / "other" / "settings.conf";
    const app::ParsedSettings unread = app::ReadSettings(folderAsFile);
    EXPECT_EQ(unread.settings, app::Settings{});
    EXPECT_NE(unread.problem, "");
    EXPECT_NE(app::WriteSettings(folderAsFile, {.scale = 2}), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "other"),
                            std::filesystem::directory_iterator()), 1)
        << "the temporary file was left behind";
}
