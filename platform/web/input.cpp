#include "platform/web/input.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>

#include "platform/core/message_box.h"
#include "platform/core/virtual_keys.h"
#include "platform/web/keys.h"
#include "platform/web/web_backend.h"

// The page's side, in library.js and pointer.js.
extern "C" {
void brennow_place(const char* id, double* place);
void brennow_listen_pointers(platform::WebBackend* backend);
void brennow_unlisten_pointers();
}

// The page's pointer listeners (pointer.js) call in here; it only queues.
extern "C" EMSCRIPTEN_KEEPALIVE void brennow_pointer(platform::WebBackend* backend, int target, int kind,
                                                     double clientX, double clientY, int button, int buttons,
                                                     int shiftKey, int ctrlKey, int altKey, int finger)
{
    using platform::PointerKind;
    using platform::PointerTarget;
    const bool known = (target == static_cast<int>(PointerTarget::Playfield) ||
                        target == static_cast<int>(PointerTarget::Box)) &&
                       kind >= static_cast<int>(PointerKind::Move) && kind <= static_cast<int>(PointerKind::Cancel);
    if (!known) {
        return;
    }
    platform::TakePointer(*backend, {static_cast<PointerTarget>(target), static_cast<PointerKind>(kind), clientX,
                                     clientY, button, buttons, shiftKey != 0, ctrlKey != 0, altKey != 0,
                                     finger != 0});
}

namespace platform {

namespace {

// A pointer position over an element, in the element's own pixels: each is
// shown as a square of whole screen pixels, whatever the page's scale. The
// place is measured afresh, as the page may have been zoomed or scrolled.
struct Position {
    int X = 0;
    int Y = 0;
    double Shown = 0;  // CSS px a pixel is shown as
};
Position PixelAt(const char* id, double clientX, double clientY, int width, int height)
{
    double place[4] = {};
    brennow_place(id, place);
    const auto along = [](double client, double origin, double shown, int pixels) {
        return shown > 0 ? static_cast<int>(std::floor((client - origin) * pixels / shown)) : 0;
    };
    return {along(clientX, place[0], place[2], width), along(clientY, place[1], place[3], height),
            width > 0 ? place[2] / width : 0};
}

// A fingertip is larger than the box's OK button: a finger on the box within
// about 44 x 44 CSS px around the button's middle is on the button, whatever
// the box's scale. The box's pixels stay as they are, and a mouse keeps the
// exact button.
Position FingerOnButton(Position at, int width, int height)
{
    constexpr double kTarget = 44;  // CSS px
    if (at.Shown <= 0 || at.X < 0 || at.Y < 0 || at.X >= width || at.Y >= height) {
        return at;
    }
    const Rect button = MessageBoxButtonPlace(width, height);
    const double halfWidth = std::max(button.Width / 2.0, kTarget / 2 / at.Shown);
    const double halfHeight = std::max(button.Height / 2.0, kTarget / 2 / at.Shown);
    if (std::abs(at.X + 0.5 - (button.X + button.Width / 2.0)) <= halfWidth &&
        std::abs(at.Y + 0.5 - (button.Y + button.Height / 2.0)) <= halfHeight) {
        return {button.X + button.Width / 2, button.Y + button.Height / 2, at.Shown};
    }
    return at;
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
    if (backend.Box().IsOpen()) {
        backend.Box().Queue(BoxKey{code, event->repeat != 0});
        // Nothing reaches the game; of the page's own keys only those the
        // box takes are kept from it, so that F5 and Ctrl+R still reload.
        return DismissesBox(code) ? EM_TRUE : EM_FALSE;
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
    if (!backend.Box().IsOpen()) {
        backend.QueueGame(FocusLostEvent{});
    }
    return EM_FALSE;
}

BoxPointer::Kind BoxKind(PointerKind kind)
{
    switch (kind) {
    case PointerKind::Down:
        return BoxPointer::Down;
    case PointerKind::Up:
        return BoxPointer::Up;
    case PointerKind::Cancel:
        return BoxPointer::Cancel;
    case PointerKind::Move:
        break;
    }
    return BoxPointer::Move;
}

}  // namespace

bool ListenToPage(WebBackend& backend)
{
    const bool listening =
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &backend, EM_TRUE, OnKeyDown) ==
            EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, &backend, EM_FALSE, OnBlur) ==
            EMSCRIPTEN_RESULT_SUCCESS;
    if (listening) {
        brennow_listen_pointers(&backend);
    }
    return listening;
}

void StopListening()
{
    brennow_unlisten_pointers();
    emscripten_html5_remove_all_event_listeners();
}

void TakePointer(WebBackend& backend, const PointerInput& input)
{
    const bool press = input.What == PointerKind::Down || input.What == PointerKind::Up;
    if (input.On == PointerTarget::Box) {
        if (!backend.Box().IsOpen() || (press && GameButton(input.Button) != kLeftButton)) {
            return;  // only the left button, or a finger, presses OK
        }
        int width = 0;
        int height = 0;
        emscripten_get_canvas_element_size("#box", &width, &height);
        Position at = PixelAt("box", input.ClientX, input.ClientY, width, height);
        if (input.Finger) {
            at = FingerOnButton(at, width, height);
        }
        backend.Box().Queue(BoxPointer{BoxKind(input.What), at.X, at.Y});
        return;
    }
    if (backend.Box().IsOpen()) {
        return;  // the box's layer covers the playfield; a press held from before it ends here
    }
    // One mapping from a page point to a playfield pixel, for the mouse and
    // the finger alike; outside the playfield while a press is held, as the
    // desktop's window reports a held mouse beyond its edges.
    const Position at = PixelAt("canvas", input.ClientX, input.ClientY, backend.Width(), backend.Height());
    const auto x = static_cast<float>(at.X);
    const auto y = static_cast<float>(at.Y);
    const int shift = ShiftState(input.ShiftKey, input.CtrlKey, input.AltKey);
    const int button = GameButton(input.Button);
    switch (input.What) {
    case PointerKind::Move:
        backend.QueueGame(MouseMoveEvent{x, y, GameButtons(input.Buttons), shift});
        break;
    case PointerKind::Down:
        backend.QueueGame(MouseDownEvent{x, y, button, shift});
        break;
    case PointerKind::Up:
        backend.QueueGame(MouseUpEvent{x, y, button, shift});
        break;
    case PointerKind::Cancel:
        // Released where no click can be: off the form's client area.
        backend.QueueGame(MouseUpEvent{-1, -1, button, shift});
        break;
    }
}

}  // namespace platform
