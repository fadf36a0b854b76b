// For the end-to-end tests: opens the display as the examples do and shows a black frame
// with one white pixel where readMouse puts the pointer; each change of the mouse state goes
// to standard error as "x y buttons wheel" (the wheel: all notches turned so far).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "display/display.h"
#include "display/mouse.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  DisplayContext display("Kestrix mouse probe");
  display.createWindow(instance);
  if (display.initDisplay(backendDirect3D, 800, 600) == -1) display.initDisplay(backendDirectDraw, 320, 240);
  const int width = displaySettings.frameWidth;
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * displaySettings.frameHeight, 0);
  MouseState shown{-1, -1, -1, 0};
  int wheel = 0;
  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    if (displaySettings.active == 0) {
      WaitMessage();
      continue;
    }
    const MouseState now = readMouse();
    wheel += now.wheel;
    if (now.x != shown.x || now.y != shown.y || now.buttons != shown.buttons || now.wheel != 0) {
      if (shown.x >= 0) frame[static_cast<std::size_t>(shown.y) * width + shown.x] = 0;
      frame[static_cast<std::size_t>(now.y) * width + now.x] = 0xFFFFFF;
      if (std::fprintf(stderr, "%d %d %d %d\n", now.x, now.y, now.buttons, wheel) < 0) return 1;
      shown = now;
    }
    display.presentFrame(frame.data());
  }
  return static_cast<int>(message.wParam);
}
