// For the end-to-end tests: shows a black frame and writes each change of the mouse state
// to standard error as "x y buttons wheel" (the wheel: all its notches so far).
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "display/display.h"
#include "display/mouse.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DisplayContext display("Kestrix mouse probe");
  display.createWindow(instance);
  if (display.initDisplay(backendDirect3D, 800, 600) == -1) display.initDisplay(backendDirectDraw, 320, 240);
  static const std::uint32_t frame[240][320] = {};
  MouseState shown{-1, -1, -1, 0};
  int wheel = 0;
  for (MSG message{}; message.message != WM_QUIT;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
      continue;
    }
    const MouseState now = readMouse();
    wheel += now.wheel;
    if (now.x != shown.x || now.y != shown.y || now.buttons != shown.buttons || now.wheel != 0) {
      if (std::fprintf(stderr, "%d %d %d %d\n", now.x, now.y, now.buttons, wheel) < 0) return 1;
      shown = now;
    }
    display.presentFrame(&frame[0][0]);
  }
  return 0;
}
