// The game in a web page: the playfield is a canvas, the message box is drawn
// over it, keys come through emscripten's html5 API and the mouse and touch
// through the page's pointer events (library.js), and the wait suspends the
// C++ stack (ASYNCIFY) until an input callback or the deadline wakes it, so
// an idle page runs no code at all.
#pragma once

#include <deque>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/message_box.h"
#include "platform/graphics/text.h"
#include "platform/web/pads.h"

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
    BoxResult ShowMessageBox(std::string_view title, std::string_view text) override;
    void DiscardInput() override;
    std::uint32_t ClockSeed() override;

    // What the html5 callbacks and the page's pointer listeners hand over.
    // While the C++ stack is suspended they may only queue and wake the wait.
    void QueueGame(const InputEvent& event);
    // A pointer event from the page (library.js): the mouse's or a finger's,
    // on the playfield or on the box's layer, at a point of the page.
    struct PointerInput {
        enum Target { Playfield, Box } On = Playfield;
        enum Kind { Move, Down, Up, Cancel } What = Move;
        double ClientX = 0;
        double ClientY = 0;
        int Button = 0;   // the game's bit, for a press or a release
        int Buttons = 0;  // the game's bits held
        int Shift = 0;
    };
    void Pointer(const PointerInput& input);
    struct BoxInput {
        enum Kind { Down, Move, Up, Cancel, Key, Pad } What = Move;
        int X = 0;  // box pixels
        int Y = 0;
        int KeyCode = 0;  // the old desktop's, for a key
        bool Repeat = false;
        PadEvent PadChange;  // for a pad
    };
    void QueueBox(const BoxInput& input);
    bool BoxOpen() const { return boxOpen_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void ShowBoxPixels(const Surface& pixels);

    const TextRenderer& text_;
    int width_;
    int height_;
    std::vector<unsigned char> rgba_;  // the canvas's pixels as ImageData wants them
    std::deque<InputEvent> input_;
    std::deque<BoxInput> boxInput_;
    bool boxOpen_ = false;
    std::optional<WebPads> pads_;
    double start_;  // the page's clock when the backend began, in milliseconds
};

// Lets the page run whatever waits (input, a paint) before the program goes
// on: a long piece of work in steps keeps a slow phone answering. step names
// the piece just done, for the page's performance timeline.
void Breathe(const char* step);

// Shows report in the page in place of the playfield; the program has ended.
void ShowFailureInPage(std::string_view report);

}  // namespace platform
