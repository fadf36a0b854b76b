#include "platform/directx/ddraw_screen.h"

#include <algorithm>
#include <cstring>

#include "platform/directx/screen_capture.h"
#include "platform/directx/sdl_display.h"

namespace platform::directx {

bool DirectDrawScreen::open(HWND window) {
  close();
  if (!screen_.open(window)) return false;
  window_ = window;
  blank();
  return true;
}

void DirectDrawScreen::close() {
  screen_.close();
  width_ = height_ = 0;
  setShownPicture(window_, ShownPicture{});
  window_ = nullptr;
}

void DirectDrawScreen::setMode(int width, int height) {
  width_ = width;
  height_ = height;
  picture_.assign(static_cast<std::size_t>(width) * height, 0);
  setShownPicture(window_, ShownPicture{width, height, Placement::wholeFactor});
}

bool DirectDrawScreen::show(const std::uint8_t* pixels, LONG pitch, ModeFormat format, const std::uint32_t* palette,
                            bool wait) {
  if (picture_.empty()) return false;
  ScreenImage* capture = beginScreenCapture(width_, height_);
  for (int y = 0; y < height_; ++y) {
    rowToRgb(pixels + static_cast<std::ptrdiff_t>(y) * pitch, &picture_[static_cast<std::size_t>(y) * width_], width_,
             format, palette);
  }
  if (capture != nullptr) capture->pixels = picture_;
  const bool shown = showPicture(wait);
  if (shown && capture != nullptr) screenShown();
  return shown;
}

void DirectDrawScreen::blank() {
  std::fill(picture_.begin(), picture_.end(), 0u);
  showPicture();
}

// Each screen pixel takes the picture pixel under its centre (a sharp square per mode
// pixel at a whole factor); a screen row whose picture row is the one above's is a copy.
bool DirectDrawScreen::showPicture(bool wait) {
  const PixelPlane* frame = screen_.frame();
  if (frame == nullptr) return false;
  if (!picture_.empty()) {
    const SDL_Rect where = placeByWholeFactor(frame->width, frame->height, width_, height_);
    if (static_cast<int>(columns_.size()) != where.w) columns_.resize(static_cast<std::size_t>(where.w));
    for (int x = 0; x < where.w; ++x) columns_[static_cast<std::size_t>(x)] = static_cast<int>((x * 2 + 1) * static_cast<long long>(width_) / (2 * where.w));
    int previous = -1;
    for (int y = 0; y < where.h; ++y) {
      const int row = static_cast<int>((y * 2 + 1) * static_cast<long long>(height_) / (2 * where.h));
      std::uint32_t* out = frame->row(where.y + y) + where.x;
      if (row == previous) {
        std::memcpy(out, out - frame->pitch, static_cast<std::size_t>(where.w) * 4);
        continue;
      }
      const std::uint32_t* in = &picture_[static_cast<std::size_t>(row) * width_];
      for (int x = 0; x < where.w; ++x) out[x] = in[columns_[static_cast<std::size_t>(x)]];
      previous = row;
    }
  }
  return screen_.show(wait);
}

}  // namespace platform::directx
