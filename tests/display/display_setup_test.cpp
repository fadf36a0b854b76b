// The display set-up and presentation against DirectDraw 7 and Direct3D 8 doubles: every failure.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "display/display.h"
#include "tests/support/directx_mocks.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::Field;
using ::testing::NiceMock;
using ::testing::Pointee;
using ::testing::Return;
using ::testing::SetArgPointee;

class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    displaySettings = DisplaySettings{};
    directXFactory = DirectXFactory{&direct3D, &directDraw};
    ON_CALL(direct3D, CreateDevice).WillByDefault(DoAll(SetArgPointee<5>(&device), Return(D3D_OK)));
    ON_CALL(device, CreateTexture).WillByDefault(DoAll(SetArgPointee<6>(&texture), Return(D3D_OK)));
    ON_CALL(device, CreateVertexBuffer).WillByDefault(DoAll(SetArgPointee<4>(&vertexBuffer), Return(D3D_OK)));
    ON_CALL(vertexBuffer, Lock).WillByDefault(DoAll(SetArgPointee<2>(vertexBytes), Return(D3D_OK)));
    ON_CALL(directDraw, CreateSurface).WillByDefault([this](LPDDSURFACEDESC2 d, LPDIRECTDRAWSURFACE7* made, IUnknown*) {
      *made = (d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0 ? &primary : &offscreen;
      return DD_OK;
    });
    ON_CALL(primary, GetAttachedSurface).WillByDefault(DoAll(SetArgPointee<1>(&back), Return(DD_OK)));
  }
  void TearDown() override { displaySettings.backend = 99; }  // keep the context's release off the doubles

  // As initDisplay leaves the context, for presenting on the back-end.
  void madeFor(int backend) {
    displaySettings.backend = backend;
    context.device = &device;
    context.texture = &texture;
    context.vertexBuffer = &vertexBuffer;
    context.directDraw = &directDraw;
    context.primarySurface = &primary;
    context.backBuffer = &back;
    context.offscreenSurface = &offscreen;
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    surface.resize(1280 * 240);
    ON_CALL(offscreen, Lock).WillByDefault([this](LPRECT, LPDDSURFACEDESC2 d, DWORD, HANDLE) {
      d->lpSurface = surface.data();
      d->lPitch = 1280;
      return DD_OK;
    });
  }
  // A texture of 256 rows at the given pitch, filled with a marker byte.
  void lockTextureAt(int pitch) {
    texels.assign(static_cast<std::size_t>(pitch) * 256, 0xAB);
    ON_CALL(texture, LockRect).WillByDefault([this, pitch](UINT, D3DLOCKED_RECT* locked, const RECT*, DWORD) {
      *locked = D3DLOCKED_RECT{pitch, texels.data()};
      return D3D_OK;
    });
  }

  void verifyAndClear() {
    for (void* m : std::initializer_list<void*>{&direct3D, &device, &texture, &vertexBuffer, &primary, &back,
                                                 &offscreen}) {
      ::testing::Mock::VerifyAndClearExpectations(m);
    }
  }
  void onlyDepth(DWORD depth) {
    ON_CALL(directDraw, SetDisplayMode(_, _, ::testing::Ne(depth), _, _)).WillByDefault(Return(DDERR_INVALIDMODE));
  }
  int openDirectDraw() { return context.initDisplay(backendDirectDraw, 320, 240); }

  NiceMock<MockDirect3D> direct3D;
  NiceMock<MockDevice> device;
  NiceMock<MockTexture> texture;
  NiceMock<MockVertexBuffer> vertexBuffer;
  BYTE vertexBytes[160]{};
  NiceMock<MockDirectDraw> directDraw;
  NiceMock<MockDirectDrawSurface> primary, back, offscreen;
  std::vector<std::uint32_t> frame = std::vector<std::uint32_t>(320 * 240);
  std::vector<std::uint8_t> texels, surface;
  DisplayContext context{"Prueba"};
};

// The texture: the smallest power of two over each side, sampled exactly by the quad, drawn
// unculled and filtered after any success code; presents wait for the refresh unless told not.
TEST_F(Display, TheFrameSizesTheTextureAndTheSettingChoosesWhetherToWait) {
  ON_CALL(direct3D, CreateDevice).WillByDefault(DoAll(SetArgPointee<5>(&device), Return(S_FALSE)));
  for (auto [width, height, textureWidth, textureHeight, wait] :
       {std::tuple{320, 240, 512u, 256u, 1}, {400, 300, 512u, 512u, 0}, {1, 1, 1u, 1u, 1}, {513, 256, 1024u, 256u, 1},
        {4096, 4095, 4096u, 4096u, 0}}) {
    SCOPED_TRACE(width);
    displaySettings.frameWidth = width;
    displaySettings.frameHeight = height;
    displaySettings.waitForRefresh = wait;
    const DWORD interval = wait != 0 ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;
    EXPECT_CALL(direct3D, CreateDevice(_, _, _, _, Pointee(Field(&D3DPRESENT_PARAMETERS::FullScreen_PresentationInterval,
                                                                 interval)), _));
    EXPECT_CALL(device, CreateTexture(textureWidth, textureHeight, 1u, 0u, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, _));
    EXPECT_CALL(device, SetRenderState).Times(::testing::AnyNumber());
    EXPECT_CALL(device, SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
    EXPECT_CALL(device, SetTextureStageState(0u, D3DTSS_MAGFILTER, D3DTEXF_LINEAR));
    ASSERT_EQ(context.initDisplay(backendDirect3D, 800, 600), 0);
    float corner[5];  // the bottom-right one, the third: x, y, z, u, v
    std::memcpy(corner, vertexBytes + 2 * sizeof corner, sizeof corner);
    EXPECT_EQ(std::pair(corner[3], corner[4]), std::pair(static_cast<float>(width) / static_cast<float>(textureWidth),
                                                         static_cast<float>(height) / static_cast<float>(textureHeight)));
    verifyAndClear();
  }
}

// Each failing step returns −1 and gives back, and forgets, what the earlier ones made.
TEST_F(Display, AFailedDirect3DStepReleasesWhatWasMadeBeforeIt) {
  for (int failing = 0; failing < 5; ++failing) {
    SCOPED_TRACE(failing);
    if (failing == 0) directXFactory.direct3D = nullptr;
    if (failing == 1) EXPECT_CALL(direct3D, CreateDevice).WillOnce(Return(D3DERR_NOTAVAILABLE));
    if (failing == 2) EXPECT_CALL(device, CreateTexture).WillOnce(Return(S_FALSE));  // only D3D_OK will do
    if (failing == 3) EXPECT_CALL(device, CreateVertexBuffer).WillOnce(Return(D3DERR_OUTOFVIDEOMEMORY));
    if (failing == 4) EXPECT_CALL(vertexBuffer, Lock).WillOnce(Return(D3DERR_INVALIDCALL));
    EXPECT_CALL(direct3D, Release()).Times(failing >= 1 ? 1 : 0);
    EXPECT_CALL(device, Release()).Times(failing >= 2 ? 1 : 0);
    EXPECT_CALL(texture, Release()).Times(failing >= 3 ? 1 : 0);
    EXPECT_CALL(vertexBuffer, Release()).Times(failing >= 4 ? 1 : 0);
    EXPECT_EQ(context.initDisplay(backendDirect3D, 800, 600), -1);
    EXPECT_TRUE(!context.direct3D && !context.device && !context.texture && !context.vertexBuffer) << "not forgotten";
    verifyAndClear();
    directXFactory.direct3D = &direct3D;
  }
}

// At 16 bits the mode's green mask, else the primary's, tells 5-6-5 from 5-5-5; else 5-6-5 stands.
TEST_F(Display, TheSixteenBitLayoutComesFromTheModeOrElseThePrimarySurface) {
  struct Case { HRESULT mode, surface; DWORD greenMask; int before, after; };
  for (const Case& c : {Case{DD_OK, DD_OK, 0x3E0, 1, 0}, Case{DD_OK, DD_OK, 0x7E0, 0, 0},
                        Case{DDERR_GENERIC, DD_OK, 0x7E0, 1, 1}, Case{DDERR_GENERIC, DD_OK, 0x3E0, 1, 0},
                        Case{DDERR_GENERIC, DDERR_GENERIC, 0x3E0, 1, 1}}) {
    displaySettings.green6Bit = c.before;
    onlyDepth(16);
    const auto answer = [c](HRESULT result) {
      return [c, result](LPDDSURFACEDESC2 d) {
        d->ddpfPixelFormat.dwGBitMask = c.greenMask;
        return result;
      };
    };
    ON_CALL(directDraw, GetDisplayMode).WillByDefault(answer(c.mode));
    ON_CALL(primary, GetSurfaceDesc).WillByDefault(answer(c.surface));
    ASSERT_EQ(openDirectDraw(), 0);
    EXPECT_EQ(displaySettings.green6Bit, c.after) << std::hex << c.mode << " " << c.surface << " " << c.greenMask;
  }
}

TEST_F(Display, AtEightBitsThePaletteGoesOnThePrimaryWhichKeepsItsOwnReference) {
  onlyDepth(8);
  NiceMock<MockDirectDrawPalette> palette;
  EXPECT_CALL(directDraw, CreatePalette).WillOnce(DoAll(SetArgPointee<2>(&palette), Return(DD_OK)));
  EXPECT_CALL(primary, SetPalette(&palette));
  EXPECT_CALL(palette, Release());
  ASSERT_EQ(openDirectDraw(), 0);
  verifyAndClear();

  EXPECT_CALL(directDraw, CreatePalette).WillOnce(Return(DDERR_OUTOFMEMORY));
  EXPECT_CALL(primary, SetPalette).Times(0);
  EXPECT_EQ(openDirectDraw(), 0);
}

#if GTEST_HAS_DEATH_TEST  // a refusal ends the process; WebAssembly has no other to watch it
TEST_F(Display, EachFailingDirectDrawCallEndsTheProgramNamingIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[] { directXFactory.directDrawResult = DDERR_GENERIC; }, "DirectDrawCreateEx FAILED"},
      {[this] { ON_CALL(directDraw, SetCooperativeLevel).WillByDefault(Return(DDERR_GENERIC)); },
       "SetCooperativeLevel FAILED"},
      {[this] { ON_CALL(directDraw, SetDisplayMode).WillByDefault(Return(DDERR_UNSUPPORTED)); },
       "SetDisplayMode FAILED"},
      {[this] { ON_CALL(directDraw, CreateSurface).WillByDefault(Return(DDERR_OUTOFMEMORY)); },
       "CreateSurface FAILED"},
      {[this] { ON_CALL(primary, GetAttachedSurface).WillByDefault(Return(DDERR_NOTFOUND)); },
       "GetAttachedSurface FAILED"},
      {[this] {
         ON_CALL(directDraw, CreateSurface(::testing::Truly([](LPDDSURFACEDESC2 d) {
                   return (d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) == 0;
                 }), _, _))
             .WillByDefault(Return(DDERR_OUTOFMEMORY));
       },
       "ERROR al crear la off-screen surface"},
      {[] { displaySettings.frameWidth = 0; }, "ERROR: frame de 0x240; cada lado va de 1 a 4096"},
      {[] { displaySettings.frameHeight = 4097; }, "ERROR: frame de 320x4097"},
  };
  for (const auto& [fail, message] : cases) {
    EXPECT_EXIT((fail(), openDirectDraw()), ::testing::ExitedWithCode(1), std::string("^Error: ") + message);
  }
}
#endif

// Rows go at the texture's pitch taken as whole texels; nothing beyond them is written.
TEST_F(Display, Direct3DCopiesTheRowsAtTheTexturePitch) {
  madeFor(backendDirect3D);
  for (int pitch : {2048, 1280, 2051}) {
    lockTextureAt(pitch);
    context.presentFrame(frame.data());
    for (int y = 0; y < 256; ++y) {
      const std::uint8_t* row = texels.data() + static_cast<std::size_t>(y) * (pitch & ~3);
      ASSERT_TRUE(y >= 240 || std::memcmp(row, &frame[y * 320], 1280) == 0) << "pitch " << pitch << ", row " << y;
      for (int x = y < 240 ? 1280 : 0; x < (pitch & ~3); ++x) {
        ASSERT_EQ(row[x], 0xAB) << "pitch " << pitch << ", row " << y << ", byte " << x;
      }
    }
  }
}

// A frame abandoned after BeginScene still ends its scene; none is drawn or shown.
TEST_F(Display, AFailedDirect3DStepDropsTheFrame) {
  madeFor(backendDirect3D);
  for (int failing = 0; failing < 3; ++failing) {
    lockTextureAt(2048);
    EXPECT_CALL(device, EndScene()).Times(failing == 0 ? 0 : 1);
    EXPECT_CALL(device, DrawPrimitive).Times(0);
    EXPECT_CALL(device, Present).Times(0);
    EXPECT_CALL(texture, LockRect).Times(failing == 2 ? 1 : 0);  // a failing lock is its own expectation
    if (failing == 0) EXPECT_CALL(device, BeginScene()).WillOnce(Return(D3DERR_INVALIDCALL));
    if (failing == 1) EXPECT_CALL(texture, LockRect).WillOnce(Return(D3DERR_INVALIDCALL));
    if (failing == 2) EXPECT_CALL(texture, UnlockRect).WillOnce(Return(D3DERR_INVALIDCALL));
    context.presentFrame(frame.data());
    verifyAndClear();
  }
}

// Busy copies and flips are asked again; a lost surface has all three restored up to the first
// failure; any other error drops the frame. Flips wait for the refresh unless told not to.
TEST_F(Display, DirectDrawLockCopyAndFlipAnswers) {
  madeFor(backendDirectDraw);
  struct Case {
    std::vector<HRESULT> copies, flips; HRESULT primaryRestore;
    int restores;  // of the primary, back and off-screen surfaces, in that order
    HRESULT lock = DD_OK, unlock = DD_OK; int waitForRefresh = 1;
  };
  const HRESULT busy = DDERR_WASSTILLDRAWING, lost = DDERR_SURFACELOST;
  const Case cases[] = {{{busy, busy, busy, DD_OK}, {DD_OK}, DD_OK, 0}, {{DD_OK}, {busy, DD_OK}, DD_OK, 0},
                        {{DD_OK}, {lost}, DD_OK, 3}, {{lost}, {}, DD_OK, 3}, {{lost}, {}, DDERR_WRONGMODE, 1},
                        {{DDERR_INVALIDRECT}, {}, DD_OK, 0}, {{}, {}, DD_OK, 0, DDERR_SURFACEBUSY},
                        {{}, {}, DD_OK, 3, lost}, {{}, {}, DD_OK, 0, DD_OK, DDERR_NOTLOCKED},
                        {{DD_OK}, {busy, DD_OK}, DD_OK, 0, DD_OK, DD_OK, 0}};
  for (const Case& c : cases) {
    if (c.lock != DD_OK) EXPECT_CALL(offscreen, Lock).WillOnce(Return(c.lock));
    ON_CALL(offscreen, Unlock).WillByDefault(Return(c.unlock));
    auto& copy = EXPECT_CALL(back, BltFast(0u, 0u, &offscreen, _, _)).Times(static_cast<int>(c.copies.size()));
    for (HRESULT r : c.copies) copy.WillOnce(Return(r));
    displaySettings.waitForRefresh = c.waitForRefresh;
    const DWORD flags = c.waitForRefresh != 0 ? 0 : DDFLIP_NOVSYNC;
    auto& flip = EXPECT_CALL(primary, Flip(nullptr, flags)).Times(static_cast<int>(c.flips.size()));
    for (HRESULT r : c.flips) flip.WillOnce(Return(r));
    ON_CALL(primary, Restore()).WillByDefault(Return(c.primaryRestore));
    EXPECT_CALL(primary, Restore()).Times(c.restores >= 1 ? 1 : 0);
    EXPECT_CALL(back, Restore()).Times(c.restores >= 2 ? 1 : 0);
    EXPECT_CALL(offscreen, Restore()).Times(c.restores >= 3 ? 1 : 0);
    context.presentFrame(frame.data());
    verifyAndClear();
  }
}

TEST_F(Display, AFailedRestoreAtReleaseKeepsTheDirectDrawObject) {
  madeFor(backendDirectDraw);
  EXPECT_CALL(back, Restore()).WillOnce(Return(DDERR_WRONGMODE));
  EXPECT_CALL(directDraw, Release()).Times(0);
  EXPECT_EQ(context.restoreOrRelease(), DDERR_WRONGMODE);
  EXPECT_EQ(context.directDraw, &directDraw);
}

}  // namespace
