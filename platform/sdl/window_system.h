// What the window system beneath SDL needs that SDL leaves out, or does in a
// way the game cannot use. One implementation per platform, chosen when the
// program is built: linux_desktop.cpp for the Linux desktop (X11 through
// Xlib, and the decisions Wayland needs), windows.cpp for Windows. A
// platform without a file of its own stops the build at configure time. SDL's
// own types only: nothing here names a window system's types.
#pragma once

#include <string_view>

struct SDL_Window;

namespace platform::window_system {

// Opens each standard descriptor that was closed at start on a null device,
// before anything else opens a file: otherwise the next file opened takes
// its number, and a line written to standard error could go into the
// display's connection and hang the game. Where a program has no standard
// descriptors of its own, nothing.
void OpenStandardDescriptors();

// Starts SDL's video on this window system. Throws std::runtime_error with a
// one-line reason when there is no display to open.
void StartVideo();

// The density the desktop asks for, in dots per inch; 0 when this window
// system does not say (SDL's own figure is taken then).
float DotsPerInch(SDL_Window* window);

// Offers only the close button on window, no minimise, maximise or resize,
// where the window manager lets a program ask for that. Before it is shown.
void OnlyCloseButton(SDL_Window* window);

// Before window goes full screen: lifts what OnlyCloseButton asked where a
// window manager would take it as a refusal of full screen (X11's Motif
// hints say "no resize"). OnlyCloseButton asks it again on leaving.
void ForFullScreen(SDL_Window* window);

// Shows window. Never waits without a bound on the window manager: one that
// does not answer must not hold the game and its exits up.
void Show(SDL_Window* window);

// The message box's window, hidden: a dialog owned by owner, modal to it and
// kept over it. Null when it cannot be made.
SDL_Window* CreateDialog(const char* title, int x, int y, int width, int height, SDL_Window* owner);

// Whether the box's window is kept, hidden, for the next box rather than
// destroyed. On Wayland SDL 2.26 leaves a destroyed window's frame (drawn by
// libdecor) alive, and the compositor's next configuration of that frame
// calls into the freed window: the game crashed when the game window was
// clicked after a box.
bool KeepsDialogs();

// Drops, as SDL queues them, the keys, clicks and moves that the window
// system made up to now: input made while the box was open, which SDL may
// get to only after the box has closed. Nothing where the window system
// does not say when it made its input.
void DropInputMadeUntilNow();

// Throws std::runtime_error with the reason when the window system has
// failed in a way the game cannot go on from since it was last asked: its
// own callbacks only note such a failure, so that the game ends through its
// normal path.
void CheckDisplay();

enum class Stream { Output, Error };

// Writes text, whole lines, to standard output or error. A windowed program
// on Windows has them only where they were redirected; else it writes to the
// console it was started from, and failing that shows the text in a box.
void Print(Stream stream, std::string_view text);

// Shows why the game cannot go on where nobody would read standard error (a
// windowed program on Windows has no console); nothing where it is read.
void ReportFailure(const char* title, const char* text);

}  // namespace platform::window_system
