// The game in a web page: the playfield is a canvas, the message box is drawn
// over it, keys come through emscripten's html5 API and the mouse and touch
// through the page's pointer events (input.*), and the wait suspends the C++
// stack (ASYNCIFY) until an input callback or the deadline wakes it, so an
// idle page runs no code at all.
#pragma once

#include <deque>
#include <optional>
#include <span>
#include <string_view>

#include "platform/core/backend.h"
#include "platform/graphics/text.h"
#include "platform/web/box.h"
#include "platform/web/pads.h"
#include "platform/web/present.h"

namespace platform {

class WebBackend : public Backend {
public:
    // Takes over the page's canvas (#canvas); the box draws its text with
    // text, which must outlive the backend.
    WebBackend(int width, int height, const TextRenderer& text);
    ~WebBackend() override;
    WebBackend(const WebBackend&) = delete;
    WebBackend& operator=(const WebBackend&) = delete;

    Time Now() override;
    std::optional<InputEvent> WaitEvent(std::optional<Time> deadline) override;
    void Present(const Surface& frame, std::span<const Rect> changed) override;
    BoxResult ShowMessageBox(std::string_view title, std::string_view text, std::optional<Time> deadline) override;
    void DiscardInput() override;

    // What the page's callbacks hand over for the game. While the C++ stack
    // is suspended they may only queue and wake the wait.
    void QueueGame(const InputEvent& event);
    // The box, which takes the input while it is open.
    WebBox& Box() { return box_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    const TextRenderer& text_;
    int width_;
    int height_;
    PageClock clock_;
    PlayfieldCanvas canvas_;
    std::deque<InputEvent> input_;
    WebBox box_;
    std::optional<WebPads> pads_;
};

// Lets the page run whatever waits (input, a paint) before the program goes
// on: a long piece of work in steps keeps a slow phone answering. step names
// the piece just done, for the page's performance timeline.
void Breathe(const char* step);

// Shows report in the page in place of the playfield; the program has ended.
void ShowFailureInPage(std::string_view report);

}  // namespace platform
