// Direct3D's fixed-function geometry: transforms with row vectors on the left, the
// viewport mapping, the triangles of each primitive type, and culling by winding.
#pragma once

#include <d3d8.h>

#include <array>
#include <cstdint>

namespace platform::directx {

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX identityMatrix();

struct ClipPosition {
  float x, y, z, w;
};
// [x y z 1] × m.
ClipPosition transformPoint(float x, float y, float z, const D3DMATRIX& m);

struct ScreenPoint {
  float x, y;
};
// Divides by w and maps onto a viewport covering a width × height back buffer:
// x' = (x + 1) · width / 2, y' = (1 − y) · height / 2.
ScreenPoint toViewport(const ClipPosition& p, float width, float height);
// Whether the point lies between the near and the far plane; triangles that cross either
// are dropped whole rather than clipped.
bool inDepthRange(const ClipPosition& p);

// Vertices that primitiveCount primitives of the type read; 0 for the types not drawn
// (points and lines). In 64 bits: a huge count must not wrap round to a small one.
std::uint64_t verticesFor(D3DPRIMITIVETYPE type, UINT primitiveCount);
// The vertex indices of triangle t. Every second triangle of a strip is turned round, so
// all the strip's triangles share the first one's winding.
std::array<UINT, 3> triangleOf(D3DPRIMITIVETYPE type, UINT t);

// Whether D3DRS_CULLMODE drops a triangle: D3DCULL_CCW (the default) drops those that run
// counter-clockwise on the screen, D3DCULL_CW the clockwise ones.
bool culled(DWORD cullMode, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c);

}  // namespace platform::directx
