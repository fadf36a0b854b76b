// The Direct3D 8 layer on its own: what the states do to the picture, in software and through SDL's renderer.
#include <d3d8.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <tuple>
#include <vector>
#include <string>

#include "base/cpu_features.h"
#include "platform/directx/linear_stretch.h"
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
  // A 2×2 checker texture on a quad over the 64×48 back buffer, as the library sets up its own.
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
  // Counts whose vertices wrap round 32 bits to a few are far beyond the four all the same.
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  for (auto [type, count] : {std::pair{D3DPT_TRIANGLELIST, 0x55555556u}, {D3DPT_TRIANGLESTRIP, 0xFFFFFFFFu}}) {
    EXPECT_EQ(device->DrawPrimitive(type, 0, count), D3DERR_INVALIDCALL) << count;
  }
  ASSERT_EQ(device->EndScene(), D3D_OK);

  // Draws the quad and presents; the pixel of the presented back buffer at (x, y).
  const auto drawAndRead = [device](int x, int y) {
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    return dx::capturedScreen().pixels[static_cast<std::size_t>(y) * 64 + x];
  };
  // Each pixel sampled at its centre, within 3 levels for SDL's renderer (half a pixel off is 4).
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    drawAndRead(0, 0);
    const double within = filter == D3DTEXF_POINT ? 0 : GetParam()[0] == '1' ? 1.5 : 3.0;
    for (int i = 0; i < 64 * 48; ++i) {
      double fx = std::clamp((i % 64 + 0.5) / 32 - 0.5, 0.0, 1.0), fy = std::clamp((i / 64 + 0.5) / 24 - 0.5, 0.0, 1.0);
      if (filter == D3DTEXF_POINT) fx = std::round(fx), fy = std::round(fy);
      const std::uint32_t pixel = dx::capturedScreen().pixels[i];
      ASSERT_NEAR(pixel & 0xFF, 255 * (fx + fy - 2 * fx * fy), within) << filter << ": " << i % 64 << ", " << i / 64;
      ASSERT_EQ(pixel, (pixel & 0xFF) * 0x010101u);
    }
  }

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
      if (!base::hasAvx2()) continue;
      dx::mixRowsAvx2(upper.data(), lower.data(), weight, fast.data(), width);
      EXPECT_EQ(fast, plain) << "mix AVX2, width " << width << ", weight " << weight;
    }
  }
}

// Parts of a 3×3 picture drawn by one stretch in turn (kept taps must not serve the next):
// each pixel centred in the rectangle and clip is the mix there, edges repeated; others untouched.
TEST(LinearStretch, DrawsTheMixAtEachCentreInsideTheRectangleAndTheClipOnly) {
  std::uint32_t texels[9] = {0x102030, 0xF0E0D0, 0x00FF00, 0xFF0000, 0x0000FF, 0x808080, 0x0A0B0C, 0xFFFFFF, 0x336699};
  const std::tuple<const char*, dx::FloatRect, dx::FloatRect, dx::PixelArea> rows[] = {
      {"clipped at x 11", {0.5f, 0, 3, 3}, {2.25f, 1.5f, 12.25f, 8.5f}, {0, 0, 11, 12}},
      {"the same place, another part", {0, 0.5f, 3, 3}, {2.25f, 1.5f, 12.25f, 8.5f}, {0, 0, 11, 12}},
      {"edges on centres, clipped at y 2", {0, 0, 3, 3}, {2.5f, 1.5f, 12.5f, 9.5f}, {0, 2, 16, 10}},
      {"far beyond the target", {0, 0, 3, 3}, {-1e30f, -5, 1e30f, 3e9f}, {0, 0, 16, 12}},
      {"no place (NaN)", {0, 0, 3, 3}, {NAN, 0, 10, 10}, {0, 0, 16, 12}},
      {"no texels (infinity)", {0, 0, INFINITY, 3}, {0, 0, 10, 10}, {0, 0, 16, 12}}};
  dx::LinearStretch stretch;
  for (const auto& [what, from, to, clip] : rows) {
    std::vector<std::uint32_t> target(16 * 12, 0xAB000000);
    stretch.draw(dx::PixelPlane{texels, 3, 3, 3}, from, dx::PixelPlane{target.data(), 16, 12, 16}, to, clip);
    for (int i = 0; i < 16 * 12; ++i) {
      const double x = i % 16 + 0.5, y = i / 16 + 0.5;  // the centre, and the source point on it:
      const double u = from.left + (x - to.left) * (from.right - from.left) / (to.right - to.left) - 0.5;
      const double v = from.top + (y - to.top) * (from.bottom - from.top) / (to.bottom - to.top) - 0.5;
      const bool inside = std::isfinite(u + v) && x >= to.left && x < to.right && y >= to.top && y < to.bottom &&
                          x >= clip.x && x < clip.x + clip.w && y >= clip.y && y < clip.y + clip.h;
      if (!inside) {
        ASSERT_EQ(target[i], 0xAB000000u) << what << ", outside, at " << x << ", " << y;
        continue;
      }
      const int tx = static_cast<int>(std::floor(u)), ty = static_cast<int>(std::floor(v));
      const auto at = [&](int right, int down, int shift) {
        return static_cast<double>(texels[std::clamp(ty + down, 0, 2) * 3 + std::clamp(tx + right, 0, 2)] >> shift &
                                   0xFF);
      };
      for (int shift : {0, 8, 16, 24}) {
        const double fx = u - tx, fy = v - ty;
        const double mix = shift == 24 ? 0 : (at(0, 0, shift) * (1 - fx) + at(1, 0, shift) * fx) * (1 - fy) +
                                                 (at(0, 1, shift) * (1 - fx) + at(1, 1, shift) * fx) * fy;
        ASSERT_NEAR(target[i] >> shift & 0xFF, mix, 2.0) << what << ", at " << x << ", " << y << ", bits " << shift;
      }
    }
  }
}

}  // namespace
