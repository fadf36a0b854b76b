// The display through the real layer on SDL's dummy driver: the frame as each DirectDraw mode
// holds it, a development window at its scale, no layer object left after the release.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>

#include "display/display.h"
#include "platform/directx/live_objects.h"
#include "platform/directx/screen_capture.h"
#include "platform/win32/development_window.h"
#include "tests/e2e/expected_screen.h"
#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace {

namespace dx = platform::directx;

// Noise with every bit pattern, and a white block and a black one (the 8-bit palette's ends).
expected::Frame testFrame(int width, int height) {
  expected::Frame frame(static_cast<std::size_t>(width) * height);
  std::uint32_t state = 1;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const std::size_t x = i % width;
    const bool block = i / width >= 40 && i / width < 80 && x < 80;
    frame[i] = block ? (x < 40 ? 0xFFFFFF : 0) : state >> 8;
  }
  return frame;
}

struct Case {
  const char *name, *depths;  // depths: what the display accepts
  bool rgb555; int depth;  // the depth the set-up must end at; 0: Direct3D
  int width = expected::width, height = expected::height, window = 0;  // window: KESTRIX_WINDOW's scale
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
    platform::setWindowedFrame(320, 240);  // as at the start of a process
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
  const expected::Frame frame = testFrame(c.width, c.height);
  context->presentFrame(frame.data());
  const dx::ScreenImage& screen = dx::capturedScreen();
  ASSERT_EQ(screen.presents, 1);
  RECT window{};
  if (c.window != 0 && GetWindowRect(context->window, &window)) {
    EXPECT_EQ(std::tuple(window.right - window.left, window.bottom - window.top, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN)), std::tuple(c.width * 2, c.height * 2, c.width * 2, c.height * 2));
  }
  if (c.depth == 0) return;
  const expected::Frame shown = expected::screenAt(frame, c.depth, c.rgb555, c.width, c.height);
  EXPECT_TRUE(screen.pixels == shown) << "the screen is not the frame as the mode holds it";
}

INSTANTIATE_TEST_SUITE_P(Paths, DisplayPath,
                         ::testing::Values(Case{"Direct3D", "32", false, 0}, Case{"Rgb565", "16", false, 16},
                                           Case{"Rgb24", "24,16,8", false, 24},  // 32 refused: the next
                                           Case{"Rgb32", "32,24,16,8", false, 32}, Case{"Rgb555", "16,8", true, 16},
                                           Case{"Palette332", "8", false, 8},
                                           Case{"Palette332_400x300", "8", false, 8, 400, 300},
                                           Case{"Direct3DWindow_400x300", "32", false, 0, 400, 300, 2},
                                           Case{"Rgb32Window_400x300", "32", false, 32, 400, 300, 2}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
