#include "platform/directx/upright_quad.h"

#include <algorithm>

namespace platform::directx {
namespace {

bool white(const SDL_Color& c) { return c.r == 255 && c.g == 255 && c.b == 255 && c.a == 255; }

}  // namespace

bool uprightQuad(const std::vector<SDL_Vertex>& triangles, int textureWidth, int textureHeight, FloatRect& to,
                 FloatRect& from) {
  if (triangles.size() != 6) return false;
  const SDL_Vertex* corner[2][2] = {};  // [bottom][right]
  float xs[2] = {triangles[0].position.x, triangles[0].position.x};
  float ys[2] = {triangles[0].position.y, triangles[0].position.y};
  for (const SDL_Vertex& v : triangles) {
    if (!white(v.color)) return false;
    xs[0] = std::min(xs[0], v.position.x);
    xs[1] = std::max(xs[1], v.position.x);
    ys[0] = std::min(ys[0], v.position.y);
    ys[1] = std::max(ys[1], v.position.y);
  }
  if (!(xs[0] < xs[1]) || !(ys[0] < ys[1])) return false;
  int seen[2][2][2] = {};  // [triangle][bottom][right]: how often each corner appears
  for (std::size_t i = 0; i < 6; ++i) {
    const SDL_Vertex& v = triangles[i];
    const bool right = v.position.x == xs[1];
    const bool bottom = v.position.y == ys[1];
    if (!right && v.position.x != xs[0]) return false;
    if (!bottom && v.position.y != ys[0]) return false;
    const SDL_Vertex*& known = corner[bottom][right];
    if (known == nullptr) {
      known = &v;
    } else if (known->tex_coord.x != v.tex_coord.x || known->tex_coord.y != v.tex_coord.y) {
      return false;
    }
    ++seen[i / 3][bottom][right];
  }
  // Each triangle has three different corners, and the corner each lacks is the one
  // diagonally across from the other's: together they cover the rectangle once.
  int lacking[2][2] = {};  // [triangle]: {bottom, right} of the lacking corner
  for (int t = 0; t < 2; ++t) {
    int missing = 0;
    for (int b = 0; b < 2; ++b) {
      for (int r = 0; r < 2; ++r) {
        if (seen[t][b][r] > 1) return false;
        if (seen[t][b][r] == 0) {
          ++missing;
          lacking[t][0] = b;
          lacking[t][1] = r;
        }
      }
    }
    if (missing != 1) return false;
  }
  if (lacking[0][0] == lacking[1][0] || lacking[0][1] == lacking[1][1]) return false;
  // The texture coordinates change along the sides only.
  const SDL_FPoint& topLeft = corner[0][0]->tex_coord;
  const SDL_FPoint& topRight = corner[0][1]->tex_coord;
  const SDL_FPoint& bottomLeft = corner[1][0]->tex_coord;
  const SDL_FPoint& bottomRight = corner[1][1]->tex_coord;
  if (topLeft.x != bottomLeft.x || topRight.x != bottomRight.x || topLeft.y != topRight.y ||
      bottomLeft.y != bottomRight.y) {
    return false;
  }
  to = FloatRect{xs[0], ys[0], xs[1], ys[1]};
  from = FloatRect{topLeft.x * textureWidth, topLeft.y * textureHeight, bottomRight.x * textureWidth,
                   bottomRight.y * textureHeight};
  return true;
}

}  // namespace platform::directx
