// The back buffer drawn in software straight into the window's framebuffer, at the
// window's scale (see d3d_back_buffer.h). While screen capture is on it is a picture of
// its own size instead, which Present records and then draws onto the window.
#pragma once

#include "platform/directx/d3d_back_buffer.h"
#include "platform/directx/linear_stretch.h"
#include "platform/directx/window_screen.h"

namespace platform::directx {

class SoftwareBackBuffer final : public BackBuffer {
 public:
  // A size of 0 × 0 is the window's. Paced: presents keep to the frame pacer.
  SoftwareBackBuffer(HWND window, int width, int height, bool paced, const std::vector<Texture*>& textures);
  ~SoftwareBackBuffer() override;
  bool open();

  bool holds(Texture&) override { return true; }
  HRESULT draw(const std::vector<SDL_Vertex>& triangles, Texture* texture, bool linear) override;
  HRESULT present() override;
  std::int64_t shownNs() const override { return screen_.shownNs(); }

 private:
  // Picks the frame's target at its first draw (or its present); false with nothing to
  // draw on.
  bool beginFrame();
  // SDL's software renderer on the target, for the triangles the stretch does not draw.
  SDL_Renderer* renderer();
  void dropRenderer();
  // The back-buffer pixels (x, y) on the target.
  SDL_FPoint onTarget(const SDL_FPoint& point) const;

  HWND window_;
  bool paced_;
  const std::vector<Texture*>& textures_;
  WindowScreen screen_;
  SDL_Surface* captured_ = nullptr;  // the back buffer at its own size, while capture is on
  bool inFrame_ = false;
  bool capturing_ = false;  // the frame's target is captured_
  PixelPlane target_;
  SDL_Rect area_{};  // where the back buffer lies on the target
  SDL_Surface* rendererSurface_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  std::vector<SDL_Vertex> mapped_;  // reused from draw to draw
  LinearStretch stretch_;
};

}  // namespace platform::directx
