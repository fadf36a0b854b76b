// paint: a 480×270 frame painted with the mouse. The left button paints with the brush
// under the pointer, each click with a sound; the wheel picks the brush. The brushes are
// one sprite sheet ("brushes.pcx", six 16×16 cells) and the sound is "saltito.mp3", both in
// "paint.pak", which the build makes with kestrix-pcx and kestrix-pak (start the program in
// the folder that holds it). A line of text shows the brush and the pointer's frame
// position. The program takes Escape for itself through the message hook and asks
// "quit? (y/n)": y ends it, n goes on painting.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "audio/audio_clip.h"
#include "display/blit.h"
#include "display/display.h"
#include "display/mouse.h"
#include "display/pcx.h"
#include "display/resource.h"
#include "display/text.h"

namespace {

constexpr int frameWidth = 480;
constexpr int frameHeight = 270;
constexpr int brushSize = 16;
constexpr int brushCount = 6;
constexpr int barHeight = 12;  // the text line's bar at the top
constexpr std::uint32_t paper = 0xF0E8D8;
constexpr std::uint32_t black = 0;  // the sheet's transparent colour

std::uint32_t sheet[brushCount * brushSize * brushSize];
std::uint32_t canvas[frameWidth * frameHeight];  // what has been painted
std::uint32_t frame[frameWidth * frameHeight];   // the canvas with the text and the brush over it

char sheetName[] = "brushes.pcx";  // writable: the archive opener upper-cases it in place
char soundName[] = "saltito.mp3";

AudioClip click;  // kept here, not in musicClip: freed at the end with freeAll
HWND mainWindow = nullptr;
bool asking = false;  // "quit? (y/n)" is up
int brush = 0;
MouseState last{};  // where the brush was last put down, or the pointer at the last frame

// Stamps the brush centred on (x, y) into the canvas.
void stamp(int x, int y) {
  blitRect(sheet, brushCount * brushSize, brush * brushSize, 0, brushSize, brushSize, x - brushSize / 2,
           y - brushSize / 2, brushSize, brushSize, canvas, blitKeyed, black);
}

// The program's look at the messages, before the library's window procedure. Clicks and
// the wheel are taken here, in their order: a click may go down and up, and the wheel turn,
// between two frames.
bool onMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {  // the library would close the window
    asking = true;
    *result = 0;
    return true;
  }
  if (message == WM_CHAR && asking) {  // typed characters, as TranslateMessage makes them
    if (wParam == 'y' || wParam == 'Y') PostMessageA(mainWindow, WM_CLOSE, 0, 0);  // ends as Escape would
    if (wParam == 'n' || wParam == 'N') asking = false;
    *result = 0;
    return true;
  }
  if (message == WM_MOUSEWHEEL && !asking) {  // away from you: the next brush
    brush = ((brush + GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA) % brushCount + brushCount) % brushCount;
  }
  if (message == WM_LBUTTONDOWN && !asking) {  // the pointer is where the last move left it
    last = readMouse();
    stamp(last.x, last.y);
    click.playStream();
  }
  return false;  // the library keeps its mouse state from these too
}

// Paints from the last position to this one, a stamp every two pixels, so that a fast
// stroke stays a line.
void paintStroke(int fromX, int fromY, int toX, int toY) {
  const int steps = std::max(std::abs(toX - fromX), std::abs(toY - fromY)) / 2 + 1;
  for (int i = 1; i <= steps; ++i) {
    stamp(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
  }
}

void drawFrame(const MouseState& mouse) {
  std::copy(canvas, canvas + frameWidth * frameHeight, frame);
  for (int i = 0; i < frameWidth * barHeight; ++i) frame[i] = 0x203040;
  char line[80];
  std::snprintf(line, sizeof line, "brush %d/%d  pointer %d,%d  (left: paint, wheel: brush)", brush + 1,
                brushCount, mouse.x, mouse.y);
  drawText(frame, frameWidth, frameHeight, 4, 2, line, 0xFFFFFF);
  if (asking) {
    const char* question = "quit? (y/n)";
    const TextSize size = measureText(question);
    const int x = (frameWidth - size.width) / 2, y = (frameHeight - size.height) / 2;
    for (int row = y - 6; row < y + size.height + 6; ++row) {
      for (int column = x - 8; column < x + size.width + 8; ++column) frame[row * frameWidth + column] = 0x203040;
    }
    drawText(frame, frameWidth, frameHeight, x, y, question, 0xFFFF00);
  } else {  // the brush itself at the pointer, as it would paint
    blitRect(sheet, brushCount * brushSize, brush * brushSize, 0, brushSize, brushSize, mouse.x - brushSize / 2,
             mouse.y - brushSize / 2, brushSize, brushSize, frame, blitKeyed, black);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  archivePath = "paint.pak";
  displaySettings.frameWidth = frameWidth;  // before initDisplay
  displaySettings.frameHeight = frameHeight;
  displaySettings.showPointer = 1;

  DisplayContext display("Kestrix paint");
  display.createWindow(instance);
  mainWindow = display.window;
  // A back buffer of the frame's aspect; DirectDraw takes a mode of the frame's size.
  if (display.initDisplay(backendDirect3D, 960, 540) == -1) display.initDisplay(backendDirectDraw, 480, 270);

  loadPcx(sheetName, sheet, sizeof sheet, nullptr);  // a missing or larger sheet ends the program
  click.loadStreamResource(soundName, display.window);
  std::fill(canvas, canvas + frameWidth * frameHeight, paper);
  messageHook = onMessage;

  MSG message{};
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (displaySettings.active == 0) {
      WaitMessage();
    } else {
      const MouseState mouse = readMouse();  // held down: a stroke from the last position
      if (!asking && (mouse.buttons & 1)) paintStroke(last.x, last.y, mouse.x, mouse.y);
      last = mouse;
      drawFrame(mouse);
      display.presentFrame(frame);
    }
  }
  click.freeAll();
  return static_cast<int>(message.wParam);
}
