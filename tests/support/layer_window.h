// For tests of the DirectDraw and Direct3D layer on its own (headless ones add headless_video.h):
// SDL's software renderer, the layer's settings cleared, and plain windows to take over.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdlib>

#include "tests/support/message_pump.h"

namespace testsupport {

inline const bool softwareRenderer = (setenv("SDL_RENDER_DRIVER", "software", 1), true);

inline void clearLayerSettings() {
  for (const char* name : {"KESTRIX_DIRECT3D", "KESTRIX_DISPLAY_DEPTHS", "KESTRIX_16BIT", "KESTRIX_VIDEO_MEMORY",
                           "KESTRIX_DIRECT3D_SOFTWARE"}) {
    unsetenv(name);
  }
}

// A hidden pop-up with the default window procedure.
inline HWND makeLayerWindow(const char* title = "Kestrix layer test", int width = 1024, int height = 768) {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "Kestrix layer test";
    return RegisterClassA(&windowClass) != 0;
  }();
  return registered ? CreateWindowExA(0, "Kestrix layer test", title, WS_POPUP, 0, 0, width, height, nullptr,
                                      nullptr, nullptr, nullptr)
                    : nullptr;
}

// A Direct3D device on `window` with a back buffer of this size; null when refused.
inline IDirect3DDevice8* makeDevice(IDirect3D8* direct3D, HWND window, UINT width, UINT height) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  IDirect3DDevice8* device = nullptr;
  const HRESULT result = direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device);
  return result == D3D_OK ? device : nullptr;
}

}  // namespace testsupport
