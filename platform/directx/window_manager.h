// Whether a window manager looks after the windows of the display SDL is on.
#pragma once

#include <SDL.h>

namespace platform::directx {

// True on X11 when no EWMH window manager runs (a bare X server, as under Xvfb). There a
// window that already covers the screen is as full-screen as it gets, and asking for more
// only makes SDL wait for an answer that never comes. False elsewhere.
bool bareX11(SDL_Window* window);

}  // namespace platform::directx
