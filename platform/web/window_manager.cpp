// A page has no X server: the canvas is the screen, and no window manager stands between.
#include "platform/directx/window_manager.h"

namespace platform::directx {

bool bareX11(SDL_Window*) { return false; }

}  // namespace platform::directx
