// The real window, through SDL2: frames drawn in software into the window's
// surface (which SDL shows through a renderer on Wayland), one thread, and a
// wait that blocks until the next event or timer deadline.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/graphics/text.h"
#include "platform/sdl/message_box_window.h"
#include "platform/sdl/pads.h"
#include "platform/sdl/present.h"
#include "platform/sdl/input.h"
#include "platform/sdl/wait.h"
#include "platform/sdl/window_mode.h"

struct SDL_Window;

namespace platform {

// How the window is to open: a scale (none: the density's), full screen.
struct WindowRequest {
    std::optional<int> Scale;
    bool FullScreen = false;
};

class SdlBackend : public Backend {
public:
    // Opens the window; throws std::runtime_error with a one-line reason when
    // there is no usable display. The message box draws its text with text,
    // which must outlive the backend.
    SdlBackend(std::string_view caption, int width, int height, std::span<const unsigned char> icon,
               const TextRenderer& text, const WindowRequest& request = {});
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    Time Now() override;
    std::optional<InputEvent> WaitEvent(std::optional<Time> deadline) override;
    void Present(const Surface& frame, std::span<const Rect> changed) override;
    Canvas ScreenCanvas() override;
    BoxResult ShowMessageBox(std::string_view title, std::string_view text, std::optional<Time> deadline) override;
    void DiscardInput() override;
    void ShowWindow() override;

    // The window's scale and full screen, which the player's keys change.
    WindowMode& Mode() { return *mode_; }

private:
    const TextRenderer& text_;
    SDL_Window* window_ = nullptr;
    WindowPtr box_;  // the message box's window, where it is kept between boxes
    bool shown_ = false;
    std::optional<WindowPixels> pixels_;
    std::optional<WindowMode> mode_;
    Pointer pointer_;
    static constexpr std::uint32_t kSettling = 300;  // ms after a toggle in which a resting pointer is not heard
    std::optional<std::uint32_t> settledAt_;  // SDL's ticks
    SdlPads pads_;
    EventsAndPads input_;  // the game window's
    std::chrono::steady_clock::time_point start_;
};

// What a program on this backend does first, before anything opens a file:
// standard input, output and error that were closed at start are opened on a
// null device, so that a line for standard error cannot go into a file
// opened later (the display's connection, say) and hang the game.
void OpenStandardDescriptors();

// Writes text, whole lines, to standard output or error; a windowed program
// on Windows writes to the console it was started from, or failing that
// shows the text in a box.
void PrintOutput(std::string_view text);
void PrintError(std::string_view text);

// Says why the game could not start or go on: on standard error, and in a
// box where standard error is not seen.
void ReportFailure(std::string_view title, std::string_view reason);

}  // namespace platform
