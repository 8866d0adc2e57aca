// Windows, through the Win32 API where SDL needs help: the density of the
// window's monitor, a window with only the close button, the program's own
// icons, and the message box owned by the game window.
#include "platform/sdl/window_system.h"

#include "platform/sdl/input_age.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <windows.h>
#undef CreateDialog  // winuser.h's, for dialogs from resources

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform::window_system {

namespace {

HWND Handle(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_WINDOWS) {
        return nullptr;
    }
    return info.info.win.window;
}

// A function of user32 that older Windows lack, or null: importing it would
// keep the program from starting there at all.
template <typename Function>
Function FromUser32(const char* name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// When Windows made the input SDL is about to queue: the time of the message
// SDL is handling, which the hook sees before SDL translates it.
InputAge& Ages()
{
    static InputAge ages;
    return ages;
}

void SDLCALL OnMessage(void* /*data*/, void* /*window*/, unsigned int /*message*/, Uint64 /*wParam*/,
                       Sint64 /*lParam*/)
{
    Ages().Made(static_cast<std::uint32_t>(GetMessageTime()));
}

int SDLCALL FilterEvent(void* /*data*/, SDL_Event* event)
{
    return Ages().Keep(*event) ? 1 : 0;
}

}  // namespace

void DropInputMadeUntilNow()
{
    Ages().DropUntil(static_cast<std::uint32_t>(GetTickCount()));
}

void StartVideo()
{
    // The game draws in the monitor's own pixels and enlarges the playfield
    // by a whole number itself, crisp; left unaware, Windows would stretch
    // the window's picture, blurred, on a dense monitor.
    SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
    // A software window surface (GDI): a small frame needs no Direct3D.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // main() is our own: there is no SDL_main to say so.
    SDL_SetMainReady();
    // Only video: joystick and audio would wake the loop for nothing.
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        throw std::runtime_error(std::string("cannot start the video: ") + SDL_GetError());
    }
    SDL_SetWindowsMessageHook(OnMessage, nullptr);
    SDL_SetEventFilter(FilterEvent, nullptr);
}

float DotsPerInch(SDL_Window* window)
{
    const HWND handle = Handle(window);
    if (handle == nullptr) {
        return 0;
    }
    // The density Windows gives the window's monitor (Windows 10 and later),
    // which the user sets as "scale" in the display settings.
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    if (const auto dpiForWindow = FromUser32<GetDpiForWindow>("GetDpiForWindow")) {
        return static_cast<float>(dpiForWindow(handle));
    }
    // Older Windows: the one density of the whole desktop.
    const HDC context = GetDC(handle);
    if (context == nullptr) {
        return 0;
    }
    const int dpi = GetDeviceCaps(context, LOGPIXELSX);
    ReleaseDC(handle, context);
    return static_cast<float>(dpi);
}

void OnlyCloseButton(SDL_Window* window)
{
    // SDL gives every window a minimise button; the old form had only the
    // close button, and its box none but that either.
    const HWND handle = Handle(window);
    if (handle == nullptr) {
        return;
    }
    const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
    SetWindowLongPtrW(handle, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// Windows takes a window without a thick frame to full screen as it is.
void ForFullScreen(SDL_Window* /*window*/) {}

void Show(SDL_Window* window)
{
    if (const HWND handle = Handle(window); handle != nullptr && GetWindow(handle, GW_OWNER) == nullptr) {
        // The title bar and the taskbar show the icons from the program's
        // resources, each drawn for its size (SDL gives them to the window
        // class), not the window icon SDL was handed, scaled down.
        const auto big = GetClassLongPtrW(handle, GCLP_HICON);
        const auto little = GetClassLongPtrW(handle, GCLP_HICONSM);
        if (big != 0) {
            SendMessageW(handle, WM_SETICON, ICON_BIG, static_cast<LPARAM>(big));
            SendMessageW(handle, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(little != 0 ? little : big));
        }
    }
    SDL_ShowWindow(window);
}

SDL_Window* CreateDialog(const char* title, int x, int y, int width, int height, SDL_Window* owner)
{
    SDL_Window* box = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN);
    if (box == nullptr) {
        return nullptr;
    }
    const HWND handle = Handle(box);
    const HWND ownerHandle = Handle(owner);
    if (handle != nullptr && ownerHandle != nullptr) {
        // Owned by the game window, as a dialog is: always above it, minimised
        // and restored with it, no taskbar button of its own. The runtime
        // drops the game window's input while the box is open.
        SetWindowLongPtrW(handle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerHandle));
        // A dialog's frame: no icon in its title bar.
        const LONG_PTR extended = GetWindowLongPtrW(handle, GWL_EXSTYLE);
        SetWindowLongPtrW(handle, GWL_EXSTYLE, extended | WS_EX_DLGMODALFRAME);
    }
    return box;
}

bool KeepsDialogs()
{
    return false;
}

// A windowed program starts without standard descriptors: nothing to mend.
void OpenStandardDescriptors() {}

void CheckDisplay() {}

void Print(Stream stream, std::string_view text)
{
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(text.size(), 0xFFFF'FFFFU));
    DWORD written = 0;
    // Redirected to a file or a pipe (or a terminal's, under Wine).
    const HANDLE standard = GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (standard != nullptr && standard != INVALID_HANDLE_VALUE && GetFileType(standard) != FILE_TYPE_UNKNOWN &&
        WriteFile(standard, text.data(), size, &written, nullptr)) {
        return;
    }
    // Started from a console: its window. The prompt is back already, so the
    // text comes after it.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
        const bool wrote = console != INVALID_HANDLE_VALUE && WriteFile(console, text.data(), size, &written, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            CloseHandle(console);
        }
        FreeConsole();
        if (wrote) {
            return;
        }
    }
    const std::string shown(text);
    SDL_ShowSimpleMessageBox(stream == Stream::Output ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_ERROR, "Brennow",
                             shown.c_str(), nullptr);
}

void ReportFailure(const char* title, const char* text)
{
    // A windowed program has no console: what it writes to standard error
    // goes nowhere.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr);
}

}  // namespace platform::window_system
