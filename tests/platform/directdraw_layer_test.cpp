// The DirectDraw 7 layer on its own, for what the display library's tests through it do not
// reach: its refusals, locks and copies of parts, on SDL's dummy video driver.
#include <ddraw.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/directx/live_objects.h"
#include "tests/support/headless_video.h"
#include "tests/support/layer_window.h"

namespace {

DDSURFACEDESC2 description(DWORD flags = 0, DWORD caps = 0, DWORD width = 0, DWORD height = 0) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = flags;
  d.ddsCaps.dwCaps = caps;
  d.dwWidth = width;
  d.dwHeight = height;
  return d;
}

class DirectDrawLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearLayerSettings();
    window = testsupport::makeLayerWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  }
  void TearDown() override {
    directDraw->Release();  // it takes every surface with it
    EXPECT_EQ(platform::directx::liveObjects(), 0) << "releasing DirectDraw left objects behind";
    DestroyWindow(window);
    testsupport::pumpMessages();
    testsupport::clearLayerSettings();
  }

  // Exclusive mode at 320×240 and the depth, with a flipping chain.
  void openMode(DWORD depth) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(320, 240, depth, 0, 0), DD_OK);
    DDSURFACEDESC2 chain = description(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                       DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    chain.dwBackBufferCount = 1;
    ASSERT_EQ(directDraw->CreateSurface(&chain, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, {0}};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  }

  HWND window = nullptr;
  IDirectDraw7* directDraw = nullptr;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
};

TEST_F(DirectDrawLayer, ModesAreRefusedAsDirectDrawRefusesThem) {
  setenv("KESTRIX_DISPLAY_DEPTHS", "16", 1);  // read as the object is made
  directDraw->Release();
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(directDraw->SetDisplayMode(320, 240, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_MULTITHREADED), DD_OK);
  for (DWORD refused : {32u, 24u, 15u, 8u}) {
    EXPECT_EQ(directDraw->SetDisplayMode(320, 240, refused, 0, 0), DDERR_INVALIDMODE) << refused;
  }
  EXPECT_EQ(directDraw->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);

  IDirectDraw7* second = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&second), IID_IDirectDraw7, nullptr), DD_OK);
  EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_EXCLUSIVEMODEALREADYSET);
  second->Release();
  DDSURFACEDESC2 primaryAgain = description(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
  openMode(16);
  EXPECT_EQ(directDraw->CreateSurface(&primaryAgain, &primary, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_F(DirectDrawLayer, ASurfaceIsLockedOnceAndInPartsAtItsAlignedPitch) {
  openMode(24);
  DDSURFACEDESC2 wanted = description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 320, 240);
  IDirectDrawSurface7* surface = nullptr;
  ASSERT_EQ(directDraw->CreateSurface(&wanted, &surface, nullptr), DD_OK);
  DDSURFACEDESC2 locked = description();
  ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(locked.lPitch, 1024);  // 960 bytes of row, rounded up to 256
  EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
  EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT part{10, 20, 30, 40};
  DDSURFACEDESC2 partial = description();
  ASSERT_EQ(surface->Lock(&part, &partial, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(partial.lpSurface) - static_cast<std::uint8_t*>(locked.lpSurface),
            20 * 1024 + 10 * 3);
  surface->Unlock(nullptr);
  EXPECT_EQ(surface->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
}

TEST_F(DirectDrawLayer, BltFastCopiesTheRectangleAndRefusesWhatItCannot) {
  openMode(16);
  DDSURFACEDESC2 wanted = description(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 64, 32);
  IDirectDrawSurface7* source = nullptr;
  ASSERT_EQ(directDraw->CreateSurface(&wanted, &source, nullptr), DD_OK);
  for (IDirectDrawSurface7* surface : {source, back}) {  // the source's rows hold their number + 1
    DDSURFACEDESC2 locked = description();
    ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < locked.dwHeight; ++y) {
      std::memset(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch, surface == back ? 0xEE : y + 1,
                  static_cast<std::size_t>(locked.lPitch));
    }
    surface->Unlock(nullptr);
  }
  RECT from{4, 2, 14, 7};  // 10 × 5 pixels
  ASSERT_EQ(back->BltFast(100, 50, source, &from, DDBLTFAST_NOCOLORKEY), DD_OK);
  DDSURFACEDESC2 locked = description();
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  const auto* bytes = static_cast<const std::uint8_t*>(locked.lpSurface);
  for (int y = 48; y < 58; ++y) {
    for (int x = 196; x < 224; ++x) {  // bytes: two a pixel
      const bool copied = y >= 50 && y < 55 && x >= 200 && x < 220;
      ASSERT_EQ(bytes[y * locked.lPitch + x], copied ? y - 50 + 3 : 0xEE) << x << ", " << y;
    }
  }
  back->Unlock(nullptr);

  for (RECT bad : {RECT{60, 0, 65, 5}, RECT{5, 5, 5, 9}}) EXPECT_EQ(back->BltFast(0, 0, source, &bad, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(back->BltFast(312, 0, source, &from, 0), DDERR_INVALIDRECT);  // 2 pixels past the right edge
  EXPECT_EQ(back->BltFast(0, 0, source, &from, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  ASSERT_EQ(source->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(back->BltFast(0, 0, source, &from, 0), DDERR_SURFACEBUSY);
  source->Unlock(nullptr);
}

}  // namespace
