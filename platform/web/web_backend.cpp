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

// The page's parts, by id: #canvas the playfield, #modal the layer that
// holds the box over it and takes every click while the box is open, #box
// the box's pixels, #box-title its title, #stage everything of the game,
// #failure where a report goes when the game ends by an error.

// Suspends the C++ stack until brennow_wake or the timeout (negative: none).
// No timer is set without a deadline, so an idle page never wakes.
EM_ASYNC_JS(void, brennow_sleep, (double milliseconds), {
    await new Promise((resolve) => {
        const timer = milliseconds >= 0 ? setTimeout(resolve, milliseconds) : null;
        Module['brennowWake'] = () => {
            if (timer !== null) {
                clearTimeout(timer);
            }
            resolve();
        };
    });
    Module['brennowWake'] = null;
});

EM_JS(void, brennow_wake, (), {
    const wake = Module['brennowWake'];
    if (wake) {
        wake();
    }
});

EM_JS(void, brennow_put, (const unsigned char* pixels, int width, int height, int x, int y, int w, int h), {
    const canvas = document.getElementById('canvas');
    if (!Module['brennowContext']) {
        Module['brennowContext'] = canvas.getContext('2d', {alpha : false});
    }
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    Module['brennowContext'].putImageData(image, 0, 0, x, y, w, h);
});

EM_JS(int, brennow_open_box, (const char* title, int width, int height), {
    const modal = document.getElementById('modal');
    const box = document.getElementById('box');
    if (!modal || !box) {
        return 0;
    }
    document.getElementById('box-title').textContent = UTF8ToString(title);
    box.width = width;
    box.height = height;
    modal.hidden = false;
    if (Module['brennowScaleBox']) {
        Module['brennowScaleBox']();  // the page's whole-number scale, the box over the playfield
    }
    box.focus({preventScroll : true});
    return 1;
});

EM_JS(void, brennow_put_box, (const unsigned char* pixels, int width, int height), {
    const box = document.getElementById('box');
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    box.getContext('2d', {alpha : false}).putImageData(image, 0, 0);
});

EM_JS(void, brennow_close_box, (), {
    document.getElementById('modal').hidden = true;
    document.getElementById('canvas').focus({preventScroll : true});
});

// Where an element lies in the page's client area, and how large it is
// shown, in CSS pixels: left, top, width, height.
EM_JS(void, brennow_place, (const char* id, double* place), {
    const r = document.getElementById(UTF8ToString(id)).getBoundingClientRect();
    HEAPF64[place >> 3] = r.left;
    HEAPF64[(place >> 3) + 1] = r.top;
    HEAPF64[(place >> 3) + 2] = r.width;
    HEAPF64[(place >> 3) + 3] = r.height;
});

// Whether the page has the parts the game needs. emscripten's html5 calls
// throw a JavaScript error, not a C++ one, for a part that is missing.
EM_JS(int, brennow_page_complete, (), {
    return ['canvas', 'modal', 'box', 'box-title'].every((id) => document.getElementById(id) !== null) ? 1 : 0;
});

EM_JS(void, brennow_show_failure, (const char* report), {
    const failure = document.getElementById('failure');
    const stage = document.getElementById('stage');
    if (stage) {
        stage.hidden = true;
    }
    if (failure) {
        failure.textContent = UTF8ToString(report);
        failure.hidden = false;
    }
    document.documentElement.dataset.ended = 'failure';
});

namespace platform {

namespace {

int ShiftState(bool shift, bool ctrl, bool alt)
{
    return (shift ? kShift : 0) | (ctrl ? kCtrl : 0) | (alt ? kAlt : 0);
}

int ButtonBit(unsigned short button)
{
    switch (button) {
    case 0:
        return kLeftButton;
    case 1:
        return kMiddleButton;
    case 2:
        return kRightButton;
    default:
        return 0;
    }
}

int ButtonMask(unsigned short buttons)
{
    // The browser's bits are the game's: 1 left, 2 right, 4 middle.
    return buttons & (kLeftButton | kRightButton | kMiddleButton);
}

// A pointer position over an element, in the element's own pixels: each is
// shown as a square of whole screen pixels, whatever the page's scale. The
// place is measured afresh, as the page may have been zoomed or scrolled.
struct Position {
    int X = 0;
    int Y = 0;
};
Position PixelAt(const char* id, long clientX, long clientY, int width, int height)
{
    double place[4] = {};
    brennow_place(id, place);
    const auto along = [](long client, double origin, double shown, int pixels) {
        return shown > 0 ? static_cast<int>(std::floor((static_cast<double>(client) - origin) * pixels / shown)) : 0;
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
        // A key held since before the box opened repeats; it must not close it.
        if (event->repeat == 0 && (code == vk::Return || code == vk::Space || code == vk::Escape)) {
            backend.QueueBox({WebBackend::BoxInput::Dismiss});
        }
        return EM_TRUE;  // and nothing reaches the game or the page
    }
    backend.QueueGame(KeyDownEvent{code, ShiftState(event->shiftKey != 0, event->ctrlKey != 0, event->altKey != 0)});
    // The browser's own shortcuts still work.
    return PageKey(code) && event->metaKey == 0 ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnCanvasMouse(int type, const EmscriptenMouseEvent* event, void* data)
{
    auto& backend = *static_cast<WebBackend*>(data);
    if (backend.BoxOpen()) {
        return EM_TRUE;
    }
    const Position at = PixelAt("canvas", event->clientX, event->clientY, backend.Width(), backend.Height());
    const auto x = static_cast<float>(at.X);
    const auto y = static_cast<float>(at.Y);
    const int shift = ShiftState(event->shiftKey != 0, event->ctrlKey != 0, event->altKey != 0);
    switch (type) {
    case EMSCRIPTEN_EVENT_MOUSEMOVE:
        backend.QueueGame(MouseMoveEvent{x, y, ButtonMask(event->buttons), shift});
        break;
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
        if (const int button = ButtonBit(event->button); button != 0) {
            backend.QueueGame(MouseDownEvent{x, y, button, shift});
        }
        break;
    case EMSCRIPTEN_EVENT_MOUSEUP:
        if (const int button = ButtonBit(event->button); button != 0) {
            backend.QueueGame(MouseUpEvent{x, y, button, shift});
        }
        break;
    default:
        return EM_FALSE;
    }
    return EM_TRUE;
}

// The whole modal layer hears the box's mouse, so that a press on OK that is
// let go outside the box still ends the press, as a captured pointer does on
// the desktop.
EM_BOOL OnModalMouse(int type, const EmscriptenMouseEvent* event, void* data)
{
    auto& backend = *static_cast<WebBackend*>(data);
    if (!backend.BoxOpen()) {
        return EM_FALSE;
    }
    if (type != EMSCRIPTEN_EVENT_MOUSEMOVE && event->button != 0) {
        return EM_TRUE;  // only the left button presses OK
    }
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size("#box", &width, &height);
    const Position at = PixelAt("box", event->clientX, event->clientY, width, height);
    WebBackend::BoxInput input;
    input.What = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? WebBackend::BoxInput::Down
                 : type == EMSCRIPTEN_EVENT_MOUSEUP ? WebBackend::BoxInput::Up
                                                    : WebBackend::BoxInput::Move;
    input.X = at.X;
    input.Y = at.Y;
    backend.QueueBox(input);
    return EM_TRUE;
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

int WebKeyCode(unsigned long keyCode, std::string_view key)
{
    // Browsers give the desktop's virtual-key codes, Firefox a few of its own.
    int code = static_cast<int>(std::min<unsigned long>(keyCode, 1000));
    switch (code) {
    case 59: code = vk::Semicolon; break;
    case 61: code = vk::Equals; break;
    case 173: code = key == "-" || key == "_" ? vk::Minus : code; break;  // else the mute key
    case 224: code = vk::LeftWindows; break;
    default: break;
    }
    // Every key reaches the form, as on the desktop.
    return vk::IsKnown(code) ? code : vk::NoCode;
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
        emscripten_set_mousemove_callback("#canvas", this, EM_FALSE, OnCanvasMouse) == EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_mousedown_callback("#canvas", this, EM_FALSE, OnCanvasMouse) == EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_mouseup_callback("#canvas", this, EM_FALSE, OnCanvasMouse) == EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_mousemove_callback("#modal", this, EM_FALSE, OnModalMouse) == EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_mousedown_callback("#modal", this, EM_FALSE, OnModalMouse) == EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_mouseup_callback("#modal", this, EM_FALSE, OnModalMouse) == EMSCRIPTEN_RESULT_SUCCESS;
    if (!listening || emscripten_set_canvas_element_size("#canvas", width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        emscripten_html5_remove_all_event_listeners();
        throw std::runtime_error("the page has no playfield to draw on");
    }
}

WebBackend::~WebBackend()
{
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
            const Time left = *deadline - Now();
            if (left <= Time::zero()) {
                return std::nullopt;
            }
            // Whole milliseconds, rounded up: waking early would only sleep again.
            milliseconds = static_cast<double>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
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
    bool held = false;  // the left button went down on OK and is not yet up
    bool over = false;  // and the pointer is over OK now
    bool dismissed = false;
    while (!dismissed) {
        while (boxInput_.empty()) {
            brennow_sleep(-1);
        }
        const BoxInput input = boxInput_.front();
        boxInput_.pop_front();
        const bool onButton = layout.Button.Contains(input.X, input.Y);
        switch (input.What) {
        case BoxInput::Dismiss:
            dismissed = true;
            break;
        case BoxInput::Down:
            if (onButton) {
                held = true;
                over = true;
                ShowBoxPixels(DrawMessageBox(layout, true));
            }
            break;
        case BoxInput::Move:
            if (held && onButton != over) {
                over = onButton;
                ShowBoxPixels(DrawMessageBox(layout, over));
            }
            break;
        case BoxInput::Up:
            if (held) {
                held = false;
                dismissed = onButton;
                if (!dismissed) {
                    ShowBoxPixels(DrawMessageBox(layout, false));
                }
            }
            break;
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
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::system_clock::now().time_since_epoch().count() ^ Now().count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32U));
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
