// The Direct3D 8 layer on its own, for what the display library's tests through it do not
// show: what the fixed-function states do to the picture, on SDL's dummy video driver, both
// ways: in software (where SDL's renderer would draw on the CPU) and through the renderer.
#include <d3d8.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>
#include <string>

#include "platform/directx/linear_stretch_rows.h"
#include "platform/directx/live_objects.h"
#include "platform/directx/screen_capture.h"
#include "tests/support/headless_video.h"
#include "tests/support/layer_window.h"

namespace {

namespace dx = platform::directx;

// The parameter: KESTRIX_DIRECT3D_SOFTWARE, "1" (the software way) or "0" (the renderer's).
class Direct3DLayer : public ::testing::TestWithParam<const char*> {};

TEST_P(Direct3DLayer, DrawsWithTheStatesAsDirect3DDoes) {
  testsupport::clearLayerSettings();
  setenv("KESTRIX_DIRECT3D_SOFTWARE", GetParam(), 1);
  dx::setScreenCapture(true);
  const HWND window = testsupport::makeLayerWindow();
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(direct3D, nullptr);
  IDirect3DDevice8* device = testsupport::makeDevice(direct3D, window, 64, 48);
  ASSERT_NE(device, nullptr);
  // A 2×2 texture (black, white / white, black) on a quad over the 64×48 back buffer, set up
  // as the library sets up its own.
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  const std::uint32_t texels[2][2] = {{0x000000, 0xFFFFFF}, {0xFFFFFF, 0x000000}};
  for (int y = 0; y < 2; ++y) std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, texels[y], 8);
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  IDirect3DVertexBuffer8* vertices = nullptr;
  // x, y, z, u, v
  const float quad[4][5] = {{-1, -1, 0.5f, 0, 1}, {-1, 1, 0.5f, 0, 0}, {1, -1, 0.5f, 1, 1}, {1, 1, 0.5f, 1, 0}};
  ASSERT_EQ(device->CreateVertexBuffer(sizeof quad, 0, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_DEFAULT, &vertices),
            D3D_OK);
  BYTE* data = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, quad, sizeof quad);
  vertices->Unlock();
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetTexture(0, texture);
  device->SetStreamSource(0, vertices, sizeof quad[0]);
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);

  // Draws the quad and presents; the pixel of the presented back buffer at (x, y).
  const auto drawAndRead = [device](int x, int y) {
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    return dx::capturedScreen().pixels[static_cast<std::size_t>(y) * 64 + x];
  };
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  EXPECT_EQ(drawAndRead(10, 10), 0x000000u);  // the texture's top-left texel, at the top left
  for (std::uint32_t pixel : dx::capturedScreen().pixels) ASSERT_TRUE(pixel == 0 || pixel == 0xFFFFFF) << "blended";
  EXPECT_EQ(drawAndRead(50, 40), 0x000000u);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  const std::uint32_t blended = drawAndRead(32, 10) & 0xFF;
  EXPECT_TRUE(blended != 0 && blended != 0xFF) << "linear filtering blends across texels";

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);  // the quad runs clockwise on the screen
  device->SetTexture(0, nullptr);
  EXPECT_EQ(drawAndRead(50, 10), 0xFFFFFFu) << "nothing drawn: the last frame stays";
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  EXPECT_EQ(drawAndRead(10, 10), 0xFFFFFFu) << "no texture: the vertices' white";
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  EXPECT_EQ(drawAndRead(50, 10), 0x000000u) << "lit without lights: black";

  for (IUnknown* object : std::initializer_list<IUnknown*>{texture, vertices, device, direct3D}) object->Release();
  EXPECT_EQ(dx::liveObjects(), 0) << "the release left objects behind";
  DestroyWindow(window);
  testsupport::pumpMessages();
}

INSTANTIATE_TEST_SUITE_P(BothWays, Direct3DLayer, ::testing::Values("1", "0"),
                         [](const auto& test) { return std::string(test.param[0] == '1' ? "Software" : "Renderer"); });

// The software way's filter rows: the SIMD ones give the plain ones' bytes, whichever the CPU picks.
TEST(LinearStretch, TheSimdRowsGiveThePlainRowsBytes) {
  std::mt19937 random(7);
  for (int width : {1, 3, 8, 9, 1021}) {
    std::vector<std::uint32_t> upper(width + 1), lower(width + 1), plain(width), fast(width);
    std::generate(upper.begin(), upper.end(), std::ref(random));  // top bytes set too: the output's are 0 all the same
    std::generate(lower.begin(), lower.end(), std::ref(random));
    std::vector<dx::StretchTap> taps;
    for (int x = 0; x < width; ++x) taps.push_back(dx::makeTap(static_cast<int>(random() % width), static_cast<int>(random() % 257)));
    dx::widenRowPlain(upper.data(), taps.data(), plain.data(), width);
    dx::widenRowSse2(upper.data(), taps.data(), fast.data(), width);
    EXPECT_EQ(fast, plain) << "widen, width " << width;
    for (int weight : {0, 1, 128, 255, 256}) {
      dx::mixRowsPlain(upper.data(), lower.data(), weight, plain.data(), width);
      dx::mixRowsSse2(upper.data(), lower.data(), weight, fast.data(), width);
      EXPECT_EQ(fast, plain) << "mix SSE2, width " << width << ", weight " << weight;
      if (!dx::hasAvx2()) continue;
      dx::mixRowsAvx2(upper.data(), lower.data(), weight, fast.data(), width);
      EXPECT_EQ(fast, plain) << "mix AVX2, width " << width << ", weight " << weight;
    }
  }
}

}  // namespace
