// The window's own framebuffer as a screen for pictures made in software: they are written
// straight into it and shown with one copy to the display (SDL's window surface), paced at
// the display's refresh rate on the layer's own clock (frame_pacer.h). No renderer and no
// texture stand between the picture and the screen.
#pragma once

#include <SDL.h>
#include <windows.h>

#include "platform/directx/pixel_plane.h"
#include "platform/directx/frame_pacer.h"

namespace platform::directx {

class WindowScreen {
 public:
  WindowScreen() = default;
  ~WindowScreen() { close(); }
  WindowScreen(const WindowScreen&) = delete;
  WindowScreen& operator=(const WindowScreen&) = delete;

  // False when the handle names no live window. Paced: shows keep to the frame pacer.
  // Close before the window goes.
  bool open(HWND window, bool paced = true);
  void close();
  bool isOpen() const { return window_ != nullptr; }

  // The framebuffer for the next picture, 0x00RRGGBB, the window's size; valid until the
  // next call. Null when the window has none. `renewed` tells when it is not the one of
  // the last call (the window's size changed): it is black, and what was drawn is gone.
  const PixelPlane* frame(bool* renewed = nullptr);
  // Shows the frame at the pacer's next tick, then returns the pacer's lead before the one
  // after; at once where `wait` is false. False when the display did not take it.
  bool show(bool wait = true);
  // When the last frame was shown (steady clock, ns).
  std::int64_t shownNs() const { return shownNs_; }

 private:
  SDL_Window* window_ = nullptr;
  SDL_Surface* surface_ = nullptr;  // the window's, as last seen
  void* pixels_ = nullptr;          // its memory, as last seen
  SDL_Surface* staging_ = nullptr;  // 0x00RRGGBB, where the window's surface has another format
  PixelPlane plane_;
  FramePacer pacer_;
  bool paced_ = true;
  std::int64_t shownNs_ = 0;
};

}  // namespace platform::directx
