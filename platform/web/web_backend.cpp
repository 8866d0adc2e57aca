#include "platform/web/web_backend.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/core/virtual_keys.h"
#include "platform/web/keys.h"

// The page's side, in library.js.
extern "C" {
void brennow_sleep(double milliseconds);
void brennow_breathe(const char* step);
void brennow_wake();
void brennow_put(const unsigned char* pixels, int width, int height, int x, int y, int w, int h);
int brennow_open_box(const char* title, int width, int height);
void brennow_put_box(const unsigned char* pixels, int width, int height);
void brennow_close_box();
void brennow_place(const char* id, double* place);
int brennow_page_complete();
void brennow_show_failure(const char* report);
void brennow_listen_pointers(platform::WebBackend* backend);
void brennow_unlisten_pointers();
}

// The page's pointer listeners (library.js) call in here; it only queues.
extern "C" EMSCRIPTEN_KEEPALIVE void brennow_pointer(platform::WebBackend* backend, int target, int kind,
                                                     double clientX, double clientY, int button, int buttons,
                                                     int shift)
{
    using Input = platform::WebBackend::PointerInput;
    if (target < Input::Playfield || target > Input::Box || kind < Input::Move || kind > Input::Cancel) {
        return;
    }
    backend->Pointer({static_cast<Input::Target>(target), static_cast<Input::Kind>(kind), clientX, clientY, button,
                      buttons, shift});
}

namespace platform {

namespace {

int ShiftState(bool shift, bool ctrl, bool alt)
{
    return (shift ? kShift : 0) | (ctrl ? kCtrl : 0) | (alt ? kAlt : 0);
}

// A pointer position over an element, in the element's own pixels: each is
// shown as a square of whole screen pixels, whatever the page's scale. The
// place is measured afresh, as the page may have been zoomed or scrolled.
struct Position {
    int X = 0;
    int Y = 0;
};
Position PixelAt(const char* id, double clientX, double clientY, int width, int height)
{
    double place[4] = {};
    brennow_place(id, place);
    const auto along = [](double client, double origin, double shown, int pixels) {
        return shown > 0 ? static_cast<int>(std::floor((client - origin) * pixels / shown)) : 0;
    };
    return {along(clientX, place[0], place[2], width), along(clientY, place[1], place[3], height)};
}

// Keys that would scroll the page or move the focus away.
bool PageKey(int code)
{
    switch (code) {
    case vk::Space: case vk::Prior: case vk::Next: case vk::End: case vk::Home: case vk::Left: case vk::Up:
    case vk::Right: case vk::Down: case vk::Back:
        return true;
    default:
        return false;
    }
}

EM_BOOL OnKeyDown(int /*type*/, const EmscriptenKeyboardEvent* event, void* data)
{
    auto& backend = *static_cast<WebBackend*>(data);
    const int code = WebKeyCode(event->keyCode, event->key);
    if (backend.BoxOpen()) {
        WebBackend::BoxInput input;
        input.What = WebBackend::BoxInput::Key;
        input.KeyCode = code;
        input.Repeat = event->repeat != 0;
        backend.QueueBox(input);
        // Nothing reaches the game; of the page's own keys only those the
        // box takes are kept from it, so that F5 and Ctrl+R still reload.
        const bool boxKey = code == vk::Return || code == vk::Space || code == vk::Escape;
        return boxKey ? EM_TRUE : EM_FALSE;
    }
    backend.QueueGame(KeyDownEvent{code, ShiftState(event->shiftKey != 0, event->ctrlKey != 0, event->altKey != 0)});
    // The browser's own shortcuts still work.
    return PageKey(code) && event->metaKey == 0 ? EM_TRUE : EM_FALSE;
}

// The page lost the focus (another window, another tab): a held pad
// direction stops repeating, as a held key does.
EM_BOOL OnBlur(int /*type*/, const EmscriptenFocusEvent* /*event*/, void* data)
{
    auto& backend = *static_cast<WebBackend*>(data);
    if (!backend.BoxOpen()) {
        backend.QueueGame(FocusLostEvent{});
    }
    return EM_FALSE;
}

void ToRgba(const Surface& frame, const Rect& area, std::vector<unsigned char>& rgba)
{
    for (int y = area.Y; y < area.Y + area.Height; ++y) {
        const Pixel* in = frame.Row(y) + area.X;
        unsigned char* out = rgba.data() + (static_cast<std::size_t>(y) * frame.Width() + area.X) * 4;
        for (int x = 0; x < area.Width; ++x, out += 4) {
            const Pixel p = in[x];
            out[0] = static_cast<unsigned char>((p >> 16U) & 0xFFU);
            out[1] = static_cast<unsigned char>((p >> 8U) & 0xFFU);
            out[2] = static_cast<unsigned char>(p & 0xFFU);
            out[3] = 0xFF;
        }
    }
}

}  // namespace

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
    : text_(text), width_(width), height_(height),
      rgba_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0xFF),
      start_(emscripten_get_now())
{
    if (brennow_page_complete() == 0) {
        throw std::runtime_error("the page has no playfield to draw on");
    }
    const bool listening =
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, OnKeyDown) ==
            EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, OnBlur) ==
            EMSCRIPTEN_RESULT_SUCCESS;
    if (!listening || emscripten_set_canvas_element_size("#canvas", width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        emscripten_html5_remove_all_event_listeners();
        throw std::runtime_error("the page has no playfield to draw on");
    }
    brennow_listen_pointers(this);
    // What a pad does goes to the box while it is open, else to the game.
    pads_.emplace([this] { return Now(); }, [this](const PadEvent& change) {
        if (boxOpen_) {
            BoxInput input;
            input.What = BoxInput::Pad;
            input.PadChange = change;
            QueueBox(input);
        } else {
            QueueGame(change);
        }
    });
}

WebBackend::~WebBackend()
{
    brennow_unlisten_pointers();
    emscripten_html5_remove_all_event_listeners();
}

Time WebBackend::Now()
{
    const double milliseconds = emscripten_get_now() - start_;
    return std::chrono::duration_cast<Time>(std::chrono::duration<double, std::milli>(milliseconds));
}

void WebBackend::QueueGame(const InputEvent& event)
{
    input_.push_back(event);
    brennow_wake();
}

void WebBackend::Pointer(const PointerInput& input)
{
    if (input.On == PointerInput::Box) {
        if (!boxOpen_ || ((input.What == PointerInput::Down || input.What == PointerInput::Up) &&
                          input.Button != kLeftButton)) {
            return;  // only the left button, or a finger, presses OK
        }
        int width = 0;
        int height = 0;
        emscripten_get_canvas_element_size("#box", &width, &height);
        const Position at = PixelAt("box", input.ClientX, input.ClientY, width, height);
        BoxInput box;
        box.What = input.What == PointerInput::Down ? BoxInput::Down
                   : input.What == PointerInput::Up ? BoxInput::Up
                   : input.What == PointerInput::Cancel ? BoxInput::Cancel
                                                        : BoxInput::Move;
        box.X = at.X;
        box.Y = at.Y;
        QueueBox(box);
        return;
    }
    if (boxOpen_) {
        return;  // the box's layer covers the playfield; a press held from before it ends here
    }
    // One mapping from a page point to a playfield pixel, for the mouse and
    // the finger alike; outside the playfield while a press is held, as the
    // desktop's window reports a held mouse beyond its edges.
    const Position at = PixelAt("canvas", input.ClientX, input.ClientY, width_, height_);
    const auto x = static_cast<float>(at.X);
    const auto y = static_cast<float>(at.Y);
    switch (input.What) {
    case PointerInput::Move:
        QueueGame(MouseMoveEvent{x, y, input.Buttons, input.Shift});
        break;
    case PointerInput::Down:
        QueueGame(MouseDownEvent{x, y, input.Button, input.Shift});
        break;
    case PointerInput::Up:
        QueueGame(MouseUpEvent{x, y, input.Button, input.Shift});
        break;
    case PointerInput::Cancel:
        // Released where no click can be: off the form's client area.
        QueueGame(MouseUpEvent{-1, -1, input.Button, input.Shift});
        break;
    }
}

void WebBackend::QueueBox(const BoxInput& input)
{
    boxInput_.push_back(input);
    brennow_wake();
}

std::optional<InputEvent> WebBackend::WaitEvent(std::optional<Time> deadline)
{
    while (input_.empty()) {
        double milliseconds = -1;  // no deadline: sleep until input comes
        if (deadline) {
            milliseconds = WaitMilliseconds(*deadline, Now());
            if (milliseconds == 0) {
                return std::nullopt;
            }
        }
        brennow_sleep(milliseconds);
    }
    InputEvent event = input_.front();
    input_.pop_front();
    return event;
}

void WebBackend::Present(const Surface& frame, std::span<const Rect> changed)
{
    if (frame.Width() != width_ || frame.Height() != height_) {
        return;  // the canvas is the playfield's size, and only that
    }
    const Rect all = frame.Bounds();
    if (changed.empty()) {
        ToRgba(frame, all, rgba_);
        brennow_put(rgba_.data(), width_, height_, 0, 0, width_, height_);
        return;
    }
    for (const Rect& area : changed) {
        const Rect part = area.Intersect(all);
        if (!part.Empty()) {
            ToRgba(frame, part, rgba_);
            brennow_put(rgba_.data(), width_, height_, part.X, part.Y, part.Width, part.Height);
        }
    }
}

void WebBackend::ShowBoxPixels(const Surface& pixels)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(pixels.Width()) * pixels.Height() * 4);
    ToRgba(pixels, pixels.Bounds(), rgba);
    brennow_put_box(rgba.data(), pixels.Width(), pixels.Height());
}

BoxResult WebBackend::ShowMessageBox(std::string_view title, std::string_view text)
{
    const MessageBoxLayout layout = LayOutMessageBox(text_, text);
    const std::string caption(title);
    if (brennow_open_box(caption.c_str(), layout.Width, layout.Height) == 0) {
        return BoxResult::NotShown;
    }
    boxOpen_ = true;
    boxInput_.clear();
    ShowBoxPixels(DrawMessageBox(layout, false));
    MessageBoxButton button(layout.Button);
    for (MessageBoxButton::Outcome outcome = MessageBoxButton::Outcome::None;
         outcome != MessageBoxButton::Outcome::Dismiss;) {
        while (boxInput_.empty()) {
            brennow_sleep(-1);
        }
        const BoxInput input = boxInput_.front();
        boxInput_.pop_front();
        switch (input.What) {
        case BoxInput::Key:
            outcome = button.Key(input.KeyCode, input.Repeat);
            break;
        case BoxInput::Down:
            outcome = button.PointerDown(input.X, input.Y);
            break;
        case BoxInput::Move:
            outcome = button.PointerMove(input.X, input.Y);
            break;
        case BoxInput::Up:
            outcome = button.PointerUp(input.X, input.Y);
            break;
        case BoxInput::Cancel:
            outcome = button.PointerCancel();
            break;
        case BoxInput::Pad:
            outcome = button.Pad(input.PadChange);
            break;
        }
        if (outcome == MessageBoxButton::Outcome::Redraw) {
            ShowBoxPixels(DrawMessageBox(layout, button.Pressed()));
        }
    }
    boxOpen_ = false;
    boxInput_.clear();
    brennow_close_box();
    return BoxResult::Dismissed;
}

void WebBackend::DiscardInput()
{
    input_.clear();
}

std::uint32_t WebBackend::ClockSeed()
{
    return platform::ClockSeed(Now());
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
