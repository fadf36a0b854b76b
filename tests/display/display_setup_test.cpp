// The display set-up against doubles of DirectDraw 7 and Direct3D 8: the calls, their
// values and order, and every failure path.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "display/display.h"
#include "tests/support/directx_mocks.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Pointee;
using ::testing::Return;
using ::testing::SetArgPointee;

HWND testWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5150)); }

std::uint32_t bitsOf(float f) { return std::bit_cast<std::uint32_t>(f); }

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    displaySettings = DisplaySettings{};
    directXFactory = DirectXFactory{};
    context.window = testWindow();
  }
  void TearDown() override {
    // The context is destroyed after the doubles: keep its destructor away from them.
    displaySettings.backend = 99;
  }

  DisplayContext context{"Prueba"};
};

// --- Direct3D 8 -------------------------------------------------------------------------

class Direct3DSetup : public Setup {
 protected:
  void SetUp() override {
    Setup::SetUp();
    directXFactory.direct3D = &direct3D;
    ON_CALL(direct3D, CreateDevice).WillByDefault(DoAll(SetArgPointee<5>(&device), Return(D3D_OK)));
    ON_CALL(device, CreateTexture).WillByDefault(DoAll(SetArgPointee<6>(&texture), Return(D3D_OK)));
    ON_CALL(device, CreateVertexBuffer).WillByDefault(DoAll(SetArgPointee<4>(&vertexBuffer), Return(D3D_OK)));
    ON_CALL(vertexBuffer, Lock).WillByDefault(DoAll(SetArgPointee<2>(vertexBytes), Return(D3D_OK)));
  }

  NiceMock<MockDirect3D> direct3D;
  NiceMock<MockDevice> device;
  NiceMock<MockTexture> texture;
  NiceMock<MockVertexBuffer> vertexBuffer;
  BYTE vertexBytes[160]{};
};

TEST_F(Direct3DSetup, MakesTheDeviceTextureQuadAndTransformsInOrder) {
  D3DPRESENT_PARAMETERS parameters{};
  D3DMATRIX world{}, view{}, projection{};
  {
    InSequence order;
    EXPECT_CALL(direct3D, CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, testWindow(), 0x24u, _, _))
        .WillOnce(DoAll([&](auto, auto, auto, auto, D3DPRESENT_PARAMETERS* p, auto) { parameters = *p; },
                        SetArgPointee<5>(&device), Return(D3D_OK)));
    EXPECT_CALL(device, SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
    EXPECT_CALL(device, SetRenderState(D3DRS_LIGHTING, 0u));
    EXPECT_CALL(device, SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE));
    EXPECT_CALL(device, SetRenderState(D3DRS_ZWRITEENABLE, 0u));
    EXPECT_CALL(device, CreateTexture(512u, 256u, 1u, 0u, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, _));
    EXPECT_CALL(device, SetTextureStageState(0u, D3DTSS_MAGFILTER, D3DTEXF_LINEAR));
    EXPECT_CALL(device, CreateVertexBuffer(160u, 0u, 0x102u, D3DPOOL_DEFAULT, _));
    EXPECT_CALL(vertexBuffer, Lock(0u, 0u, _, 0u));
    EXPECT_CALL(vertexBuffer, Unlock());
    EXPECT_CALL(device, SetTransform(D3DTS_WORLD, _)).WillOnce(DoAll([&](auto, const D3DMATRIX* m) { world = *m; }, Return(D3D_OK)));
    EXPECT_CALL(device, SetTransform(D3DTS_VIEW, _)).WillOnce(DoAll([&](auto, const D3DMATRIX* m) { view = *m; }, Return(D3D_OK)));
    EXPECT_CALL(device, SetTransform(D3DTS_PROJECTION, _))
        .WillOnce(DoAll([&](auto, const D3DMATRIX* m) { projection = *m; }, Return(D3D_OK)));
  }
  EXPECT_EQ(context.initDisplay(backendDirect3D, 800, 600), 0);
  EXPECT_EQ(directXFactory.direct3DVersionAsked, 120u);
  EXPECT_EQ(displaySettings.backend, backendDirect3D);
  EXPECT_EQ(displaySettings.deviceWidth, 800);
  EXPECT_EQ(displaySettings.deviceHeight, 600);

  EXPECT_EQ(parameters.BackBufferWidth, 800u);
  EXPECT_EQ(parameters.BackBufferHeight, 600u);
  EXPECT_EQ(parameters.BackBufferFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(parameters.BackBufferCount, 1u);
  EXPECT_EQ(parameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(parameters.hDeviceWindow, testWindow());
  EXPECT_EQ(parameters.Windowed, FALSE);
  EXPECT_EQ(parameters.EnableAutoDepthStencil, FALSE);
  EXPECT_EQ(parameters.FullScreen_PresentationInterval, 0u);

  // The quad: a triangle strip bottom-left, top-left, bottom-right, top-right.
  float v[20];
  std::memcpy(v, vertexBytes, sizeof v);
  const float expected[20] = {-1, -1, 0, 0, 0.9375f, -1, 1, 0, 0, 0, 1, -1, 0, 0.625f, 0.9375f, 1, 1, 0, 0.625f, 0};
  for (int i = 0; i < 20; ++i) {
    if (i % 5 == 2) {
      EXPECT_EQ(bitsOf(v[i]), 0x3F933333u) << "z of vertex " << i / 5;
    } else {
      EXPECT_EQ(v[i], expected[i]) << "value " << i;
    }
  }
  for (int i = 160 - 80; i < 160; ++i) EXPECT_EQ(vertexBytes[i], 0) << "only four vertices are written";

  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float lookAt[16];
  std::memcpy(lookAt, identity, sizeof lookAt);
  lookAt[14] = 1.25f;  // _43
  float worldValues[16], viewValues[16];
  std::memcpy(worldValues, &world, sizeof worldValues);
  std::memcpy(viewValues, &view, sizeof viewValues);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(worldValues[i], identity[i]) << "world element " << i;
    EXPECT_EQ(viewValues[i], lookAt[i]) << "view element " << i;
  }
  EXPECT_NEAR(projection._11, 2.4142134f, 1e-6f);
  EXPECT_EQ(projection._11, projection._22);
  EXPECT_NEAR(projection._33, 1.0101010f, 1e-6f);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_NEAR(projection._43, -1.0101010f, 1e-6f);
  EXPECT_EQ(projection._44, 0.0f);

  EXPECT_EQ(context.direct3D, &direct3D);
  EXPECT_EQ(context.device, &device);
  EXPECT_EQ(context.texture, &texture);
  EXPECT_EQ(context.vertexBuffer, &vertexBuffer);
}

TEST_F(Direct3DSetup, TextureCoordinatesFollowTheFrameSizeAtSetUp) {
  displaySettings.frameWidth = 256;
  displaySettings.frameHeight = 128;
  ASSERT_EQ(context.initDisplay(backendDirect3D, 640, 480), 0);
  float v[20];
  std::memcpy(v, vertexBytes, sizeof v);
  EXPECT_EQ(v[13], 0.5f);  // u of the bottom-right vertex
  EXPECT_EQ(v[4], 0.5f);   // v of the bottom-left vertex
}

TEST_F(Direct3DSetup, WithoutDirect3DItReportsFailureAndMakesNothing) {
  directXFactory.direct3D = nullptr;
  EXPECT_EQ(context.initDisplay(backendDirect3D, 800, 600), -1);
  EXPECT_EQ(context.direct3D, nullptr);
}

// Each failing step returns −1 and gives back, and forgets, what the earlier steps made.
enum class Step { device, texture, vertexBuffer, lock };

class Direct3DFailure : public Direct3DSetup, public ::testing::WithParamInterface<Step> {};

TEST_P(Direct3DFailure, ReleasesWhatWasMadeBeforeIt) {
  const Step failing = GetParam();
  if (failing == Step::device) EXPECT_CALL(direct3D, CreateDevice).WillOnce(Return(D3DERR_NOTAVAILABLE));
  if (failing == Step::texture) EXPECT_CALL(device, CreateTexture).WillOnce(Return(S_FALSE));  // not D3D_OK
  if (failing == Step::vertexBuffer) EXPECT_CALL(device, CreateVertexBuffer).WillOnce(Return(D3DERR_OUTOFVIDEOMEMORY));
  if (failing == Step::lock) EXPECT_CALL(vertexBuffer, Lock).WillOnce(Return(D3DERR_INVALIDCALL));
  EXPECT_CALL(direct3D, Release()).Times(1);
  EXPECT_CALL(device, Release()).Times(failing >= Step::texture ? 1 : 0);
  EXPECT_CALL(texture, Release()).Times(failing >= Step::vertexBuffer ? 1 : 0);
  EXPECT_CALL(vertexBuffer, Release()).Times(failing >= Step::lock ? 1 : 0);
  EXPECT_CALL(device, SetTransform).Times(0);

  EXPECT_EQ(context.initDisplay(backendDirect3D, 800, 600), -1);
  EXPECT_EQ(context.direct3D, nullptr);
  EXPECT_EQ(context.device, nullptr);
  EXPECT_EQ(context.texture, nullptr);
  EXPECT_EQ(context.vertexBuffer, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EachStep, Direct3DFailure,
                         ::testing::Values(Step::device, Step::texture, Step::vertexBuffer, Step::lock));

TEST_F(Direct3DSetup, ASuccessCodeOtherThanZeroFromCreateDeviceIsNoFailure) {
  ON_CALL(direct3D, CreateDevice).WillByDefault(DoAll(SetArgPointee<5>(&device), Return(S_FALSE)));
  EXPECT_EQ(context.initDisplay(backendDirect3D, 800, 600), 0);
}

TEST_F(Setup, AnUnknownBackEndIsRecordedAndNothingIsMade) {
  EXPECT_EQ(context.initDisplay(2, 1024, 768), 0);
  EXPECT_EQ(displaySettings.backend, 2);
  EXPECT_EQ(displaySettings.deviceWidth, 1024);
  EXPECT_EQ(directXFactory.directDrawCalls, 0);
  EXPECT_EQ(context.directDraw, nullptr);
  EXPECT_EQ(context.direct3D, nullptr);
}

// --- DirectDraw 7 -----------------------------------------------------------------------

class DirectDrawSetup : public Setup {
 protected:
  void SetUp() override {
    Setup::SetUp();
    directXFactory.directDraw = &directDraw;
    ON_CALL(directDraw, SetDisplayMode).WillByDefault(Return(DD_OK));
    ON_CALL(directDraw, CreateSurface(Pointee(Field(&DDSURFACEDESC2::dwFlags, DDSD_CAPS | DDSD_BACKBUFFERCOUNT)), _, _))
        .WillByDefault(DoAll(SetArgPointee<1>(&primary), Return(DD_OK)));
    ON_CALL(directDraw, CreateSurface(Pointee(Field(&DDSURFACEDESC2::dwFlags, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH)), _, _))
        .WillByDefault(DoAll(SetArgPointee<1>(&offscreen), Return(DD_OK)));
    ON_CALL(primary, GetAttachedSurface).WillByDefault(DoAll(SetArgPointee<1>(&back), Return(DD_OK)));
  }

  void answerModeWithGreenMask(DWORD mask) {
    ON_CALL(directDraw, GetDisplayMode).WillByDefault([mask](LPDDSURFACEDESC2 d) {
      d->ddpfPixelFormat.dwGBitMask = mask;
      return DD_OK;
    });
  }

  NiceMock<MockDirectDraw> directDraw;
  NiceMock<MockDirectDrawSurface> primary;
  NiceMock<MockDirectDrawSurface> back;
  NiceMock<MockDirectDrawSurface> offscreen;
};

MATCHER_P3(Describes, flags, caps, size, "a surface description") {
  return arg->dwSize == sizeof(DDSURFACEDESC2) && arg->dwFlags == DWORD(flags) && arg->ddsCaps.dwCaps == DWORD(caps) &&
         (size == 0 || (arg->dwWidth == 320u && arg->dwHeight == 240u));
}

TEST_F(DirectDrawSetup, OpensTheModeAndBuildsTheSurfacesInOrder) {
  {
    InSequence order;
    EXPECT_CALL(directDraw, SetCooperativeLevel(testWindow(), 0x411u));
    EXPECT_CALL(directDraw, SetDisplayMode(320u, 240u, 32u, 0u, 0u));
    EXPECT_CALL(directDraw, CreateSurface(Describes(0x21, 0x218, 0), _, nullptr));
    EXPECT_CALL(primary, GetAttachedSurface(Pointee(Field(&DDSCAPS2::dwCaps, 4u)), _));
    EXPECT_CALL(directDraw, CreateSurface(Describes(7, 0x20004040, 1), _, nullptr));
  }
  EXPECT_CALL(directDraw, CreatePalette).Times(0);
  EXPECT_CALL(directDraw, GetDisplayMode).Times(0);

  EXPECT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
  EXPECT_EQ(directXFactory.directDrawIidAsked, IID_IDirectDraw7);
  EXPECT_EQ(displaySettings.backend, backendDirectDraw);
  EXPECT_EQ(displaySettings.deviceWidth, 320);  // recorded though never read
  EXPECT_EQ(displaySettings.displayDepth, 32);
  EXPECT_EQ(context.primarySurface, &primary);
  EXPECT_EQ(context.backBuffer, &back);
  EXPECT_EQ(context.offscreenSurface, &offscreen);
}

TEST_F(DirectDrawSetup, TriesThirtyTwoTwiceThenFallsDownTheDepths) {
  {
    InSequence order;
    EXPECT_CALL(directDraw, SetDisplayMode(320u, 240u, 32u, 0u, 0u)).Times(2).WillRepeatedly(Return(DDERR_INVALIDMODE));
    EXPECT_CALL(directDraw, SetDisplayMode(320u, 240u, 24u, 0u, 0u)).WillOnce(Return(DDERR_INVALIDMODE));
    EXPECT_CALL(directDraw, SetDisplayMode(320u, 240u, 16u, 0u, 0u)).WillOnce(Return(DD_OK));
  }
  answerModeWithGreenMask(0x7E0);
  ASSERT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
  EXPECT_EQ(displaySettings.displayDepth, 16);
  EXPECT_EQ(displaySettings.green6Bit, 1);
}

TEST_F(DirectDrawSetup, ASixteenBitModeWithFiveGreenBitsClearsTheGreenFlag) {
  ON_CALL(directDraw, SetDisplayMode(_, _, 32u, _, _)).WillByDefault(Return(DDERR_UNSUPPORTED));
  ON_CALL(directDraw, SetDisplayMode(_, _, 24u, _, _)).WillByDefault(Return(DDERR_UNSUPPORTED));
  answerModeWithGreenMask(0x3E0);
  ASSERT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
  EXPECT_EQ(displaySettings.green6Bit, 0);

  // A flag already clear stays clear, whatever the mode.
  displaySettings = DisplaySettings{};
  displaySettings.green6Bit = 0;
  answerModeWithGreenMask(0x7E0);
  ASSERT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
  EXPECT_EQ(displaySettings.green6Bit, 0);
}

TEST_F(DirectDrawSetup, WithoutTheModeAnsweredThePrimarySurfaceTellsTheSixteenBitLayout) {
  ON_CALL(directDraw, SetDisplayMode(_, _, 32u, _, _)).WillByDefault(Return(DDERR_UNSUPPORTED));
  ON_CALL(directDraw, SetDisplayMode(_, _, 24u, _, _)).WillByDefault(Return(DDERR_UNSUPPORTED));
  ON_CALL(directDraw, GetDisplayMode).WillByDefault(Return(DDERR_GENERIC));
  struct Case {
    HRESULT answer;
    DWORD greenMask;
    int green6Bit;
  };
  for (const Case& c : {Case{DD_OK, 0x7E0, 1}, Case{DD_OK, 0x3E0, 0}, Case{DDERR_GENERIC, 0, 1}}) {
    displaySettings = DisplaySettings{};
    ON_CALL(primary, GetSurfaceDesc).WillByDefault([c](LPDDSURFACEDESC2 d) {
      d->ddpfPixelFormat.dwGBitMask = c.greenMask;
      return c.answer;
    });
    ASSERT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
    EXPECT_EQ(displaySettings.green6Bit, c.green6Bit) << "mask " << c.greenMask;
  }
}

TEST_F(DirectDrawSetup, TheOffScreenSurfaceFallsBackToSystemMemory) {
  {
    InSequence order;
    EXPECT_CALL(directDraw, CreateSurface(Describes(0x21, 0x218, 0), _, _));
    EXPECT_CALL(directDraw, CreateSurface(Describes(7, 0x20004040, 1), _, _)).WillOnce(Return(DDERR_OUTOFMEMORY));
    EXPECT_CALL(directDraw, CreateSurface(Describes(7, 0x840, 1), _, _))
        .WillOnce(DoAll(SetArgPointee<1>(&offscreen), Return(DD_OK)));
  }
  ASSERT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
  EXPECT_EQ(context.offscreenSurface, &offscreen);
}

TEST_F(DirectDrawSetup, AtEightBitsTheThreeThreeTwoPaletteGoesOnThePrimaryAfterTheSurfaces) {
  ON_CALL(directDraw, SetDisplayMode(_, _, ::testing::Ne(8u), _, _)).WillByDefault(Return(DDERR_UNSUPPORTED));
  NiceMock<MockDirectDrawPalette> palette;
  PALETTEENTRY entries[256]{};
  {
    InSequence order;
    EXPECT_CALL(directDraw, CreateSurface(Describes(0x21, 0x218, 0), _, _));
    EXPECT_CALL(primary, GetAttachedSurface);
    EXPECT_CALL(directDraw, CreateSurface(Describes(7, 0x20004040, 1), _, _));
    EXPECT_CALL(directDraw, CreatePalette(DDPCAPS_8BIT, _, _, nullptr))
        .WillOnce(DoAll([&](auto, LPPALETTEENTRY table, auto, auto) { std::memcpy(entries, table, sizeof entries); },
                        SetArgPointee<2>(&palette), Return(DD_OK)));
    EXPECT_CALL(primary, SetPalette(&palette));
    EXPECT_CALL(palette, Release());  // the surface keeps its own reference
  }
  ASSERT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
  EXPECT_EQ(displaySettings.displayDepth, 8);
  const PALETTEENTRY grey = entries[0x92];
  EXPECT_EQ(grey.peRed, 128);
  EXPECT_EQ(grey.peGreen, 128);
  EXPECT_EQ(grey.peBlue, 128);
  EXPECT_EQ(entries[0xFF].peBlue, 192);
}

TEST_F(DirectDrawSetup, NoPaletteIsAttachedWhenItCannotBeMade) {
  ON_CALL(directDraw, SetDisplayMode(_, _, ::testing::Ne(8u), _, _)).WillByDefault(Return(DDERR_UNSUPPORTED));
  EXPECT_CALL(directDraw, CreatePalette).WillOnce(Return(DDERR_OUTOFMEMORY));
  EXPECT_CALL(primary, SetPalette).Times(0);
  EXPECT_EQ(context.initDisplay(backendDirectDraw, 320, 240), 0);
}

// Every DirectDraw failure ends the program with its own message.
using DirectDrawSetupDeath = DirectDrawSetup;

TEST_F(DirectDrawSetupDeath, EachFailingCallEndsTheProgramNamingIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [this] { context.initDisplay(backendDirectDraw, 320, 240); };

  directXFactory.directDrawResult = DDERR_GENERIC;
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "Error: DirectDrawCreateEx FAILED");
  directXFactory.directDrawResult = DD_OK;

  ON_CALL(directDraw, SetCooperativeLevel).WillByDefault(Return(DDERR_EXCLUSIVEMODEALREADYSET));
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "Error: SetCooperativeLevel FAILED");
  ON_CALL(directDraw, SetCooperativeLevel).WillByDefault(Return(DD_OK));

  ON_CALL(directDraw, SetDisplayMode).WillByDefault(Return(DDERR_UNSUPPORTED));
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "Error: SetDisplayMode FAILED");
  ON_CALL(directDraw, SetDisplayMode).WillByDefault(Return(DD_OK));

  ON_CALL(directDraw, CreateSurface(Describes(0x21, 0x218, 0), _, _)).WillByDefault(Return(DDERR_OUTOFMEMORY));
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "Error: CreateSurface FAILED");
  ON_CALL(directDraw, CreateSurface(Describes(0x21, 0x218, 0), _, _))
      .WillByDefault(DoAll(SetArgPointee<1>(&primary), Return(DD_OK)));

  ON_CALL(primary, GetAttachedSurface).WillByDefault(Return(DDERR_NOTFOUND));
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "Error: GetAttachedSurface FAILED");
  ON_CALL(primary, GetAttachedSurface).WillByDefault(DoAll(SetArgPointee<1>(&back), Return(DD_OK)));

  ON_CALL(directDraw, CreateSurface(Describes(7, 0x20004040, 1), _, _)).WillByDefault(Return(DDERR_OUTOFMEMORY));
  ON_CALL(directDraw, CreateSurface(Describes(7, 0x840, 1), _, _)).WillByDefault(Return(DDERR_OUTOFMEMORY));
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "Error: ERROR al crear la off-screen surface");
}

}  // namespace
