// The display set-up and presentation through the real DirectDraw and Direct3D layer, on
// SDL's dummy video driver with its software renderer: each frame is read back from the
// layer's screen and compared with what the frame must look like there.
#include <ddraw.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "display/convert.h"
#include "display/display.h"
#include "platform/directx/live_objects.h"
#include "platform/directx/screen_capture.h"
#include "platform/testing/synthetic_events.h"
#include "tests/support/bmp_image.h"
#include "tests/support/headless_video.h"

namespace {

namespace dx = platform::directx;

const bool softwareRenderer = (setenv("SDL_RENDER_DRIVER", "software", 1), true);

constexpr int frameWidth = 320;
constexpr int frameHeight = 240;
constexpr const char* layerSettings[] = {"KESTRIX_DIRECT3D", "KESTRIX_DISPLAY_DEPTHS", "KESTRIX_16BIT",
                                         "KESTRIX_VIDEO_MEMORY"};

using Frame = std::vector<std::uint32_t>;

// Noise with every bit pattern, a white block (the 8-bit palette's top entry) and a
// black one, and smooth gradients that the 8-bit dithering spreads.
Frame testFrame(std::uint32_t seed = 1) {
  Frame frame(frameWidth * frameHeight);
  std::uint32_t state = seed;
  for (int y = 0; y < frameHeight; ++y) {
    for (int x = 0; x < frameWidth; ++x) {
      std::uint32_t& p = frame[static_cast<std::size_t>(y) * frameWidth + x];
      state = state * 1664525u + 1013904223u;
      if (y < 40) {
        p = state >> 8;
      } else if (y < 80 && x < 40) {
        p = 0x00FFFFFF;
      } else if (y < 80 && x < 80) {
        p = 0;
      } else {
        p = static_cast<std::uint32_t>(x * 255 / (frameWidth - 1)) << 16 |
            static_cast<std::uint32_t>(y * 255 / (frameHeight - 1)) << 8 | static_cast<std::uint32_t>((x + y) & 0xFF);
      }
    }
  }
  return frame;
}

std::uint32_t widen5(std::uint32_t v) { return v << 3 | v >> 2; }
std::uint32_t widen6(std::uint32_t v) { return v << 2 | v >> 4; }

// The frame as the screen shows it at a DirectDraw depth.
Frame expectedScreen(const Frame& frame, int depth, bool rgb555) {
  Frame screen(frame.size());
  if (depth == 8) {
    std::vector<std::uint8_t> indices(frame.size());
    ditherTo332(frame.data(), indices.data(), frameWidth, frameWidth, frameHeight);
    for (std::size_t i = 0; i < frame.size(); ++i) {
      const std::uint32_t n = indices[i];
      // The 3-3-2 palette, but for the two entries DirectDraw keeps black and white.
      screen[i] = n == 255 ? 0xFFFFFF : (n & 0xE0) << 16 | ((n & 0x1C) << 3) << 8 | (n & 0x03) << 6;
    }
    return screen;
  }
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const std::uint32_t r = frame[i] >> 16 & 0xFF, g = frame[i] >> 8 & 0xFF, b = frame[i] & 0xFF;
    if (depth == 16 && rgb555) {
      screen[i] = widen5(r >> 3) << 16 | widen5(g >> 3) << 8 | widen5(b >> 3);
    } else if (depth == 16) {
      screen[i] = widen5(r >> 3) << 16 | widen6(g >> 2) << 8 | widen5(b >> 3);
    } else {
      screen[i] = frame[i] & 0x00FFFFFF;
    }
  }
  return screen;
}

// Flat 8×8 cells, each a colour of its own, for the filtered and scaled Direct3D quad.
std::uint32_t cellColour(int column, int row) {
  return static_cast<std::uint32_t>(column * 6 + 10) << 16 | static_cast<std::uint32_t>(row * 8 + 5) << 8 |
         static_cast<std::uint32_t>((column * 7 + row * 13) & 0xFF);
}

Frame cellFrame() {
  Frame frame(frameWidth * frameHeight);
  for (int y = 0; y < frameHeight; ++y) {
    for (int x = 0; x < frameWidth; ++x) frame[static_cast<std::size_t>(y) * frameWidth + x] = cellColour(x / 8, y / 8);
  }
  return frame;
}

int channelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift : {0, 8, 16}) {
    worst = std::max(worst, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
  }
  return worst;
}

class RealDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : layerSettings) unsetenv(name);
    displaySettings = DisplaySettings{};
    dx::setScreenCapture(true);
  }

  void TearDown() override {
    closeAsTheProgramDoes();
    dx::setScreenCapture(false);
    for (const char* name : layerSettings) unsetenv(name);
    EXPECT_EQ(dx::liveObjects(), 0) << "the release left layer objects behind";
  }

  DisplayContext& open() {
    static int count = 0;
    context = std::make_unique<DisplayContext>(("Kestrix real display " + std::to_string(++count)).c_str());
    context->createWindow(GetModuleHandleA(nullptr));
    return *context;
  }

  // The program's order: the window goes (WM_DESTROY), the loop ends, then the display object.
  void closeAsTheProgramDoes() {
    if (context == nullptr) return;
    DestroyWindow(context->window);
    pump();
    context.reset();
  }

  static void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }

  // Opens DirectDraw as the program does after Direct3D failed.
  DisplayContext& openDirectDraw() {
    DisplayContext& display = open();
    EXPECT_EQ(display.initDisplay(backendDirectDraw, frameWidth, frameHeight), 0);
    return display;
  }

  void expectScreen(const Frame& expected) {
    const dx::ScreenImage& screen = dx::capturedScreen();
    ASSERT_EQ(screen.width, frameWidth);
    ASSERT_EQ(screen.height, frameHeight);
    int wrong = 0;
    for (std::size_t i = 0; i < expected.size() && wrong < 5; ++i) {
      if (screen.pixels[i] != expected[i]) {
        ++wrong;
        ADD_FAILURE() << "pixel (" << i % frameWidth << ", " << i / frameWidth << ") shows " << std::hex
                      << screen.pixels[i] << ", not " << expected[i];
      }
    }
  }

  std::unique_ptr<DisplayContext> context;
};

// --- DirectDraw ---------------------------------------------------------------------------

struct DepthCase {
  const char* name;
  const char* depths;  // what the display accepts
  const char* format16;
  int depth;  // the depth the set-up must end at
  int green6Bit;
};

class DirectDrawDepth : public RealDisplay, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DirectDrawDepth, ShowsTheFrameExactlyAsTheModeHoldsIt) {
  const DepthCase& c = GetParam();
  setenv("KESTRIX_DISPLAY_DEPTHS", c.depths, 1);
  if (c.format16 != nullptr) setenv("KESTRIX_16BIT", c.format16, 1);
  DisplayContext& display = openDirectDraw();
  EXPECT_EQ(displaySettings.displayDepth, c.depth);
  EXPECT_EQ(displaySettings.green6Bit, c.green6Bit);
  EXPECT_TRUE(displaySettings.active) << "the take-over activates the window";
  dx::setScreenCapture(true);  // from here on: only the frames' flips

  const Frame first = testFrame(1);
  display.presentFrame(first.data());
  EXPECT_EQ(dx::capturedScreen().presents, 1);
  expectScreen(expectedScreen(first, c.depth, c.green6Bit == 0));

  const Frame second = testFrame(2);  // the flipped-away buffer is drawn into next
  display.presentFrame(second.data());
  EXPECT_EQ(dx::capturedScreen().presents, 2);
  expectScreen(expectedScreen(second, c.depth, c.green6Bit == 0));
}

INSTANTIATE_TEST_SUITE_P(Depths, DirectDrawDepth,
                         ::testing::Values(DepthCase{"Rgb32", "32,24,16,8", nullptr, 32, 1},
                                           DepthCase{"Rgb24", "24,16,8", nullptr, 24, 1},  // 32 refused: the next
                                           DepthCase{"Rgb565", "16", nullptr, 16, 1},
                                           DepthCase{"Rgb555", "16,8", "555", 16, 0},
                                           DepthCase{"Palette332", "8", nullptr, 8, 1}),
                         [](const ::testing::TestParamInfo<DepthCase>& test) { return std::string(test.param.name); });

TEST_F(RealDisplay, OffscreenSurfaceFallsBackToSystemMemory) {
  setenv("KESTRIX_VIDEO_MEMORY", "0", 1);
  setenv("KESTRIX_DISPLAY_DEPTHS", "24", 1);
  DisplayContext& display = openDirectDraw();
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof description;
  ASSERT_EQ(display.offscreenSurface->GetSurfaceDesc(&description), DD_OK);
  EXPECT_EQ(description.ddsCaps.dwCaps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY), DWORD{DDSCAPS_SYSTEMMEMORY});
  EXPECT_GT(description.lPitch, frameWidth * 3);  // the conversion must keep to the pitch

  const Frame frame = testFrame(3);
  display.presentFrame(frame.data());
  expectScreen(expectedScreen(frame, 24, false));
}

TEST_F(RealDisplay, NoDepthAcceptedEndsWithTheSetUpMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  setenv("KESTRIX_DISPLAY_DEPTHS", "none", 1);
  EXPECT_EXIT(openDirectDraw(), ::testing::ExitedWithCode(1), "SetDisplayMode FAILED");
}

TEST_F(RealDisplay, DirectDrawFillsTheScreenByAWholeFactorWithBlackBorders) {
  setenv("KESTRIX_DISPLAY_DEPTHS", "32", 1);
  DisplayContext& display = openDirectDraw();
  const Frame frame = testFrame(4);

  // SDL's dummy driver saves the window as it would be on the screen.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kestrix-frames-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  setenv("SDL_VIDEO_DUMMY_SAVE_FRAMES", "1", 1);
  display.presentFrame(frame.data());
  unsetenv("SDL_VIDEO_DUMMY_SAVE_FRAMES");
  std::filesystem::current_path(previous);
  std::vector<std::filesystem::path> saved;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) saved.push_back(entry.path());
  ASSERT_EQ(saved.size(), 1u);
  testsupport::BmpImage window;
  const bool read = testsupport::readBmp(saved[0].string(), window);
  std::filesystem::remove_all(folder);
  ASSERT_TRUE(read);

  // The dummy screen is 1024×768: three times 320×240 fits, centred at (32, 24).
  ASSERT_EQ(window.width, 1024);
  ASSERT_EQ(window.height, 768);
  for (int y = 0; y < 768; y += 7) {
    for (int x = 0; x < 1024; x += 5) {
      const bool inside = x >= 32 && x < 992 && y >= 24 && y < 744;
      const std::uint32_t expected =
          inside ? frame[static_cast<std::size_t>((y - 24) / 3) * frameWidth + (x - 32) / 3] & 0xFFFFFF : 0;
      ASSERT_EQ(window.at(x, y), expected) << "at (" << x << ", " << y << ")";
    }
  }
}

TEST_F(RealDisplay, MinimisingLosesTheSurfacesAndFramesComeBackAfterRestore) {
  setenv("KESTRIX_DISPLAY_DEPTHS", "16", 1);
  DisplayContext& display = openDirectDraw();
  const Frame before = testFrame(5);
  display.presentFrame(before.data());
  ASSERT_EQ(dx::capturedScreen().presents, 1);

  ASSERT_TRUE(synthetic::pushWindowEvent(display.window, synthetic::WindowEvent::minimized));
  pump();
  EXPECT_FALSE(displaySettings.active);
  EXPECT_EQ(display.primarySurface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(display.offscreenSurface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(display.primarySurface->Restore(), DDERR_WRONGMODE) << "nothing comes back while minimised";

  const Frame after = testFrame(6);
  display.presentFrame(after.data());  // the lock finds the surface lost; restoring fails
  EXPECT_EQ(dx::capturedScreen().presents, 1);
  EXPECT_EQ(display.offscreenSurface->IsLost(), DDERR_SURFACELOST);

  ASSERT_TRUE(synthetic::pushWindowEvent(display.window, synthetic::WindowEvent::restored));
  pump();
  EXPECT_TRUE(displaySettings.active);
  display.presentFrame(after.data());  // this frame restores the surfaces and is dropped
  EXPECT_EQ(dx::capturedScreen().presents, 1);
  EXPECT_EQ(display.primarySurface->IsLost(), DD_OK);
  EXPECT_EQ(display.offscreenSurface->IsLost(), DD_OK);

  display.presentFrame(after.data());
  EXPECT_EQ(dx::capturedScreen().presents, 2);
  expectScreen(expectedScreen(after, 16, false));
}

// The program restores the surfaces before it releases DirectDraw, after its window is gone.
// A window closed while minimised must not leave them unrestorable, or nothing is released.
TEST_F(RealDisplay, ClosedWhileMinimisedItStillReleasesEverything) {
  setenv("KESTRIX_DISPLAY_DEPTHS", "16", 1);
  DisplayContext& display = openDirectDraw();
  const Frame frame = testFrame(9);
  display.presentFrame(frame.data());
  ASSERT_TRUE(synthetic::pushWindowEvent(display.window, synthetic::WindowEvent::minimized));
  pump();
  ASSERT_EQ(display.primarySurface->IsLost(), DDERR_SURFACELOST);
  closeAsTheProgramDoes();
  EXPECT_EQ(dx::liveObjects(), 0);
}

TEST_F(RealDisplay, ReleasedBeforeItsWindowLeavesNothingEither) {
  setenv("KESTRIX_DISPLAY_DEPTHS", "8", 1);
  DisplayContext& display = openDirectDraw();
  const HWND window = display.window;
  const Frame frame = testFrame(7);
  display.presentFrame(frame.data());
  context.reset();
  EXPECT_EQ(dx::liveObjects(), 0);
  DestroyWindow(window);
  pump();
}

// --- Direct3D -----------------------------------------------------------------------------

// Where the centre of frame pixel (x, y) lands on the 800×600 back buffer: the quad's edges
// are at ±cot(π/8) / 2.4 in normalised device coordinates.
void backBufferPosition(double x, double y, int& bx, int& by) {
  const double edge = 1.0 / std::tan(M_PI / 8.0) / 2.4;
  const double ndcX = -edge + 2.0 * edge * x / frameWidth;
  const double ndcY = edge - 2.0 * edge * y / frameHeight;
  bx = static_cast<int>(std::floor((ndcX + 1.0) * 400.0));
  by = static_cast<int>(std::floor((1.0 - ndcY) * 300.0));
}

TEST_F(RealDisplay, Direct3DDrawsTheFrameUprightOverTheWholeBackBuffer) {
  DisplayContext& display = open();
  ASSERT_EQ(display.initDisplay(backendDirect3D, 800, 600), 0);
  EXPECT_TRUE(displaySettings.active) << "the take-over activates the window";

  const Frame frame = cellFrame();
  display.presentFrame(frame.data());
  const dx::ScreenImage& screen = dx::capturedScreen();
  ASSERT_EQ(screen.presents, 1);
  ASSERT_EQ(screen.width, 800);
  ASSERT_EQ(screen.height, 600);
  for (int row = 0; row < frameHeight / 8; ++row) {
    for (int column = 0; column < frameWidth / 8; ++column) {
      int x = 0;
      int y = 0;
      backBufferPosition(column * 8 + 4, row * 8 + 4, x, y);
      const std::uint32_t shown = screen.pixels[static_cast<std::size_t>(y) * 800 + x];
      ASSERT_LE(channelDistance(shown, cellColour(column, row)), 1)
          << "cell (" << column << ", " << row << ") shows " << std::hex << shown;
    }
  }
  // The frame's first and last pixels reach the back buffer's corners.
  EXPECT_LE(channelDistance(screen.pixels.front(), cellColour(0, 0)), 1);
  EXPECT_LE(channelDistance(screen.pixels.back(), cellColour(39, 29)), 1);
}

TEST_F(RealDisplay, Direct3DUnavailableFallsBackToDirectDraw) {
  setenv("KESTRIX_DIRECT3D", "0", 1);
  DisplayContext& display = open();
  EXPECT_EQ(display.initDisplay(backendDirect3D, 800, 600), -1);
  EXPECT_EQ(display.direct3D, nullptr);
  ASSERT_EQ(display.initDisplay(backendDirectDraw, frameWidth, frameHeight), 0);
  EXPECT_EQ(displaySettings.displayDepth, 32);
  const Frame frame = testFrame(8);
  display.presentFrame(frame.data());
  expectScreen(expectedScreen(frame, 32, false));
}

TEST_F(RealDisplay, Direct3DFramesFollowEachOther) {
  DisplayContext& display = open();
  ASSERT_EQ(display.initDisplay(backendDirect3D, 800, 600), 0);
  Frame frame = cellFrame();
  display.presentFrame(frame.data());
  for (std::uint32_t& p : frame) p ^= 0x00FFFFFF;  // every colour turned round
  display.presentFrame(frame.data());
  const dx::ScreenImage& screen = dx::capturedScreen();
  ASSERT_EQ(screen.presents, 2);
  int x = 0;
  int y = 0;
  backBufferPosition(100, 100, x, y);
  EXPECT_LE(channelDistance(screen.pixels[static_cast<std::size_t>(y) * 800 + x], cellColour(12, 12) ^ 0xFFFFFF), 1);
}

}  // namespace
