#include "app/sessions.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

#include "app/game_view.h"
#include "assets/embedded.h"
#include "platform/graphics/media.h"
#include "platform/headless/headless_backend.h"
#include "platform/replay/player.h"

namespace app {

namespace {

// The few file calls a recording needs, by the names each system gives them.
#ifdef _WIN32
int CreateNew(const std::string& path)
{
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int WriteSome(int descriptor, const char* data, unsigned size)
{
    return ::_write(descriptor, data, size);
}
void CloseFile(int descriptor)
{
    ::_close(descriptor);
}
bool Exists(std::string path, bool* folder = nullptr)
{
    // Windows finds no folder named with a separator at its end, but "C:\".
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && !path.ends_with(":\\") &&
           !path.ends_with(":/")) {
        path.pop_back();
    }
    struct _stat64 status {};
    if (::_stat64(path.c_str(), &status) != 0) {
        return false;
    }
    if (folder != nullptr) {
        *folder = (status.st_mode & _S_IFMT) == _S_IFDIR;
    }
    return true;
}
#else
int CreateNew(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}
ssize_t WriteSome(int descriptor, const char* data, unsigned size)
{
    return ::write(descriptor, data, size);
}
void CloseFile(int descriptor)
{
    ::close(descriptor);
}
bool Exists(const std::string& path, bool* folder = nullptr)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    if (folder != nullptr) {
        *folder = S_ISDIR(status.st_mode);
    }
    return true;
}
#endif

bool IsFolder(const std::string& path)
{
    bool folder = false;
    return Exists(path, &folder) && folder;
}

// "game.replay" becomes "game-2.replay": a name to suggest instead.
std::string AnotherName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == 0) {
        dot = path.size();
    }
    for (int n = 2; n < 1000; ++n) {
        std::string name = path.substr(0, dot) + "-" + std::to_string(n) + path.substr(dot);
        if (!Exists(name)) {
            return name;
        }
    }
    return path + "-new";
}

// A recording opened to play, its first line read. A folder, a file that
// cannot be read, and one that is no recording are refused: none, and why.
std::unique_ptr<platform::replay::Reader> OpenRecording(const std::string& path, std::ifstream& in, std::string& why)
{
    using platform::replay::ReadError;
    if (IsFolder(path)) {
        why = "is a folder, not a replay";
        return nullptr;
    }
    in.open(path, std::ios::binary);
    if (!in) {
        why = std::string("cannot be read: ") + std::strerror(errno);
        return nullptr;
    }
    try {
        auto reader = std::make_unique<platform::replay::Reader>(in);
        platform::replay::RequireRecording(*reader);
        return reader;
    } catch (const ReadError& error) {
        why = error.what();
        return nullptr;
    }
}

// A headless run as fast as it goes: no frame is kept.
class VerifyBackend : public platform::HeadlessBackend {
public:
    void Present(const platform::Surface&, std::span<const platform::Rect>) override {}
};

}  // namespace

std::unique_ptr<RecordingFile> RecordingFile::Create(const std::string& path, std::string& error)
{
    if (IsFolder(path)) {
        error = "cannot record to " + path + ": it is a folder";
        return nullptr;
    }
    const int descriptor = CreateNew(path);
    if (descriptor < 0) {
        if (errno == EEXIST) {
            error = "will not record to " + path + ": it exists, and a recording never overwrites a file; try " +
                    AnotherName(path);
        } else {
            error = "cannot record to " + path + ": " + std::strerror(errno);
        }
        return nullptr;
    }
    return std::unique_ptr<RecordingFile>(new RecordingFile(descriptor, path));
}

RecordingFile::~RecordingFile()
{
    CloseFile(descriptor_);
}

bool RecordingFile::Write(std::string_view piece)
{
    while (!piece.empty()) {
        const unsigned size = piece.size() > (1U << 20) ? 1U << 20 : static_cast<unsigned>(piece.size());
        const auto written = WriteSome(descriptor_, piece.data(), size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        piece.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

struct Session::Parts {
    std::string path;
    std::function<void(const std::string&)> report;
    // Recording.
    std::unique_ptr<RecordingFile> file;
    std::unique_ptr<platform::replay::Recorder> recorder;
    // Playback.
    std::ifstream in;
    std::unique_ptr<platform::replay::Reader> reader;
    std::unique_ptr<platform::replay::Player> player;
};

Session::Session() : parts_(std::make_unique<Parts>()) {}
Session::~Session() = default;

std::unique_ptr<Session> Session::Record(const std::string& path, std::string& error)
{
    std::unique_ptr<RecordingFile> file = RecordingFile::Create(path, error);
    if (!file) {
        return nullptr;
    }
    std::unique_ptr<Session> session(new Session());
    session->parts_->path = path;
    session->parts_->file = std::move(file);
    return session;
}

std::unique_ptr<Session> Session::Replay(const std::string& path, std::string& error)
{
    std::unique_ptr<Session> session(new Session());
    Parts& parts = *session->parts_;
    parts.path = path;
    std::string why;
    parts.reader = OpenRecording(path, parts.in, why);
    if (!parts.reader) {
        error = path + ": " + why;
        return nullptr;
    }
    return session;
}

void Session::Attach(platform::Runtime& runtime, std::function<void(const std::string&)> report)
{
    Parts& parts = *parts_;
    parts.report = std::move(report);
    if (parts.file) {
        RecordingFile& file = *parts.file;
        parts.recorder = std::make_unique<platform::replay::Recorder>(
            [&file](std::string_view piece) { return file.Write(piece); }, MadeBy(), ViewOf(runtime));
        parts.recorder->OnStopped = [&parts] {
            parts.report("brennow: the recording stopped: " + parts.path + " cannot be written (" +
                         std::strerror(errno) + "); the game plays on\n");
        };
        runtime.Record(*parts.recorder);
    } else {
        parts.player = std::make_unique<platform::replay::Player>(*parts.reader, ViewOf(runtime));
        runtime.Play(*parts.player);
    }
}

int Session::Finish(int status)
{
    Parts& parts = *parts_;
    if (parts.recorder) {
        parts.recorder->Flush();
        return status;
    }
    if (parts.player && parts.player->Error()) {
        parts.report("brennow: " + parts.path + ": " + parts.player->Error()->what() + "\n");
        return 2;
    }
    // The playback ended, or the window was closed.
    return status;
}

int Verify(const std::string& path, std::ostream& out, std::ostream& err)
{
    using platform::replay::ReadError;
    const std::string name = "brennow: " + path;
    std::ifstream in;
    std::string why;
    const std::unique_ptr<platform::replay::Reader> opened = OpenRecording(path, in, why);
    if (!opened) {
        err << name << ": " << why << '\n';
        return 2;
    }
    platform::replay::Reader& reader = *opened;
    if (reader.MadeBy() != MadeBy()) {
        err << name << ": recorded by " << (reader.MadeBy().empty() ? "an unnamed game" : reader.MadeBy())
            << ", played by " << MadeBy() << '\n';
    }
    try {
        VerifyBackend backend;
        platform::Media media(embedded::SansSerif());
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        platform::replay::Player player(reader, ViewOf(runtime));
        player.OnRound = [&out](int round, int score) { out << "round " << round << ": " << score << '\n'; };
        runtime.Play(player);
        runtime.StopPresenting();
        runtime.Start<frmBomber>();
        runtime.Run();
        player.Finish();
        if (player.Error()) {
            throw *player.Error();
        }
        if (!player.Difference().empty()) {
            out << player.Difference() << '\n';
            return 1;
        }
        if (!player.Complete()) {
            out << "round " << player.Round() << ": incomplete, the recording was cut in it\n";
        }
        return 0;
    } catch (const ReadError& error) {
        err << name << ": " << error.what() << '\n';
        return 2;
    }
}

}  // namespace app
