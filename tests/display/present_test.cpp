// Frame presentation and release against doubles of DirectDraw 7 and Direct3D 8.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/display.h"
#include "tests/support/directx_mocks.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrictMock;

constexpr int width = 320;
constexpr int height = 240;

std::vector<std::uint32_t> testFrame() {
  std::vector<std::uint32_t> frame(width * height);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0x00FFFFFF;
  return frame;
}

MATCHER(IsFrameRect, "the frame rectangle") {
  return arg != nullptr && arg->left == 0 && arg->top == 0 && arg->right == width && arg->bottom == height;
}

class Present : public ::testing::Test {
 protected:
  void SetUp() override { displaySettings = DisplaySettings{}; }
  void TearDown() override { displaySettings.backend = 99; }  // keep the destructor off the doubles

  DisplayContext context{"Prueba"};
  std::vector<std::uint32_t> frame = testFrame();
};

// --- Direct3D 8 -------------------------------------------------------------------------

class Direct3DPresent : public Present {
 protected:
  void SetUp() override {
    Present::SetUp();
    displaySettings.backend = backendDirect3D;
    context.device = &device;
    context.texture = &texture;
    context.vertexBuffer = &vertexBuffer;
  }

  // A texture of 256 rows at the given pitch, filled with a marker byte.
  void lockAt(int pitch) {
    texels.assign(static_cast<std::size_t>(pitch) * 256, 0xAB);
    ON_CALL(texture, LockRect).WillByDefault([this, pitch](UINT, D3DLOCKED_RECT* locked, const RECT*, DWORD) {
      locked->Pitch = pitch;
      locked->pBits = texels.data();
      return D3D_OK;
    });
  }

  NiceMock<MockDevice> device;
  NiceMock<MockTexture> texture;
  NiceMock<MockVertexBuffer> vertexBuffer;
  std::vector<std::uint8_t> texels;
};

TEST_F(Direct3DPresent, CopiesRowsAtTheTexturePitchAndDrawsTheQuad) {
  lockAt(2048);
  {
    InSequence order;
    EXPECT_CALL(device, BeginScene());
    EXPECT_CALL(texture, LockRect(0u, _, IsFrameRect(), 0u));
    EXPECT_CALL(texture, UnlockRect(0u));
    EXPECT_CALL(device, SetTexture(0u, &texture));
    EXPECT_CALL(device, SetStreamSource(0u, &vertexBuffer, 20u));
    EXPECT_CALL(device, SetVertexShader(0x102u));
    EXPECT_CALL(device, DrawPrimitive(D3DPT_TRIANGLESTRIP, 0u, 2u));
    EXPECT_CALL(device, EndScene());
    EXPECT_CALL(device, Present(nullptr, nullptr, nullptr, nullptr));
  }
  context.presentFrame(frame.data());

  for (int y = 0; y < 256; ++y) {
    const std::uint8_t* row = texels.data() + static_cast<std::size_t>(y) * 2048;
    if (y < height) {
      ASSERT_EQ(std::memcmp(row, frame.data() + y * width, width * 4), 0) << "row " << y;
    }
    for (int x = y < height ? width * 4 : 0; x < 2048; ++x) ASSERT_EQ(row[x], 0xAB) << "row " << y << " byte " << x;
  }
}

TEST_F(Direct3DPresent, APitchOfOneFrameRowCopiesTheFrameInOnePiece) {
  lockAt(width * 4);
  context.presentFrame(frame.data());
  EXPECT_EQ(std::memcmp(texels.data(), frame.data(), frame.size() * 4), 0);
  EXPECT_EQ(texels[frame.size() * 4], 0xAB);
}

TEST_F(Direct3DPresent, AnOddPitchIsTakenAsAWholeNumberOfTexels) {
  lockAt(2051);
  context.presentFrame(frame.data());
  EXPECT_EQ(std::memcmp(texels.data() + 2048, frame.data() + width, width * 4), 0);
}

TEST_F(Direct3DPresent, AFailedBeginSceneDropsTheFrameBeforeAnythingIsLocked) {
  EXPECT_CALL(device, BeginScene()).WillOnce(Return(D3DERR_INVALIDCALL));
  EXPECT_CALL(texture, LockRect).Times(0);
  EXPECT_CALL(device, EndScene).Times(0);
  EXPECT_CALL(device, Present).Times(0);
  context.presentFrame(frame.data());
}

TEST_F(Direct3DPresent, AFailedLockOrUnlockEndsTheSceneAndDrawsNothing) {
  lockAt(2048);
  EXPECT_CALL(texture, LockRect).WillOnce(Return(D3DERR_INVALIDCALL));
  EXPECT_CALL(texture, UnlockRect).Times(0);
  EXPECT_CALL(device, DrawPrimitive).Times(0);
  EXPECT_CALL(device, Present).Times(0);
  EXPECT_CALL(device, EndScene()).Times(1);
  context.presentFrame(frame.data());
  ::testing::Mock::VerifyAndClearExpectations(&device);
  ::testing::Mock::VerifyAndClearExpectations(&texture);

  lockAt(2048);
  EXPECT_CALL(texture, UnlockRect).WillOnce(Return(D3DERR_INVALIDCALL));
  EXPECT_CALL(device, DrawPrimitive).Times(0);
  EXPECT_CALL(device, Present).Times(0);
  EXPECT_CALL(device, EndScene()).Times(1);
  context.presentFrame(frame.data());
}

TEST_F(Direct3DPresent, ReleaseGivesBackTheFourObjectsInOrderSkippingMissingOnesAndOnlyOnce) {
  NiceMock<MockDirect3D> direct3D;
  context.direct3D = &direct3D;
  context.vertexBuffer = nullptr;
  {
    InSequence order;
    EXPECT_CALL(texture, Release());
    EXPECT_CALL(device, Release());
    EXPECT_CALL(direct3D, Release());
  }
  EXPECT_CALL(vertexBuffer, Release()).Times(0);
  context.restoreOrRelease();
  context.restoreOrRelease();  // a second call finds nothing left to give back
}

// --- DirectDraw 7 -----------------------------------------------------------------------

class DirectDrawPresent : public Present {
 protected:
  void SetUp() override {
    Present::SetUp();
    displaySettings.backend = backendDirectDraw;
    displaySettings.displayDepth = 32;
    context.directDraw = &directDraw;
    context.primarySurface = &primary;
    context.backBuffer = &back;
    context.offscreenSurface = &offscreen;
    surface.assign(static_cast<std::size_t>(pitch) * height, 0);
    ON_CALL(offscreen, Lock).WillByDefault([this](LPRECT, LPDDSURFACEDESC2 d, DWORD, HANDLE) {
      d->lpSurface = surface.data();
      d->lPitch = pitch;
      return DD_OK;
    });
  }

  static constexpr int pitch = 1536;
  NiceMock<MockDirectDraw> directDraw;
  NiceMock<MockDirectDrawSurface> primary;
  NiceMock<MockDirectDrawSurface> back;
  NiceMock<MockDirectDrawSurface> offscreen;
  std::vector<std::uint8_t> surface;
};

TEST_F(DirectDrawPresent, ConvertsIntoTheLockedSurfaceThenCopiesAndFlips) {
  {
    InSequence order;
    EXPECT_CALL(offscreen, Lock(nullptr, _, 0x2021u, nullptr))
        .WillOnce([this](LPRECT, LPDDSURFACEDESC2 d, DWORD, HANDLE) {
          EXPECT_EQ(d->dwSize, sizeof(DDSURFACEDESC2));
          d->lpSurface = surface.data();
          d->lPitch = pitch;
          return DD_OK;
        });
    EXPECT_CALL(offscreen, Unlock(nullptr));
    EXPECT_CALL(back, BltFast(0u, 0u, &offscreen, IsFrameRect(), DDBLTFAST_NOCOLORKEY));
    EXPECT_CALL(primary, Flip(nullptr, 0u));
  }
  context.presentFrame(frame.data());
  for (int y = 0; y < height; y += 47) {
    EXPECT_EQ(std::memcmp(surface.data() + y * pitch, frame.data() + y * width, width * 4), 0) << "row " << y;
  }
}

TEST_F(DirectDrawPresent, AFailedLockOrUnlockDropsTheFrame) {
  EXPECT_CALL(offscreen, Lock).WillOnce(Return(DDERR_SURFACEBUSY));
  EXPECT_CALL(offscreen, Unlock).Times(0);
  EXPECT_CALL(back, BltFast).Times(0);
  EXPECT_CALL(primary, Restore).Times(0);
  context.presentFrame(frame.data());
  EXPECT_EQ(surface[0], 0);
  ::testing::Mock::VerifyAndClearExpectations(&offscreen);

  EXPECT_CALL(offscreen, Unlock).WillOnce(Return(DDERR_NOTLOCKED));
  EXPECT_CALL(back, BltFast).Times(0);
  EXPECT_CALL(primary, Flip).Times(0);
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, ALostOffScreenSurfaceIsRestoredAndTheNextFrameGoesThrough) {
  {
    InSequence order;
    EXPECT_CALL(offscreen, Lock).WillOnce(Return(DDERR_SURFACELOST));
    EXPECT_CALL(primary, Restore());
    EXPECT_CALL(back, Restore());
    EXPECT_CALL(offscreen, Restore());
    EXPECT_CALL(offscreen, Lock);
    EXPECT_CALL(back, BltFast);
    EXPECT_CALL(primary, Flip);
  }
  EXPECT_CALL(offscreen, Unlock).Times(1);
  context.presentFrame(frame.data());  // dropped, but the surfaces are restored
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, ABusyBlitterIsAskedAgainUntilItAnswers) {
  EXPECT_CALL(back, BltFast)
      .WillOnce(Return(DDERR_WASSTILLDRAWING))
      .WillOnce(Return(DDERR_WASSTILLDRAWING))
      .WillOnce(Return(DDERR_WASSTILLDRAWING))
      .WillOnce(Return(DD_OK));
  EXPECT_CALL(primary, Flip).Times(1);
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, ABusyFlipIsAskedAgainWithoutCopyingAgain) {
  EXPECT_CALL(back, BltFast).Times(1);
  EXPECT_CALL(primary, Flip).WillOnce(Return(DDERR_WASSTILLDRAWING)).WillOnce(Return(DD_OK));
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, ALostSurfaceOnFlipRestoresAllThreeAndTheNextFrameGoesOn) {
  {
    InSequence order;
    EXPECT_CALL(offscreen, Lock);
    EXPECT_CALL(back, BltFast);
    EXPECT_CALL(primary, Flip).WillOnce(Return(DDERR_SURFACELOST));
    EXPECT_CALL(primary, Restore());
    EXPECT_CALL(back, Restore());
    EXPECT_CALL(offscreen, Restore());
    EXPECT_CALL(offscreen, Lock);
    EXPECT_CALL(back, BltFast);
    EXPECT_CALL(primary, Flip).WillOnce(Return(DD_OK));
  }
  context.presentFrame(frame.data());
  EXPECT_EQ(context.directDraw, &directDraw);
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, ALostSurfaceOnCopyStopsAtTheFirstFailedRestore) {
  EXPECT_CALL(back, BltFast).WillOnce(Return(DDERR_SURFACELOST));
  EXPECT_CALL(primary, Restore()).WillOnce(Return(DDERR_WRONGMODE));
  EXPECT_CALL(back, Restore).Times(0);
  EXPECT_CALL(offscreen, Restore).Times(0);
  EXPECT_CALL(primary, Flip).Times(0);
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, AnyOtherCopyErrorDropsTheFrameWithoutRestoring) {
  EXPECT_CALL(back, BltFast).WillOnce(Return(DDERR_INVALIDRECT));
  EXPECT_CALL(primary, Flip).Times(0);
  EXPECT_CALL(primary, Restore).Times(0);
  context.presentFrame(frame.data());
}

TEST_F(DirectDrawPresent, ReleaseRestoresTheSurfacesThenGivesBackTheDirectDrawObject) {
  {
    InSequence order;
    EXPECT_CALL(primary, Restore());
    EXPECT_CALL(back, Restore());
    EXPECT_CALL(offscreen, Restore());
    EXPECT_CALL(directDraw, Release());
  }
  EXPECT_EQ(context.restoreOrRelease(), DD_OK);
  EXPECT_EQ(context.directDraw, nullptr);
}

TEST_F(DirectDrawPresent, AFailedRestoreAtReleaseKeepsTheDirectDrawObject) {
  EXPECT_CALL(back, Restore()).WillOnce(Return(DDERR_WRONGMODE));
  EXPECT_CALL(directDraw, Release()).Times(0);
  EXPECT_EQ(context.restoreOrRelease(), DDERR_WRONGMODE);
  EXPECT_EQ(context.directDraw, &directDraw);
}

TEST_F(Present, AnUnknownBackEndPresentsNothing) {
  displaySettings.backend = 7;
  StrictMock<MockDirectDrawSurface> offscreen;
  context.offscreenSurface = &offscreen;
  context.presentFrame(frame.data());
}

}  // namespace
