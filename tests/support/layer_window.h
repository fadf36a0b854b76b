// For tests of the DirectDraw and Direct3D layer on its own: SDL's dummy video driver with
// the software renderer, the layer's settings cleared, and plain windows to take over.
#pragma once

#include <windows.h>

#include <cstdlib>

#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace testsupport {

inline const bool softwareRenderer = (setenv("SDL_RENDER_DRIVER", "software", 1), true);

inline void clearLayerSettings() {
  for (const char* name : {"KESTRIX_DIRECT3D", "KESTRIX_DISPLAY_DEPTHS", "KESTRIX_16BIT", "KESTRIX_VIDEO_MEMORY",
                           "KESTRIX_DIRECT3D_SOFTWARE"}) {
    unsetenv(name);
  }
}

// A hidden full-screen-sized pop-up with the default window procedure.
inline HWND makeLayerWindow() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Kestrix layer test";
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExA(0, "Kestrix layer test", "Kestrix layer test", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace testsupport
