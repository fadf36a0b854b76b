// For the end-to-end tests: a program of another frame size (400×300) that shows the mouse state as text
// and writes each change to standard error as "x y buttons wheel" (the wheel: all its notches so far).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "display/display.h"
#include "display/mouse.h"
#include "display/text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  constexpr int width = 400, height = 300;
  displaySettings.frameWidth = width;
  displaySettings.frameHeight = height;
  DisplayContext display("Kestrix mouse probe");
  display.createWindow(instance);
  if (display.initDisplay(backendDirect3D, 800, 600) == -1) display.initDisplay(backendDirectDraw, width, height);
  std::vector<std::uint32_t> frame(width * height);
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
      char line[64];
      std::snprintf(line, sizeof line, "%d %d %d %d", now.x, now.y, now.buttons, wheel);
      if (std::fprintf(stderr, "%s\n", line) < 0) return 1;
      std::fill(frame.begin(), frame.end(), 0);
      drawText(frame.data(), width, height, 8, 8, line, 0xFFFFFF);
      shown = now;
    }
    display.presentFrame(frame.data());
  }
  return 0;
}
