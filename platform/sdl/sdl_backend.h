// The real window, through SDL2: a software window surface (no OpenGL), one
// thread, and a wait that blocks until the next event or timer deadline.
#pragma once

#include <span>
#include <string>

#include "platform/backend.h"
#include "platform/sdl/message_box_window.h"
#include "platform/text.h"

struct SDL_Surface;
struct SDL_Window;

namespace platform {

class SdlBackend : public Backend {
public:
    // Opens the window; throws std::runtime_error with a one-line reason when
    // there is no usable display. The message box draws its text with text,
    // which must outlive the backend.
    SdlBackend(std::string_view caption, int width, int height, std::span<const unsigned char> icon,
               const TextRenderer& text);
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    Time Now() override;
    std::optional<InputEvent> WaitEvent(std::optional<Time> deadline) override;
    void Present(const Surface& frame, std::span<const Rect> changed) override;
    Surface* Canvas() override;
    BoxResult ShowMessageBox(std::string_view title, std::string_view text) override;
    void DiscardInput() override;
    std::uint32_t ClockSeed() override;
    void ShowWindow() override;

private:
    const TextRenderer& text_;
    SDL_Window* window_ = nullptr;
    WindowPtr box_;  // the message box's window, where it is kept between boxes
    int width_;
    int height_;
    bool shown_ = false;
    int scale_ = 1;  // window pixels per playfield pixel
    Surface scaled_;  // the frame at the window's scale, when it is not 1
    SDL_Surface* shownOn_ = nullptr;  // the window surface that holds the frame shown
    Surface canvas_;  // a view of the window surface, when its pixels are ours
    std::chrono::steady_clock::time_point start_;
};

// Says why the game could not start or go on: on standard error, and in a
// box where standard error is not seen.
void ReportFailure(std::string_view title, std::string_view reason);

// The whole-number scale for a display: what the desktop asks for (GDK_SCALE),
// else its density in steps of the standard 96 dots per inch; 1 when unknown.
int ScaleFor(const char* desktopScale, float dotsPerInch);

// frame enlarged scale times, each pixel a crisp square.
void Enlarge(const Surface& frame, int scale, Surface& out);
// Only area of frame enlarged, into out, which is already scale times frame's
// size.
void EnlargeArea(const Surface& frame, const Rect& area, int scale, Surface& out);

}  // namespace platform
