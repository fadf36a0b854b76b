// The DirectDraw 7 layer on its own: copies of parts of surfaces and their refusals.
#include <ddraw.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <tuple>

#include "platform/directx/live_objects.h"
#include "tests/support/headless_video.h"
#include "tests/support/layer_window.h"

namespace {

TEST(DirectDrawLayer, BltFastCopiesTheRectangleAndRefusesWhatItCannot) {
  testsupport::clearLayerSettings();
  const HWND window = testsupport::makeLayerWindow();
  IDirectDraw7* directDraw = nullptr;  // its release takes every surface with it
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(directDraw->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);
  DDSURFACEDESC2 wanted{};
  wanted.dwSize = sizeof wanted;
  wanted.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  wanted.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7 *source = nullptr, *target = nullptr;
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof locked;
  for (auto [surface, width, height] : {std::tuple{&source, 64, 32}, std::tuple{&target, 320, 240}}) {
    wanted.dwWidth = width;
    wanted.dwHeight = height;
    ASSERT_EQ(directDraw->CreateSurface(&wanted, surface, nullptr), DD_OK);
    ASSERT_EQ((*surface)->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (int y = 0; y < height; ++y) {  // the source's rows hold their number + 1; the target is 0xEE
      std::memset(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch, surface == &target ? 0xEE : y + 1,
                  static_cast<std::size_t>(locked.lPitch));
    }
    (*surface)->Unlock(nullptr);
  }
  RECT from{4, 2, 14, 7};  // 10 × 5 pixels
  ASSERT_EQ(target->BltFast(100, 50, source, &from, DDBLTFAST_NOCOLORKEY), DD_OK);
  ASSERT_EQ(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  const auto* bytes = static_cast<const std::uint8_t*>(locked.lpSurface);
  for (int y = 48; y < 58; ++y) {
    for (int x = 196; x < 224; ++x) {  // bytes: two a pixel
      const bool copied = y >= 50 && y < 55 && x >= 200 && x < 220;
      ASSERT_EQ(bytes[y * locked.lPitch + x], copied ? y - 50 + 3 : 0xEE) << x << ", " << y;
    }
  }
  target->Unlock(nullptr);

  RECT outside{60, 0, 65, 5}, empty{5, 5, 5, 9};
  for (RECT* bad : {&outside, &empty}) EXPECT_EQ(target->BltFast(0, 0, source, bad, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(target->BltFast(312, 0, source, &from, 0), DDERR_INVALIDRECT);  // 2 pixels past the right edge
  EXPECT_EQ(target->BltFast(0, 0, source, &from, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  ASSERT_EQ(source->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(target->BltFast(0, 0, source, &from, 0), DDERR_SURFACEBUSY);
  source->Unlock(nullptr);

  directDraw->Release();
  EXPECT_EQ(platform::directx::liveObjects(), 0) << "releasing DirectDraw left objects behind";
  DestroyWindow(window);
  testsupport::pumpMessages();
}

}  // namespace
