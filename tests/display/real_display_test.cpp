// The display set up and presenting through the real layer on SDL's dummy video driver: at
// each DirectDraw depth a frame with every bit pattern, read back from the layer's screen,
// shows as the mode's pixel format holds it; on Direct3D each block of the frame fills its
// place on the back buffer (the filtered picture is the end-to-end tests'); a frame of
// another size, in full screen and in the development window, which takes the frame's size
// times its scale as the screen; on every path the release leaves no layer object behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "display/display.h"
#include "platform/directx/live_objects.h"
#include "platform/directx/screen_capture.h"
#include "tests/e2e/expected_screen.h"
#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace {

namespace dx = platform::directx;

constexpr int block = 4;  // Direct3D's frame: blocks of one colour, whole under the filter

// Noise with every bit pattern (per pixel, or per block on Direct3D), and a white block and
// a black one (the 8-bit palette's ends).
expected::Frame testFrame(int width, int height, bool blocks) {
  expected::Frame frame(static_cast<std::size_t>(width) * height);
  std::uint32_t state = 1;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
    const bool solid = y >= 40 && y < 80 && x < 80;
    const int cell = blocks ? block : 1;  // a block's first pixel comes before the rest of it
    const bool first = x % cell == 0 && y % cell == 0;
    frame[i] = solid ? (x < 40 ? 0xFFFFFF : 0) : first ? state >> 8 : frame[(y - y % cell) * width + x - x % cell];
  }
  return frame;
}

struct Case {
  const char* name;
  const char* depths;  // what the display accepts
  bool rgb555;
  int depth;  // the depth the set-up must end at; 0: Direct3D
  int width = expected::width, height = expected::height;
  int window = 0;  // KESTRIX_WINDOW's scale; 0: full screen
};

class DisplayPath : public ::testing::TestWithParam<Case> {
 protected:
  void TearDown() override {
    // The program's order: the window goes, its messages are handled, then the display object.
    if (context != nullptr) DestroyWindow(context->window);
    testsupport::pumpMessages();
    context.reset();
    dx::setScreenCapture(false);
    unsetenv("KESTRIX_WINDOW");
    EXPECT_EQ(dx::liveObjects(), 0) << "the release left layer objects behind";
  }
  std::unique_ptr<DisplayContext> context;
};

TEST_P(DisplayPath, ShowsTheFrameAsTheModeHoldsItAndReleasesEverything) {
  const Case& c = GetParam();
  setenv("KESTRIX_DISPLAY_DEPTHS", c.depths, 1);
  setenv("KESTRIX_16BIT", c.rgb555 ? "555" : "565", 1);
  if (c.window != 0) setenv("KESTRIX_WINDOW", std::to_string(c.window).c_str(), 1);
  displaySettings = DisplaySettings{};
  displaySettings.frameWidth = c.width;
  displaySettings.frameHeight = c.height;
  context = std::make_unique<DisplayContext>((std::string("Kestrix real display ") + c.name).c_str());
  context->createWindow(GetModuleHandleA(nullptr));
  if (c.depth == 0) {
    ASSERT_EQ(context->initDisplay(backendDirect3D, 800, 600), 0);
  } else {
    ASSERT_EQ(context->initDisplay(backendDirectDraw, c.width, c.height), 0);
    ASSERT_EQ(displaySettings.displayDepth, c.depth);
  }
  dx::setScreenCapture(true);
  const expected::Frame frame = testFrame(c.width, c.height, c.depth == 0);
  context->presentFrame(frame.data());
  const dx::ScreenImage& screen = dx::capturedScreen();
  ASSERT_EQ(screen.presents, 1);
  if (c.window != 0) {
    RECT window{};
    ASSERT_TRUE(GetWindowRect(context->window, &window));
    EXPECT_EQ(std::pair(window.right - window.left, window.bottom - window.top), std::pair(c.width * 2, c.height * 2));
    EXPECT_EQ(std::pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
              std::pair(c.width * 2, c.height * 2)) << "the screen the program is told of is not the window";
  }
  if (c.depth != 0) {
    EXPECT_TRUE(screen.pixels == expected::screenAt(frame, c.depth, c.rgb555, c.width, c.height))
        << "the screen is not the frame as the mode holds it";
    return;
  }
  // The back buffer's pixel at the middle of each block of the frame has the block's colour.
  int wrong = 0;
  for (int y = block / 2; y < c.height; y += block) {
    for (int x = block / 2; x < c.width; x += block) {
      const int bx = x * screen.width / c.width, by = y * screen.height / c.height;
      wrong += screen.pixels[static_cast<std::size_t>(by) * screen.width + bx] != frame[y * c.width + x];
    }
  }
  EXPECT_EQ(wrong, 0) << "blocks of the frame not where the back buffer shows them";
}

INSTANTIATE_TEST_SUITE_P(Paths, DisplayPath,
                         ::testing::Values(Case{"Direct3D", "32", false, 0}, Case{"Rgb565", "16", false, 16},
                                           Case{"Rgb24", "24,16,8", false, 24},  // 32 refused: the next
                                           Case{"Rgb32", "32,24,16,8", false, 32}, Case{"Rgb555", "16,8", true, 16},
                                           Case{"Palette332", "8", false, 8},
                                           Case{"Direct3D_400x300", "32", false, 0, 400, 300},
                                           Case{"Rgb32_400x300", "32", false, 32, 400, 300},
                                           Case{"Palette332_400x300", "8", false, 8, 400, 300},
                                           Case{"Direct3DWindow_400x300", "32", false, 0, 400, 300, 2},
                                           Case{"Rgb32Window_400x300", "32", false, 32, 400, 300, 2}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
