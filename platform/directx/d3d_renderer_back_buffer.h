// The back buffer as a render-target texture of a renderer on the window, for renderers
// that draw on a GPU (see d3d_back_buffer.h).
#pragma once

#include "platform/directx/d3d_back_buffer.h"

namespace platform::directx {

class RendererBackBuffer final : public BackBuffer {
 public:
  // Takes the renderer. A size of 0 × 0 is the renderer's output size.
  RendererBackBuffer(SDL_Renderer* renderer, int width, int height, const std::vector<Texture*>& textures);
  ~RendererBackBuffer() override;
  // Makes the target, black; false when the renderer cannot.
  bool open();

  bool holds(Texture& texture) override;
  HRESULT draw(const std::vector<SDL_Vertex>& triangles, Texture* texture, bool linear) override;
  HRESULT present() override;

 private:
  // Makes the target the renderer's again, should it not be (a failed switch back).
  bool onTarget();

  SDL_Renderer* renderer_;
  SDL_Texture* target_ = nullptr;
  const std::vector<Texture*>& textures_;
};

}  // namespace platform::directx
