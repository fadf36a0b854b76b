#include "platform/directx/ddraw_screen.h"

#include <cstring>

#include "platform/directx/screen_capture.h"
#include "platform/directx/sdl_display.h"

namespace platform::directx {

bool DirectDrawScreen::open(HWND window) {
  close();
  renderer_ = makeSoftwareRenderer(window);
  if (renderer_ == nullptr) return false;
  pacer_.start(window);
  blank();
  return true;
}

void DirectDrawScreen::close() {
  if (picture_ != nullptr) SDL_DestroyTexture(picture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  picture_ = nullptr;
  renderer_ = nullptr;
  width_ = height_ = 0;
}

bool DirectDrawScreen::setMode(int width, int height) {
  if (renderer_ == nullptr) return false;
  if (picture_ != nullptr && width == width_ && height == height_) return true;
  if (picture_ != nullptr) SDL_DestroyTexture(picture_);
  picture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (picture_ == nullptr) return false;
  // A low-resolution mode on a larger screen: every mode pixel a sharp square.
  SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);
  SDL_SetTextureBlendMode(picture_, SDL_BLENDMODE_NONE);
  width_ = width;
  height_ = height;
  return true;
}

void DirectDrawScreen::show(const std::uint8_t* pixels, LONG pitch, ModeFormat format, const std::uint32_t* palette) {
  if (picture_ == nullptr) return;
  void* texels = nullptr;
  int texturePitch = 0;
  if (SDL_LockTexture(picture_, nullptr, &texels, &texturePitch) != 0) return;
  ScreenImage* capture = beginScreenCapture(width_, height_);
  for (int y = 0; y < height_; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(texels) + y * texturePitch);
    rowToRgb(pixels + static_cast<std::ptrdiff_t>(y) * pitch, out, width_, format, palette);
    if (capture != nullptr) std::memcpy(&capture->pixels[static_cast<std::size_t>(y) * width_], out, width_ * 4u);
  }
  SDL_UnlockTexture(picture_);
  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
  pacer_.waitForRefresh();
  presentCentred(renderer_, picture_, placeByWholeFactor(outputWidth, outputHeight, width_, height_));
  if (capture != nullptr) screenShown();
}

void DirectDrawScreen::blank() {
  if (renderer_ != nullptr) presentCentred(renderer_, nullptr, SDL_Rect{});
}

}  // namespace platform::directx
