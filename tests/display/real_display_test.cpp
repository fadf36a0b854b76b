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

constexpr const char* layerSettings[] = {"KESTRIX_DIRECT3D", "KESTRIX_DISPLAY_DEPTHS", "KESTRIX_16BIT"};

// Noise with every bit pattern, a white block (the 8-bit palette's top entry), a black one,
// and smooth gradients that the 8-bit dithering spreads.
expected::Frame testFrame() {
  expected::Frame frame(expected::width * expected::height);
  std::uint32_t state = 1;
  for (int y = 0; y < expected::height; ++y) {
    for (int x = 0; x < expected::width; ++x) {
      state = state * 1664525u + 1013904223u;
      std::uint32_t& p = frame[y * expected::width + x];
      if (y < 40) {
        p = state >> 8;
      } else if (y < 80 && x < 80) {
        p = x < 40 ? 0xFFFFFF : 0;
      } else {
        p = static_cast<std::uint32_t>(x * 255 / 319) << 16 | static_cast<std::uint32_t>(y * 255 / 239) << 8 |
            static_cast<std::uint32_t>((x + y) & 0xFF);
      }
    }
  }
  return frame;
}

struct DepthCase {
  const char* name;
  const char* depths;  // what the display accepts
  const char* format16;
  int depth;  // the depth the set-up must end at; 0: Direct3D
};

class DisplayPath : public ::testing::TestWithParam<DepthCase> {
 protected:
  void SetUp() override {
    for (const char* name : layerSettings) unsetenv(name);
    displaySettings = DisplaySettings{};
  }
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
  const DepthCase& c = GetParam();
  setenv("KESTRIX_DISPLAY_DEPTHS", c.depths, 1);
  if (c.format16 != nullptr) setenv("KESTRIX_16BIT", c.format16, 1);
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
  const expected::Frame shown = expected::screenAt(frame, c.depth, c.format16 != nullptr);
  ASSERT_EQ(screen.pixels.size(), shown.size());
  int wrong = 0;
  for (std::size_t i = 0; i < shown.size() && wrong < 5; ++i) {
    if (screen.pixels[i] == shown[i]) continue;
    ++wrong;
    ADD_FAILURE() << "pixel (" << i % expected::width << ", " << i / expected::width << ") shows " << std::hex
                  << screen.pixels[i] << ", not " << shown[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, DisplayPath,
                         ::testing::Values(DepthCase{"Direct3D", "32", nullptr, 0},
                                           DepthCase{"Rgb32", "32,24,16,8", nullptr, 32},
                                           DepthCase{"Rgb24", "24,16,8", nullptr, 24},  // 32 refused: the next
                                           DepthCase{"Rgb565", "16", nullptr, 16},
                                           DepthCase{"Rgb555", "16,8", "555", 16},
                                           DepthCase{"Palette332", "8", nullptr, 8}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
