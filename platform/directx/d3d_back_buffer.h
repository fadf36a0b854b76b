// Where a Direct3D device's drawing goes and how it reaches the screen. Two ways:
//  - through a renderer on the window (a GPU's): triangles are drawn into a target of the
//    back buffer's size, which Present then draws onto the window keeping its aspect;
//  - where that renderer would draw in software (SDL's software renderer, a software
//    OpenGL such as Mesa's llvmpipe): straight into the window's framebuffer at the
//    window's scale, one pass of the CPU where the other way takes two at 800×600 and
//    more. A textured rectangle with a linear filter, the one picture a frame of the
//    library is, goes through LinearStretch; other triangles through SDL's software
//    renderer. Presents keep to the frame pacer (frame_pacer.h), where the GPU's
//    renderer would wait for its vsync.
// Both show the same picture: the back buffer's content, filtered once or twice.
#pragma once

#include <SDL.h>
#include <d3d8.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::directx {

class Texture;

class BackBuffer {
 public:
  virtual ~BackBuffer() = default;

  int width() const { return width_; }
  int height() const { return height_; }

  // Whether the texture can be drawn here (a renderer has room for it).
  virtual bool holds(Texture& texture) = 0;
  // Draws triangles given in back-buffer pixels, with the texture (and a linear or point
  // filter) or in their vertices' colours.
  virtual HRESULT draw(const std::vector<SDL_Vertex>& triangles, Texture* texture, bool linear) = 0;
  // Shows what was drawn since the last present, and records the back buffer for screen
  // capture.
  virtual HRESULT present() = 0;
  // When the last present reached the screen (steady clock, ns), where it returns later
  // than that; else 0.
  virtual std::int64_t shownNs() const { return 0; }

 protected:
  BackBuffer(int width, int height) : width_(width), height_(height) {}

 private:
  int width_;
  int height_;
};

// The way that suits the window (the renderer's always where `software` is false): null
// when neither can be opened. A size of 0 × 0 is the window's. `textures` are the
// device's, whose SDL textures go when a renderer goes.
std::unique_ptr<BackBuffer> openBackBuffer(HWND window, int width, int height, bool vsync, bool software,
                                           const std::vector<Texture*>& textures);

}  // namespace platform::directx
