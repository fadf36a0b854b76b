// The DirectDraw 7 layer on its own: what it answers, the memory it hands out, and what a
// flip puts on the screen, on SDL's dummy video driver.
#include <ddraw.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/directx/live_objects.h"
#include "platform/directx/screen_capture.h"
#include "platform/testing/synthetic_events.h"
#include "tests/support/layer_window.h"

namespace {

namespace dx = platform::directx;

DDSURFACEDESC2 emptyDescription() {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof description;
  return description;
}

DDSURFACEDESC2 offscreenDescription(DWORD caps, DWORD width = 320, DWORD height = 240) {
  DDSURFACEDESC2 description = emptyDescription();
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  description.dwWidth = width;
  description.dwHeight = height;
  description.ddsCaps.dwCaps = caps;
  return description;
}

class DirectDrawLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearLayerSettings();
    window = testsupport::makeLayerWindow();
    ASSERT_NE(window, nullptr);
  }

  void TearDown() override {
    if (directDraw != nullptr) directDraw->Release();
    EXPECT_EQ(dx::liveObjects(), 0) << "releasing DirectDraw left objects behind";
    DestroyWindow(window);
    testsupport::pumpMessages();
    dx::setScreenCapture(false);
    testsupport::clearLayerSettings();
  }

  void create() {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  }

  // Exclusive mode at 320×240 and the depth, with a flipping chain.
  void openMode(DWORD depth) {
    create();
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(320, 240, depth, 0, 0), DD_OK);
    DDSURFACEDESC2 description = emptyDescription();
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.dwBackBufferCount = 1;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, {0}};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  }

  // Fills the surface's rows with a value per row; returns the pitch.
  LONG fill(IDirectDrawSurface7* surface, std::uint8_t (*value)(int row)) {
    DDSURFACEDESC2 locked = emptyDescription();
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < locked.dwHeight; ++y) {
      std::memset(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch, value(static_cast<int>(y)),
                  static_cast<std::size_t>(locked.lPitch));
    }
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    return locked.lPitch;
  }

  HWND window = nullptr;
  IDirectDraw7* directDraw = nullptr;  // its release takes every surface and palette
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
};

TEST_F(DirectDrawLayer, AnswersOnlyItsOwnInterfaces) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDrawSurface7, nullptr), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  GUID driver = IID_IDirectDraw7;
  EXPECT_EQ(DirectDrawCreateEx(&driver, &object, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);

  create();
  void* asked = nullptr;
  EXPECT_EQ(directDraw->QueryInterface(IID_IUnknown, &asked), S_OK);
  EXPECT_EQ(asked, directDraw);
  EXPECT_EQ(directDraw->QueryInterface(IID_IDirectDrawSurface7, &asked), E_NOINTERFACE);
  EXPECT_EQ(asked, nullptr);
  EXPECT_EQ(directDraw->Release(), 1u);  // the query's reference
}

TEST_F(DirectDrawLayer, DisplayModesNeedExclusiveModeAndADepthTheDisplayAccepts) {
  setenv("KESTRIX_DISPLAY_DEPTHS", "16", 1);
  create();
  EXPECT_EQ(directDraw->SetDisplayMode(320, 240, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(directDraw->SetDisplayMode(320, 240, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);

  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_MULTITHREADED), DD_OK);
  EXPECT_EQ(GetForegroundWindow(), window) << "the take-over activates the window";
  for (DWORD refused : {32u, 24u, 15u, 8u}) {
    EXPECT_EQ(directDraw->SetDisplayMode(320, 240, refused, 0, 0), DDERR_INVALIDMODE) << refused;
  }
  EXPECT_EQ(directDraw->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);

  IDirectDraw7* second = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&second), IID_IDirectDraw7, nullptr), DD_OK);
  EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_EXCLUSIVEMODEALREADYSET);
  second->Release();
}

struct ModeCase {
  DWORD depth;
  const char* format16;
  DWORD flags, red, green, blue;
};

TEST_F(DirectDrawLayer, GetDisplayModeGivesTheModesPixelFormat) {
  const ModeCase cases[] = {{32, nullptr, DDPF_RGB, 0xFF0000, 0xFF00, 0xFF},
                            {24, nullptr, DDPF_RGB, 0xFF0000, 0xFF00, 0xFF},
                            {16, nullptr, DDPF_RGB, 0xF800, 0x07E0, 0x001F},
                            {16, "555", DDPF_RGB, 0x7C00, 0x03E0, 0x001F},
                            {8, nullptr, DDPF_RGB | DDPF_PALETTEINDEXED8, 0, 0, 0}};
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.depth << " bits " << (c.format16 != nullptr ? c.format16 : ""));
    if (c.format16 != nullptr) setenv("KESTRIX_16BIT", c.format16, 1);
    create();
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(320, 240, c.depth, 0, 0), DD_OK);
    DDSURFACEDESC2 mode{};
    mode.dwSize = 124;  // a 32-bit program's size: refused in this one
    EXPECT_EQ(directDraw->GetDisplayMode(&mode), DDERR_INVALIDPARAMS);
    mode = emptyDescription();
    ASSERT_EQ(directDraw->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 320u);
    EXPECT_EQ(mode.dwHeight, 240u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, c.depth);
    EXPECT_EQ(mode.ddpfPixelFormat.dwFlags, c.flags);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRBitMask, c.red);
    EXPECT_EQ(mode.ddpfPixelFormat.dwGBitMask, c.green);
    EXPECT_EQ(mode.ddpfPixelFormat.dwBBitMask, c.blue);
    directDraw->Release();
    directDraw = nullptr;
    unsetenv("KESTRIX_16BIT");
  }
}

TEST_F(DirectDrawLayer, SurfacesComeInTheModesFormatWithAlignedRows) {
  setenv("KESTRIX_VIDEO_MEMORY", "0", 1);
  openMode(24);
  DDSURFACEDESC2 description = offscreenDescription(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_OUTOFVIDEOMEMORY);
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  description.dwSize = 124;
  EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPARAMS);
  description.dwSize = sizeof description;
  ASSERT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);

  DDSURFACEDESC2 locked = emptyDescription();
  ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(locked.lPitch, 1024);  // 960 bytes of row, rounded up to 256
  EXPECT_EQ(locked.ddpfPixelFormat.dwRGBBitCount, 24u);
  EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
  EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT part{10, 20, 30, 40};
  DDSURFACEDESC2 partial = emptyDescription();
  ASSERT_EQ(surface->Lock(&part, &partial, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(partial.lpSurface) - static_cast<std::uint8_t*>(locked.lpSurface),
            20 * 1024 + 10 * 3);
  surface->Unlock(nullptr);

  DDSURFACEDESC2 primaryAgain = emptyDescription();
  primaryAgain.dwFlags = DDSD_CAPS;
  primaryAgain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* second = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&primaryAgain, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_F(DirectDrawLayer, BltFastCopiesTheRectangleAndRefusesWhatItCannot) {
  openMode(16);
  DDSURFACEDESC2 description = offscreenDescription(DDSCAPS_OFFSCREENPLAIN, 64, 32);
  IDirectDrawSurface7* source = nullptr;
  ASSERT_EQ(directDraw->CreateSurface(&description, &source, nullptr), DD_OK);
  const LONG sourcePitch = fill(source, [](int row) { return static_cast<std::uint8_t>(row + 1); });
  const LONG pitch = fill(back, [](int) { return std::uint8_t{0xEE}; });

  RECT from{4, 2, 14, 7};  // 10 × 5 pixels
  ASSERT_EQ(back->BltFast(100, 50, source, &from, DDBLTFAST_NOCOLORKEY), DD_OK);
  DDSURFACEDESC2 locked = emptyDescription();
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  const auto* bytes = static_cast<const std::uint8_t*>(locked.lpSurface);
  for (int y = 48; y < 58; ++y) {
    for (int x = 196; x < 224; ++x) {  // bytes: two a pixel
      const bool copied = y >= 50 && y < 55 && x >= 200 && x < 220;
      EXPECT_EQ(bytes[y * pitch + x], copied ? y - 50 + 3 : 0xEE) << x << ", " << y;
    }
  }
  back->Unlock(nullptr);
  EXPECT_GT(sourcePitch, 64 * 2 - 1);

  RECT outside{60, 0, 65, 5};
  EXPECT_EQ(back->BltFast(0, 0, source, &outside, 0), DDERR_INVALIDRECT);
  RECT empty{5, 5, 5, 9};
  EXPECT_EQ(back->BltFast(0, 0, source, &empty, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(back->BltFast(312, 0, source, &from, 0), DDERR_INVALIDRECT);  // 2 pixels past the right edge
  EXPECT_EQ(back->BltFast(0, 0, source, &from, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  ASSERT_EQ(source->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(back->BltFast(0, 0, source, &from, 0), DDERR_SURFACEBUSY);
  source->Unlock(nullptr);
}

TEST_F(DirectDrawLayer, FlipShowsTheBackBufferThroughThePalette) {
  dx::setScreenCapture(true);
  openMode(8);
  PALETTEENTRY colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = PALETTEENTRY{static_cast<BYTE>(i), 0, static_cast<BYTE>(255 - i), 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours, &palette, nullptr), DD_OK);
  PALETTEENTRY kept[256];
  ASSERT_EQ(palette->GetEntries(0, 0, 256, kept), DD_OK);
  EXPECT_EQ(kept[0].peRed + kept[0].peGreen + kept[0].peBlue, 0) << "entry 0 stays black";
  EXPECT_EQ(kept[255].peRed + kept[255].peGreen + kept[255].peBlue, 3 * 255) << "entry 255 stays white";
  EXPECT_EQ(kept[7].peRed, 7);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  EXPECT_EQ(palette->Release(), 1u) << "the primary holds its own reference";

  fill(back, [](int row) { return static_cast<std::uint8_t>(row); });
  const int shown = dx::capturedScreen().presents;
  ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
  const dx::ScreenImage& screen = dx::capturedScreen();
  ASSERT_EQ(screen.presents, shown + 1);
  ASSERT_EQ(screen.width, 320);
  EXPECT_EQ(screen.pixels[0], 0x000000u);
  EXPECT_EQ(screen.pixels[7 * 320 + 5], 0x0700F8u);
  EXPECT_EQ(screen.pixels[239 * 320], 0xEF0010u);

  // After the flip the back buffer holds what was on the screen: cleared memory.
  DDSURFACEDESC2 locked = emptyDescription();
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(locked.lpSurface)[100 * locked.lPitch], 0);
  back->Unlock(nullptr);

  PALETTEENTRY green{0, 255, 0, 0};
  ASSERT_EQ(palette->SetEntries(0, 7, 1, &green), DD_OK);  // a palette on the screen shows at once
  EXPECT_EQ(screen.pixels[7 * 320 + 5], 0x00FF00u);

  IDirectDrawPalette* full = nullptr;
  ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, colours, &full, nullptr), DD_OK);
  ASSERT_EQ(full->GetEntries(0, 255, 1, kept), DD_OK);
  EXPECT_EQ(kept[0].peBlue, 0) << "with DDPCAPS_ALLOW256 every entry is the program's";
  EXPECT_EQ(primary->Flip(back, 0), DD_OK);
  IDirectDrawSurface7* offscreen = nullptr;
  DDSURFACEDESC2 description = offscreenDescription(DDSCAPS_OFFSCREENPLAIN);
  ASSERT_EQ(directDraw->CreateSurface(&description, &offscreen, nullptr), DD_OK);
  EXPECT_EQ(offscreen->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
}

TEST_F(DirectDrawLayer, SurfacesAreLostWhileMinimisedAndRestoredCleared) {
  openMode(32);
  fill(back, [](int) { return std::uint8_t{0x5A}; });
  ASSERT_TRUE(synthetic::pushWindowEvent(window, synthetic::WindowEvent::minimized));
  testsupport::pumpMessages();
  DDSURFACEDESC2 locked = emptyDescription();
  EXPECT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);

  ASSERT_TRUE(synthetic::pushWindowEvent(window, synthetic::WindowEvent::restored));
  testsupport::pumpMessages();
  EXPECT_EQ(primary->Restore(), DD_OK);
  EXPECT_EQ(back->IsLost(), DD_OK) << "restoring the primary restores its chain";
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(static_cast<std::uint8_t*>(locked.lpSurface)[0], 0) << "a restored surface's contents are gone";
  back->Unlock(nullptr);

  // A new mode takes the surfaces made for the old one.
  ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DD_OK);
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
}

TEST_F(DirectDrawLayer, ReleasingTheObjectTakesWhatItMade) {
  openMode(8);
  PALETTEENTRY colours[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  DDSURFACEDESC2 description = offscreenDescription(DDSCAPS_OFFSCREENPLAIN);
  IDirectDrawSurface7* offscreen = nullptr;
  ASSERT_EQ(directDraw->CreateSurface(&description, &offscreen, nullptr), DD_OK);
  EXPECT_EQ(back->AddRef(), 3u) << "the chain's reference, GetAttachedSurface's and this one";
  EXPECT_GE(dx::liveObjects(), 5);
  // Every reference is still held here; the DirectDraw object takes them all (TearDown).
}

}  // namespace
