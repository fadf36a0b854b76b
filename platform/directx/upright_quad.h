// The recognition of a textured quad facing the screen, the shape of a frame drawn in full,
// among the triangles Direct3D is asked to draw: such a quad can go to the linear stretch
// (linear_stretch.h) instead of a general triangle renderer.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/directx/linear_stretch.h"

namespace platform::directx {

// Whether two triangles fill an upright rectangle whose texture runs along its sides, as
// one textured quad facing the screen does; then `to` is the rectangle and `from` the
// texels on it (in texel units), left to right and top to bottom as drawn.
bool uprightQuad(const std::vector<SDL_Vertex>& triangles, int textureWidth, int textureHeight, FloatRect& to,
                 FloatRect& from);

}  // namespace platform::directx
