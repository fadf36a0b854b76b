// sprites: pictures from an archive, drawn with the blitter in each of its five modes. The
// build packs a background and two sprites into "sprites.pak" with kestrix-pak; the program
// reads them from there (start it in the folder that holds the archive). Over the background
// a row of five monsters, each three times its size, shows copy, keyed copy, add-saturate,
// add-channels and invert, left to right, and bubbles of three sizes sit above them. The
// arrow keys move the row, and the frame's edges clip it. Escape ends the program.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "display/blit.h"
#include "display/display.h"
#include "display/keyboard.h"
#include "display/pcx.h"
#include "display/resource.h"

namespace {

constexpr int frameWidth = 320;
constexpr int frameHeight = 240;
constexpr int spriteSize = 16;
constexpr std::uint32_t black = 0;  // the keyed copy's transparent colour

std::uint32_t background[frameWidth * frameHeight];
std::uint32_t monster[spriteSize * spriteSize];
std::uint32_t bubble[spriteSize * spriteSize];
std::uint32_t frame[frameWidth * frameHeight];

// The names must be writable: the archive opener upper-cases them in place.
char backgroundName[] = "fondo.pcx";
char monsterName[] = "malo1.pcx";
char bubbleName[] = "pompa.pcx";

void drawFrame(int rowX, int rowY) {
  blit(background, frameWidth, frameHeight, 0, 0, frameWidth, frameHeight, frame, blitCopy, 0);
  const BlitMode modes[] = {blitCopy, blitKeyed, blitAddSaturate, blitAddChannels, blitInvert};
  for (int i = 0; i < 5; ++i) {
    blit(monster, spriteSize, spriteSize, rowX + 64 * i, rowY, 3 * spriteSize, 3 * spriteSize, frame, modes[i], black);
  }
  const int bubbleSizes[] = {8, 16, 32};  // scaled down, as drawn, scaled up
  for (int i = 0, x = 200; i < 3; x += bubbleSizes[i] + 8, ++i) {
    blit(bubble, spriteSize, spriteSize, x, 40 - bubbleSizes[i] / 2, bubbleSizes[i], bubbleSizes[i], frame, blitKeyed,
         black);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  archivePath = "sprites.pak";  // pictures are looked for in it first, then as plain files

  DisplayContext display("Kestrix sprites");
  display.createWindow(instance);
  if (display.initDisplay(backendDirect3D, 800, 600) == -1) display.initDisplay(backendDirectDraw, 320, 240);

  // Three-plane pictures, as 0x00RRGGBB pixels. A missing picture, or one larger than its
  // buffer, ends the program with a message box (fatalError).
  loadPcx(backgroundName, background, sizeof background, nullptr);
  loadPcx(monsterName, monster, sizeof monster, nullptr);
  loadPcx(bubbleName, bubble, sizeof bubble, nullptr);

  DWORD moved = timeGetTime();
  int rowX = 8;
  int rowY = 96;
  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (displaySettings.active == 0) {
      WaitMessage();
    } else {
      // 100 pixels a second, as far as the row can go out of the frame.
      for (const DWORD now = timeGetTime(); now - moved >= 10; moved += 10) {
        if (isKeyDown(VK_LEFT) && rowX > -320) --rowX;
        if (isKeyDown(VK_RIGHT) && rowX < 320) ++rowX;
        if (isKeyDown(VK_UP) && rowY > -48) --rowY;
        if (isKeyDown(VK_DOWN) && rowY < 240) ++rowY;
      }
      drawFrame(rowX, rowY);
      display.presentFrame(frame);
    }
  }
  return static_cast<int>(message.wParam);
}
