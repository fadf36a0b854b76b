// hello-frame: the shortest Kestrix program. It opens the display (Direct3D 8, or DirectDraw
// when Direct3D cannot), draws a scrolling pattern into the 320×240 frame, moves a white
// square with the arrow keys and ends on Escape.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "display/display.h"
#include "display/keyboard.h"

namespace {
std::uint32_t frame[240][320];  // 0x00RRGGBB pixels, row after row
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The window first; then Direct3D 8 with an 800×600 back buffer, which answers -1 when a
  // step fails; then DirectDraw, which opens a 320×240 mode or ends the program itself.
  DisplayContext display("Hello frame");
  display.createWindow(instance);
  if (display.initDisplay(backendDirect3D, 800, 600) == -1) display.initDisplay(backendDirectDraw, 320, 240);

  const DWORD start = timeGetTime();
  DWORD moved = start;
  int squareX = 152;
  int squareY = 112;
  MSG message{};
  for (;;) {
    // Messages first: the window procedure keeps the keyboard state, and Escape closes the
    // window, which posts WM_QUIT.
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (displaySettings.active == 0) {
      WaitMessage();  // minimised: nothing is shown, so nothing is drawn
    } else {
      const DWORD now = timeGetTime();
      for (; now - moved >= 10; moved += 10) {  // the square: 100 pixels a second
        if (isKeyDown(VK_LEFT) && squareX > 0) --squareX;
        if (isKeyDown(VK_RIGHT) && squareX < 320 - 16) ++squareX;
        if (isKeyDown(VK_UP) && squareY > 0) --squareY;
        if (isKeyDown(VK_DOWN) && squareY < 240 - 16) ++squareY;
      }
      const auto shift = static_cast<std::uint32_t>((now - start) / 20);  // 50 pixels a second
      for (std::uint32_t y = 0; y < 240; ++y) {
        for (std::uint32_t x = 0; x < 320; ++x) {
          const std::uint32_t red = (x + shift) & 0xFF, green = (y + 2 * shift) & 0xFF, blue = (x ^ y) & 0xFF;
          frame[y][x] = red << 16 | green << 8 | blue;
        }
      }
      for (int y = squareY; y < squareY + 16; ++y) {
        for (int x = squareX; x < squareX + 16; ++x) frame[y][x] = 0xFFFFFF;
      }
      display.presentFrame(&frame[0][0]);
    }
  }
  return static_cast<int>(message.wParam);  // the display object gives back the display here
}
