#include "platform/replay/recorder.h"

#include <utility>

namespace platform::replay {

namespace {

// Handed to the sink at the latest at this size, so that a long round needs
// no more memory than this.
constexpr std::size_t kLargestPiece = 64 * 1024;
constexpr Time kCheckEvery = std::chrono::seconds(1);

}  // namespace

Recorder::Recorder(Sink sink, std::string_view madeBy, GameView game)
    : sink_(std::move(sink)), game_(std::move(game)), pending_(Header(madeBy))
{
}

Recorder::~Recorder()
{
    try {
        Flush();
    } catch (...) {
        // What the sink could not keep is lost; the program ends anyway.
    }
}

void Recorder::Took(Time at, const SessionStep& step)
{
    // The check comes before the step: the state after every step before.
    if (at >= nextCheck_ && game_.State) {
        Write(at, Check{Digest(game_.State())});
        nextCheck_ = (at / kCheckEvery + 1) * kCheckEvery;
    }
    Write(at, step);
}

void Recorder::Seeded(Time at, std::uint32_t seed)
{
    Write(at, Seed{seed});
}

void Recorder::BoxOpened(Time at, std::string_view text)
{
    Write(at, Score{game_.Score ? game_.Score() : 0});
    Write(at, BoxOpen{std::string(text)});
    Flush();
}

void Recorder::BoxClosed(Time at, BoxResult result)
{
    Write(at, replay::BoxClosed{result});
}

void Recorder::Ended(Time at, int status)
{
    Write(at, Exit{status});
    Flush();
}

void Recorder::Write(Time at, const What& what)
{
    if (stopped_) {
        return;
    }
    pending_ += FormatLine(at, last_, what);
    if (pending_.size() >= kLargestPiece) {
        Flush();
    }
}

void Recorder::Flush()
{
    if (stopped_ || pending_.empty()) {
        return;
    }
    if (!sink_(pending_)) {
        stopped_ = true;
        if (OnStopped) {
            OnStopped();
        }
    }
    pending_.clear();
}

}  // namespace platform::replay
