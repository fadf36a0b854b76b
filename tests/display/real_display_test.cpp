// The display set up and presenting through the real layer on SDL's dummy video driver: at
// each DirectDraw depth a frame with every bit pattern, read back from the layer's screen,
// shows as the mode's pixel format holds it (Direct3D's picture is the end-to-end tests');
// on every path the release leaves no layer object behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "display/display.h"
#include "platform/directx/live_objects.h"
#include "platform/directx/screen_capture.h"
#include "tests/e2e/expected_screen.h"
#include "tests/support/headless_video.h"
#include "tests/support/message_pump.h"

namespace {

namespace dx = platform::directx;

// Noise with every bit pattern, and a white block and a black one (the 8-bit palette's ends).
expected::Frame testFrame() {
  expected::Frame frame(expected::width * expected::height);
  std::uint32_t state = 1;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const std::size_t x = i % expected::width;
    const bool block = i / expected::width >= 40 && i / expected::width < 80 && x < 80;
    frame[i] = block ? (x < 40 ? 0xFFFFFF : 0) : state >> 8;
  }
  return frame;
}

struct Case {
  const char* name;
  const char* depths;  // what the display accepts
  bool rgb555;
  int depth;  // the depth the set-up must end at; 0: Direct3D
};

class DisplayPath : public ::testing::TestWithParam<Case> {
 protected:
  void TearDown() override {
    // The program's order: the window goes, its messages are handled, then the display object.
    if (context != nullptr) DestroyWindow(context->window);
    testsupport::pumpMessages();
    context.reset();
    dx::setScreenCapture(false);
    EXPECT_EQ(dx::liveObjects(), 0) << "the release left layer objects behind";
  }
  std::unique_ptr<DisplayContext> context;
};

TEST_P(DisplayPath, ShowsTheFrameAsTheModeHoldsItAndReleasesEverything) {
  const Case& c = GetParam();
  setenv("KESTRIX_DISPLAY_DEPTHS", c.depths, 1);
  setenv("KESTRIX_16BIT", c.rgb555 ? "555" : "565", 1);
  displaySettings = DisplaySettings{};
  context = std::make_unique<DisplayContext>((std::string("Kestrix real display ") + c.name).c_str());
  context->createWindow(GetModuleHandleA(nullptr));
  if (c.depth == 0) {
    ASSERT_EQ(context->initDisplay(backendDirect3D, 800, 600), 0);
  } else {
    ASSERT_EQ(context->initDisplay(backendDirectDraw, expected::width, expected::height), 0);
    ASSERT_EQ(displaySettings.displayDepth, c.depth);
  }
  dx::setScreenCapture(true);
  const expected::Frame frame = testFrame();
  context->presentFrame(frame.data());
  const dx::ScreenImage& screen = dx::capturedScreen();
  ASSERT_EQ(screen.presents, 1);
  if (c.depth == 0) return;
  const expected::Frame shown = expected::screenAt(frame, c.depth, c.rgb555);
  EXPECT_TRUE(screen.pixels == shown) << "the screen is not the frame as the mode holds it";
}

INSTANTIATE_TEST_SUITE_P(Paths, DisplayPath,
                         ::testing::Values(Case{"Direct3D", "32", false, 0}, Case{"Rgb565", "16", false, 16},
                                           Case{"Rgb24", "24,16,8", false, 24},  // 32 refused: the next
                                           Case{"Rgb32", "32,24,16,8", false, 32}, Case{"Rgb555", "16,8", true, 16},
                                           Case{"Palette332", "8", false, 8}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
