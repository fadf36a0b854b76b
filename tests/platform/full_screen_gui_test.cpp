// The window layer on bare Xvfb servers: a display that refuses at first is asked again; a take-over fills the screen.
#include <d3d8.h>
#include <ddraw.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <string>

#include "tests/support/layer_window.h"
#include "tests/support/run_tool.h"

namespace {

// Whether the window of this title reaches the size "WxH" on the X server within five seconds.
bool reachesSize(const std::string& title, const std::string& size) {
  return testsupport::pumpUntil(
      [&] {
        return runShell("xdotool search --name '^" + title + "$' getwindowgeometry | grep -q 'Geometry: " + size + "$'")
                   .status == 0;
      },
      5);
}

TEST(DisplayOnBareX, AScreenThatAnswersLateIsWaitedFor) {
  // A second X server, started a moment after the program that wants it.
  int number = 90 + static_cast<int>(getpid() % 100);
  while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0) ++number;
  const std::string display = ":" + std::to_string(number);
  const ToolRun probe = runShell("(sleep 0.3; exec Xvfb " + display + " -screen 0 640x480x24 -nolisten tcp)" +
                                 " >/dev/null 2>&1 & server=$!; DISPLAY=" + display + " '" KESTRIX_SCREEN_SIZE_PROBE +
                                 "' 2>/dev/null; kill $server; wait $server");
  EXPECT_EQ(probe.output, "640x480\n");
}

TEST(FullScreenOnBareX, TakingAWindowOverMakesItCoverTheScreen) {
  // One pixel high, as a window made while the screen's size could not be read.
  HWND window = testsupport::makeLayerWindow("Take-over by DirectDraw", 1024, 1);
  ASSERT_NE(window, nullptr);
  IDirectDraw7* directDraw = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_TRUE(reachesSize("Take-over by DirectDraw", "1024x768"));
  directDraw->Release();
  DestroyWindow(window);

  window = testsupport::makeLayerWindow("Take-over by Direct3D", 320, 240);
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(direct3D, nullptr);
  IDirect3DDevice8* device = testsupport::makeDevice(direct3D, window, 800, 600);
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(reachesSize("Take-over by Direct3D", "1024x768"));
  device->Release();
  direct3D->Release();
  DestroyWindow(window);
}

}  // namespace
