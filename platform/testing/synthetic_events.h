// For tests of the window layer: events pushed into SDL's queue as the window system would
// deliver them, so the message pump can be driven without a keyboard or a window manager.
// Pushing is safe from any thread; the events are handled by the next pump on the windows'
// thread.
#pragma once

#include <windows.h>

namespace synthetic {

enum Modifier : unsigned { none = 0, alt = 1, shift = 2, control = 4 };

// A key by its SDL name ("Left", "Escape", "A", "Left Alt"), pressed or released in the
// window (null: in no window SDL knows of). False when the key or SDL is unknown.
bool pushKey(HWND window, const char* keyName, bool down, unsigned modifiers = none, bool repeat = false);

enum class WindowEvent { close, minimized, restored, focusGained, focusLost, enter };
bool pushWindowEvent(HWND window, WindowEvent event);
bool pushMouseMotion(HWND window, int x, int y);
// SDL's button numbers: 1 left, 2 middle, 3 right. A wheel turned `notches` towards y,
// with the pointer at (x, y); flipped: as SDL reports a reversed ("natural") wheel.
bool pushMouseButton(HWND window, int button, bool down, int x, int y);
bool pushWheel(HWND window, int notches, int x, int y, bool flipped = false);
// Text typed in the window, UTF-8.
bool pushText(HWND window, const char* utf8);
// The window's size changed, as the window system reports it.
bool pushResize(HWND window, int width, int height);
// The modifier keys SDL reports held from now on (for the pointer and text that follow).
void holdModifiers(unsigned modifiers);
// What SDL makes of SIGINT or SIGTERM.
bool pushQuit();
// While on, SDL refuses every event of a program-registered type, as a full queue would;
// turning it off pushes one such event, which wakes a thread left waiting for SDL.
void refuseUserEvents(bool on);

// Whether the windows' thread sleeps in WaitMessage, waiting for SDL's events.
bool windowsThreadWaits();

// The SDL video driver in use ("dummy", "x11", ...), or "" before video runs.
const char* videoDriver();

}  // namespace synthetic
