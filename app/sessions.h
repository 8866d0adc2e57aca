// The program's replays: recording a session to a file that must not exist
// yet, and verifying a recording headless, as fast as it plays.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/core/runtime.h"
#include "platform/replay/recorder.h"

namespace app {

// A new file a recording is written to; the write goes straight to the file,
// so that each piece is on disk once handed over.
class RecordingFile {
public:
    // Creates path, which must not exist; on failure error says why, as
    // one line to show the player.
    static std::unique_ptr<RecordingFile> Create(const std::string& path, std::string& error);
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Writes it all; false when the file would not take it.
    bool Write(std::string_view piece);
    const std::string& Path() const { return path_; }

private:
    RecordingFile(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}
    int descriptor_;
    std::string path_;
};

// A session recorded to a file, or played back from one, in the window.
class Session {
public:
    // Opens path for the recording, before any window: none, with error
    // saying why, when it cannot be made.
    static std::unique_ptr<Session> Record(const std::string& path, std::string& error);
    // Opens path and reads its first line, before any window.
    static std::unique_ptr<Session> Replay(const std::string& path, std::string& error);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Before the runtime starts the form. report shows a line on standard
    // error (a recording that stopped).
    void Attach(platform::Runtime& runtime, std::function<void(const std::string&)> report);
    // After the runtime has ended: the program's exit status, given the
    // runtime's; what went wrong is reported.
    int Finish(int status);

private:
    Session();
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// Plays the recording at path headless, prints each round's score on out
// and what is wrong with the file on err. The exit status: 0 when it played
// as recorded, 1 when a score or a check differs, 2 when it cannot be read.
int Verify(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace app
