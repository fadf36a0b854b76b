#include "platform/directx/d3d_back_buffer.h"

#include "platform/directx/d3d_renderer_back_buffer.h"
#include "platform/directx/d3d_software_back_buffer.h"
#include "platform/directx/sdl_display.h"

namespace platform::directx {

std::unique_ptr<BackBuffer> openBackBuffer(HWND window, int width, int height, bool vsync, bool software,
                                           const std::vector<Texture*>& textures) {
  if (SDL_Renderer* renderer = makeRenderer(window, vsync)) {
    if (!software || !rendersInSoftware(renderer)) {
      auto backBuffer = std::make_unique<RendererBackBuffer>(renderer, width, height, textures);
      if (backBuffer->open()) return backBuffer;
    } else {
      SDL_DestroyRenderer(renderer);  // the window's framebuffer serves better
    }
  }
  if (!software) return nullptr;
  auto backBuffer = std::make_unique<SoftwareBackBuffer>(window, width, height, vsync, textures);
  return backBuffer->open() ? std::move(backBuffer) : nullptr;
}

}  // namespace platform::directx
