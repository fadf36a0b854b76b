// kestrix-testcard: shows a test card through the display library as the game would, on
// Direct3D 8 or, when that fails, DirectDraw, so a person can see each path. The layer's
// settings pick the path (see the README):
//
//   kestrix-testcard [seconds]
//
// Runs until Escape or the window closes, or for the seconds given. Prints the path taken.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display/display.h"
#include "display/fatal_error.h"
#include "tools/common/tool_output.h"

namespace {

constexpr int width = 320;
constexpr int height = 240;

// Colour bars, a grey ramp, red, green and blue ramps, one-pixel stripes, a white border,
// and a marker that walks along the bottom so a still picture is told from a live one.
void drawCard(std::vector<std::uint32_t>& frame, int tick) {
  static const std::uint32_t bars[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                        0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = 0;
      const auto level = static_cast<std::uint32_t>(x * 255 / (width - 1));
      if (y < 120) {
        p = bars[x * 8 / width];
      } else if (y < 140) {
        p = level * 0x010101;
      } else if (y < 160) {
        p = level << 16;
      } else if (y < 180) {
        p = level << 8;
      } else if (y < 200) {
        p = level;
      } else if (y < 220) {
        p = x < width / 2 ? ((x & 1) != 0 ? 0xFFFFFF : 0) : ((y & 1) != 0 ? 0xFFFFFF : 0);
      } else {
        p = (x / 8) == (tick / 4) % (width / 8) ? 0xFF8000 : 0x202020;
      }
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) p = 0xFFFFFF;
      frame[static_cast<std::size_t>(y) * width + x] = p;
    }
  }
}

void describePath() {
  char line[96];
  if (displaySettings.backend == backendDirect3D) {
    std::snprintf(line, sizeof line, "Direct3D 8: %dx%d back buffer\n", displaySettings.deviceWidth,
                  displaySettings.deviceHeight);
  } else {
    std::snprintf(line, sizeof line, "DirectDraw: %dx%d at %d bits%s\n", displaySettings.frameWidth,
                  displaySettings.frameHeight, displaySettings.displayDepth,
                  displaySettings.displayDepth == 16 ? (displaySettings.green6Bit != 0 ? " (5-6-5)" : " (5-5-5)") : "");
  }
  writeStandardOutput(line);
  std::fflush(stdout);  // seen at once by whoever waits for it
}

int showCard(double seconds) {

  DisplayContext context("Kestrix test card");
  context.createWindow(GetModuleHandleA(nullptr));
  if (context.initDisplay(backendDirect3D, 800, 600) == -1) context.initDisplay(backendDirectDraw, width, height);
  describePath();

  std::vector<std::uint32_t> frame(width * height);
  const auto start = std::chrono::steady_clock::now();
  int tick = 0;
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    if (seconds > 0.0 && std::chrono::steady_clock::now() - start > std::chrono::duration<double>(seconds)) {
      DestroyWindow(context.window);
      continue;
    }
    if (displaySettings.active == 0) {
      WaitMessage();
      continue;
    }
    drawCard(frame, tick++);
    context.presentFrame(frame.data());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fatalErrorReporter = reportFatalErrorOnStandardError;  // a tool: no box, even with a display
  fatalErrorProgramName = "kestrix-testcard";
  return toolMain("kestrix-testcard", [&] {
    if (argc > 2 || (argc == 2 && std::strtod(argv[1], nullptr) <= 0.0)) {
      return showUsage("usage: kestrix-testcard [seconds]\n", asksForHelp(argc, argv));
    }
    return showCard(argc == 2 ? std::strtod(argv[1], nullptr) : 0.0);
  });
}
