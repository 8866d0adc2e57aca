// The Linux desktop: X11, through Xlib where SDL needs help, and the choices
// Wayland needs (SDL draws and decorates there by itself).
#include "platform/sdl/window_system.h"

#include "platform/sdl/input_age.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xproto.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

namespace platform::window_system {

namespace {

// Whether SDL reached the display through Wayland rather than X11.
bool OnWayland()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "wayland") == 0;
}

// What went wrong with the display, once something has: Xlib's handler has
// no place to pass it but this one.
std::string& DisplayFault()
{
    static std::string fault;
    return fault;
}

// SDL wakes its own blocking wait with a message it sends over a second X
// connection. That message can reach a window just after the first
// connection destroyed it (the box, or the game window at exit), and Xlib's
// default handler would end the game for the error. That one error is
// ignored. Any other ends the game, as the default handler would, but not
// from inside Xlib: it is noted, and the loop ends the game at its next turn.
int OnXError(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) {
        return 0;
    }
    if (DisplayFault().empty()) {
        char text[256] = {};
        XGetErrorText(display, error->error_code, text, sizeof text);
        DisplayFault() = "X error: " + std::string(text) + " (request " +
                         std::to_string(static_cast<int>(error->request_code)) + ")";
    }
    return 0;
}

// When X made the input SDL is about to queue, from the X event SDL hands the
// filter before it translates that event.
InputAge& Ages()
{
    static InputAge ages;
    return ages;
}

std::optional<std::uint32_t> MadeAt(const XEvent& event)
{
    switch (event.type) {
    case KeyPress:
    case KeyRelease:
        return static_cast<std::uint32_t>(event.xkey.time);
    case ButtonPress:
    case ButtonRelease:
        return static_cast<std::uint32_t>(event.xbutton.time);
    case MotionNotify:
        return static_cast<std::uint32_t>(event.xmotion.time);
    case EnterNotify:
    case LeaveNotify:
        return static_cast<std::uint32_t>(event.xcrossing.time);
    case PropertyNotify:
        return static_cast<std::uint32_t>(event.xproperty.time);
    default:
        return std::nullopt;
    }
}

int FilterEvent(void* /*data*/, SDL_Event* event)
{
    if (event->type == SDL_SYSWMEVENT) {
        if (event->syswm.msg != nullptr && event->syswm.msg->subsystem == SDL_SYSWM_X11) {
            Ages().Made(MadeAt(event->syswm.msg->msg.x11.event));
        }
        return 0;  // read here, and of no use in the queue
    }
    return Ages().Keep(*event) ? 1 : 0;
}

}  // namespace

void DropInputMadeUntilNow()
{
    if (const std::optional<std::uint32_t> latest = Ages().Latest()) {
        Ages().DropUntil(*latest);
    }
}

void CheckDisplay()
{
    if (!DisplayFault().empty()) {
        throw std::runtime_error(DisplayFault());
    }
}

void StartVideo()
{
    // On X11 a software window surface: a small frame needs no OpenGL stack.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (requested == nullptr && wayland == nullptr) {
        // Without a Wayland session only X11 can work; probing Wayland anyway
        // makes its library print errors of its own.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (requested == nullptr && x11 == nullptr && wayland == nullptr) {
        throw std::runtime_error("cannot open the display: neither DISPLAY nor WAYLAND_DISPLAY is set");
    }
    // Before SDL starts: SDL chains its own handler to this one and puts
    // this one back when it closes its connections.
    XSetErrorHandler(OnXError);
    // Only video: joystick and audio would wake the loop for nothing.
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        const std::string name = wayland != nullptr ? wayland : (x11 != nullptr ? x11 : "");
        throw std::runtime_error("cannot open the display " + name + ": " + SDL_GetError());
    }
    if (!OnWayland()) {
        // SDL hands each X event to the filter before it translates it: the
        // filter learns when the input it then queues was made.
        SDL_SetEventFilter(FilterEvent, nullptr);
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
    if (OnWayland()) {
        // Wayland has no software window surface in SDL: the window's pixels
        // go through a renderer's texture, the only way SDL shows them there.
        SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    }
}

float DotsPerInch(SDL_Window* window)
{
    // What the desktop sets for its fonts (the Xft.dpi resource, which is
    // how X11 desktops ask for a scale), else what the screen's size in
    // millimetres gives.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    Display* display = info.info.x11.display;
    const char* resources = XResourceManagerString(display);
    if (const char* found = resources != nullptr ? std::strstr(resources, "Xft.dpi:") : nullptr) {
        return std::strtof(found + std::strlen("Xft.dpi:"), nullptr);
    }
    const int screen = DefaultScreen(display);
    const int millimetres = DisplayWidthMM(display, screen);
    return millimetres > 0 ? static_cast<float>(DisplayWidth(display, screen)) * 25.4F / millimetres : 0;
}

void OnlyCloseButton(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    // The Motif hints most window managers read: the window may be moved and
    // closed, nothing more, and its frame has a title, a border and a window
    // menu but no minimise or maximise button. A minimised box would leave
    // the game frozen with nothing to see.
    enum : unsigned long {
        kFunctions = 1UL << 0U,
        kDecorations = 1UL << 1U,
        kMove = 1UL << 2U,
        kClose = 1UL << 5U,
        kBorder = 1UL << 1U,
        kTitle = 1UL << 3U,
        kMenu = 1UL << 4U,
    };
    const long hints[5] = {kFunctions | kDecorations, kMove | kClose, kBorder | kTitle | kMenu, 0, 0};
    Display* display = info.info.x11.display;
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, info.info.x11.window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
    XFlush(display);
}

void ForFullScreen(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    XDeleteProperty(display, info.info.x11.window, XInternAtom(display, "_MOTIF_WM_HINTS", False));
    XFlush(display);
}

void Show(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        SDL_ShowWindow(window);
        return;
    }
    // SDL's own show waits, without a bound, for the window manager to map
    // the window; a busy or stopped one held the game there, deaf to its
    // close button and to SIGTERM. The map request is enough: SDL learns the
    // window is shown when the server says so, and the expose that follows
    // brings the frame.
    Display* display = info.info.x11.display;
    const Window shown = info.info.x11.window;
    XMapRaised(display, shown);
    // Without a window manager nobody gives the window the focus.
    XWindowAttributes root{};
    if (XGetWindowAttributes(display, DefaultRootWindow(display), &root) != 0 &&
        (root.all_event_masks & SubstructureRedirectMask) == 0) {
        XSetInputFocus(display, shown, RevertToNone, CurrentTime);
    }
    XFlush(display);
}

SDL_Window* CreateDialog(const char* title, int x, int y, int width, int height, SDL_Window* owner)
{
    // A dialog to the window manager: no maximise or minimise, kept over its owner.
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_DIALOG");
    SDL_Window* box = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN);
    SDL_ResetHint(SDL_HINT_X11_WINDOW_TYPE);
    if (box == nullptr) {
        return nullptr;
    }
    SDL_SetWindowModalFor(box, owner);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(box, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
        // Modal to its owner: the window manager keeps it with its owner and
        // over it, whatever becomes of either.
        Display* display = info.info.x11.display;
        const Atom modal = XInternAtom(display, "_NET_WM_STATE_MODAL", False);
        XChangeProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&modal), 1);
    }
    return box;
}

bool KeepsDialogs()
{
    return OnWayland();
}

void OpenStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) == -1) {
            return;
        }
    }
}

void ReportFailure(const char* /*title*/, const char* /*text*/) {}

void Print(Stream stream, std::string_view text)
{
    std::FILE* to = stream == Stream::Output ? stdout : stderr;
    std::fwrite(text.data(), 1, text.size(), to);
    std::fflush(to);
}

}  // namespace platform::window_system
