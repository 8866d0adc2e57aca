// Recording: the runtime's steps written as a replay file while the game is
// played. The file grows a round at a time: everything up to a box is handed
// to the sink when the box opens, so a game killed mid-round leaves a file
// with every round finished before.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/core/journal.h"
#include "platform/replay/format.h"

namespace platform::replay {

class Recorder : public Journal {
public:
    // Takes the next piece of the file; false when it could not keep it (a
    // full disk, the page's limit).
    using Sink = std::function<bool(std::string_view)>;

    // madeBy: the game and its version, as the header names them.
    Recorder(Sink sink, std::string_view madeBy, GameView game);
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    ~Recorder() override;

    void Took(Time at, const SessionStep& step) override;
    void Seeded(Time at, std::uint32_t seed) override;
    void BoxOpened(Time at, std::string_view text) override;
    void BoxClosed(Time at, BoxResult result) override;
    void Ended(Time at, int status) override;

    // Hands what is kept to the sink now.
    void Flush();
    // The sink refused a piece: nothing more is written.
    bool Stopped() const { return stopped_; }
    // Called once, when the sink first refuses.
    std::function<void()> OnStopped;

private:
    void Write(Time at, const What& what);

    Sink sink_;
    GameView game_;
    std::string pending_;
    Time last_{};
    Time nextCheck_{};
    bool stopped_ = false;
};

}  // namespace platform::replay
