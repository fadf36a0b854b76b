#include "platform/directx/d3d_geometry.h"

#include <bit>

namespace platform::directx {
namespace {
using Cells = std::array<float, 16>;  // row-major, as D3DMATRIX lays them out
}  // namespace

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  const auto left = std::bit_cast<Cells>(a);
  const auto right = std::bit_cast<Cells>(b);
  Cells product{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += left[row * 4 + k] * right[k * 4 + column];
      product[row * 4 + column] = sum;
    }
  }
  return std::bit_cast<D3DMATRIX>(product);
}

D3DMATRIX identityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

ClipPosition transformPoint(float x, float y, float z, const D3DMATRIX& m) {
  return ClipPosition{x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
                      x * m._13 + y * m._23 + z * m._33 + m._43, x * m._14 + y * m._24 + z * m._34 + m._44};
}

ScreenPoint toViewport(const ClipPosition& p, float width, float height) {
  return ScreenPoint{(p.x / p.w + 1.0f) * width / 2.0f, (1.0f - p.y / p.w) * height / 2.0f};
}

bool inDepthRange(const ClipPosition& p) { return p.w > 0.0f && p.z >= 0.0f && p.z <= p.w; }

std::uint64_t verticesFor(D3DPRIMITIVETYPE type, UINT primitiveCount) {
  if (primitiveCount == 0) return 0;
  switch (type) {
    case D3DPT_TRIANGLELIST: return std::uint64_t{primitiveCount} * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return std::uint64_t{primitiveCount} + 2;
    default: return 0;
  }
}

std::array<UINT, 3> triangleOf(D3DPRIMITIVETYPE type, UINT t) {
  switch (type) {
    case D3DPT_TRIANGLELIST: return {3 * t, 3 * t + 1, 3 * t + 2};
    case D3DPT_TRIANGLEFAN: return {0, t + 1, t + 2};
    default: return t % 2 == 0 ? std::array<UINT, 3>{t, t + 1, t + 2} : std::array<UINT, 3>{t + 1, t, t + 2};
  }
}

bool culled(DWORD cullMode, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c) {
  // With y pointing down the screen, a positive area runs clockwise.
  const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  if (cullMode == D3DCULL_CCW) return area < 0.0f;
  if (cullMode == D3DCULL_CW) return area > 0.0f;
  return false;
}

}  // namespace platform::directx
