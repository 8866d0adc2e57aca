// Playback: a recording's steps handed to the runtime one at a time, its
// seeds and boxes as the game asks for them, its checks and scores compared
// with the game's as they come. The first difference, or a line that cannot
// be read, stops the playback; the player never throws into the runtime.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/core/journal.h"
#include "platform/replay/format.h"

namespace platform::replay {

class Player : public Playback {
public:
    // reader: of a recording (IsRecording).
    Player(Reader& reader, GameView game);

    std::optional<Timed> Next() override;
    std::uint32_t Seed() override;
    BoxClose Box(std::string_view text) override;
    void Diverged(std::string_view what) override;

    // Called for each round whose score matched: its number, from 1.
    std::function<void(int round, int score)> OnRound;

    // After the runtime has stopped: reads what is left of the recording.
    void Finish();

    // The line that could not be read, if one could not.
    const std::optional<ReadError>& Error() const { return error_; }
    // The first difference, naming its round; empty when none.
    const std::string& Difference() const { return difference_; }
    // The recording ended where it says the session ended.
    bool Complete() const { return complete_; }
    // The round the recording stops in, when it was cut in one.
    int Round() const { return rounds_ + 1; }
    int Rounds() const { return rounds_; }
    // The last box's closing, as the recording has it.
    const BoxClose& LastBox() const { return lastBox_; }

private:
    // The next item of the recording that is not a check; checks are
    // compared on the way.
    std::optional<Item> Read();
    void Differ(int line, const std::string& what);
    bool Stopped() const { return error_ || !difference_.empty() || ended_; }

    Reader& reader_;
    GameView game_;
    std::optional<ReadError> error_;
    std::string difference_;
    bool ended_ = false;
    bool complete_ = false;
    int rounds_ = 0;
    BoxClose lastBox_;
};

}  // namespace platform::replay
