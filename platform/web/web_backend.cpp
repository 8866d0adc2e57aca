#include "platform/web/web_backend.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/web/input.h"

// The page's side, in library.js.
extern "C" {
void brennow_breathe(const char* step);
void brennow_wake();
int brennow_page_complete();
void brennow_show_failure(const char* report);
}

namespace platform {

void Breathe(const char* step)
{
    brennow_breathe(step);
}

void ShowFailureInPage(std::string_view report)
{
    const std::string text(report);
    brennow_show_failure(text.c_str());
}

WebBackend::WebBackend(int width, int height, const TextRenderer& text)
    : text_(text), width_(width), height_(height), canvas_(width, height), box_(clock_)
{
    if (brennow_page_complete() == 0) {
        throw std::runtime_error("the page has no playfield to draw on");
    }
    if (!ListenToPage(*this) ||
        emscripten_set_canvas_element_size("#canvas", width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        StopListening();
        throw std::runtime_error("the page has no playfield to draw on");
    }
    // What a pad does goes to the box while it is open, else to the game.
    pads_.emplace([this] { return Now(); }, [this](const PadEvent& change) {
        if (box_.IsOpen()) {
            box_.Queue(change);
        } else {
            QueueGame(change);
        }
    });
}

WebBackend::~WebBackend()
{
    StopListening();
}

Time WebBackend::Now()
{
    return clock_.Now();
}

void WebBackend::QueueGame(const InputEvent& event)
{
    input_.push_back(event);
    brennow_wake();
}

std::optional<InputEvent> WebBackend::WaitEvent(std::optional<Time> deadline)
{
    return TakeInput(input_, deadline, clock_);
}

void WebBackend::Present(const Surface& frame, std::span<const Rect> changed)
{
    canvas_.Present(frame, changed);
}

BoxResult WebBackend::ShowMessageBox(std::string_view title, std::string_view text, std::optional<Time> deadline)
{
    return RunMessageBox(box_, text_, title, text, deadline);
}

void WebBackend::DiscardInput()
{
    input_.clear();
}

}  // namespace platform

// SDL_image asks the browser for a picture preloaded as a file whenever it
// reads from a stdio file. The game's pictures come from memory only, and
// without this answer the link would take in emscripten's whole file system
// for that one call: a larger script, slower to start.
extern "C" char* emscripten_get_preloaded_image_data_from_FILE(FILE* /*file*/, int* /*width*/, int* /*height*/)
{
    return nullptr;
}
