#include "platform/replay/player.h"

namespace platform::replay {

namespace {

std::string Kind(const What& what)
{
    if (std::holds_alternative<SessionStep>(what)) {
        return "a step";
    }
    if (std::holds_alternative<Seed>(what)) {
        return "a seed";
    }
    if (std::holds_alternative<Score>(what) || std::holds_alternative<BoxOpen>(what)) {
        return "a box";
    }
    if (std::holds_alternative<BoxClosed>(what)) {
        return "a box's closing";
    }
    return std::holds_alternative<Exit>(what) ? "the end of the session" : "a setting";
}

}  // namespace

Player::Player(Reader& reader, GameView game) : reader_(reader), game_(std::move(game)) {}

void Player::Differ(int line, const std::string& what)
{
    if (difference_.empty()) {
        difference_ = "round " + std::to_string(Round()) + ": line " + std::to_string(line) + ": " + what;
    }
}

void Player::Diverged(std::string_view what)
{
    Differ(reader_.LineNumber(), "the game took " + std::string(what) + ", not the recording's step");
}

std::optional<Item> Player::Read()
{
    while (!Stopped()) {
        std::optional<Item> item;
        try {
            item = reader_.Next();
        } catch (const ReadError& error) {
            error_ = error;
            return std::nullopt;
        }
        if (!item) {
            ended_ = true;
            return std::nullopt;
        }
        if (const auto* check = std::get_if<Check>(&item->Is)) {
            const std::string state = game_.State ? game_.State() : std::string();
            if (Digest(state) != check->Digest) {
                Differ(item->Line, "the game's state differs from the check at " + FormatTime(item->At) + " ms");
            }
            continue;
        }
        return item;
    }
    return std::nullopt;
}

std::optional<Playback::Timed> Player::Next()
{
    std::optional<Item> item = Read();
    if (!item) {
        return std::nullopt;
    }
    if (auto* step = std::get_if<SessionStep>(&item->Is)) {
        return Timed{item->At, std::move(*step)};
    }
    if (std::holds_alternative<Exit>(item->Is)) {
        complete_ = true;
        ended_ = true;
        return std::nullopt;
    }
    Differ(item->Line, "the recording has " + Kind(item->Is) + " where the game took its next step");
    return std::nullopt;
}

std::uint32_t Player::Seed()
{
    std::optional<Item> item = Read();
    if (!item) {
        return 0;
    }
    if (const auto* seed = std::get_if<replay::Seed>(&item->Is)) {
        return seed->Value;
    }
    Differ(item->Line, "the game asked for a seed where the recording has " + Kind(item->Is));
    return 0;
}

Playback::BoxClose Player::Box(std::string_view text)
{
    lastBox_ = {};
    std::optional<Item> item = Read();
    if (!item) {
        return lastBox_;
    }
    if (const auto* score = std::get_if<Score>(&item->Is)) {
        const int now = game_.Score ? game_.Score() : 0;
        if (now != score->Value) {
            Differ(item->Line, "the score is " + std::to_string(now) + ", recorded " + std::to_string(score->Value));
            return lastBox_;
        }
        ++rounds_;
        if (OnRound) {
            OnRound(rounds_, now);
        }
        item = Read();
        if (!item) {
            return lastBox_;
        }
    }
    const auto* open = std::get_if<BoxOpen>(&item->Is);
    if (open == nullptr) {
        Differ(item->Line, "a box opened where the recording has " + Kind(item->Is));
        return lastBox_;
    }
    if (open->Text != text) {
        Differ(item->Line, "the box says " + Quoted(text) + ", recorded " + Quoted(open->Text));
        return lastBox_;
    }
    item = Read();
    if (!item) {
        return lastBox_;
    }
    if (const auto* closed = std::get_if<BoxClosed>(&item->Is)) {
        lastBox_ = {item->At, closed->Result};
    } else {
        Differ(item->Line, "the box is open where the recording has " + Kind(item->Is));
    }
    return lastBox_;
}

void Player::Finish()
{
    if (Stopped()) {
        return;
    }
    // The game ended (its window was closed in the recording, say): the
    // recording must end there too.
    std::optional<Item> item = Read();
    if (!item) {
        return;
    }
    if (std::holds_alternative<Exit>(item->Is)) {
        complete_ = true;
        ended_ = true;
        return;
    }
    Differ(item->Line, "the game ended where the recording has " + Kind(item->Is));
}

}  // namespace platform::replay
