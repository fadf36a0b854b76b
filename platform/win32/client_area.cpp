#include "platform/win32/client_area.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/window_table.h"

namespace platform {

SDL_Rect placeByWholeFactor(int outputWidth, int outputHeight, int width, int height) {
  if (width <= 0 || height <= 0) return SDL_Rect{0, 0, 0, 0};
  const int factor = std::min(outputWidth / width, outputHeight / height);
  if (factor < 1) return placeKeepingAspect(outputWidth, outputHeight, width, height);
  const int w = width * factor;
  const int h = height * factor;
  return SDL_Rect{(outputWidth - w) / 2, (outputHeight - h) / 2, w, h};
}

SDL_Rect placeKeepingAspect(int outputWidth, int outputHeight, int width, int height) {
  if (width <= 0 || height <= 0) return SDL_Rect{0, 0, 0, 0};
  const double scale = std::min(static_cast<double>(outputWidth) / width, static_cast<double>(outputHeight) / height);
  const int w = static_cast<int>(std::lround(width * scale));
  const int h = static_cast<int>(std::lround(height * scale));
  return SDL_Rect{(outputWidth - w) / 2, (outputHeight - h) / 2, w, h};
}

namespace {

// The picture's column (or row) shown at the middle of a window's one, as the picture is
// drawn; the picture spans `span` window pixels from `start`.
int pictureCell(int at, int start, int span, int cells) {
  if (span <= 0 || at < start) return 0;
  const auto cell = (2 * static_cast<long long>(at - start) + 1) * cells / (2 * static_cast<long long>(span));
  return static_cast<int>(std::min<long long>(cell, cells - 1));
}

}  // namespace

POINT clientPointOf(const ShownPicture& picture, int windowWidth, int windowHeight, int x, int y) {
  if (picture.width <= 0 || picture.height <= 0) return POINT{x, y};
  const SDL_Rect where = picture.placement == Placement::wholeFactor
                             ? placeByWholeFactor(windowWidth, windowHeight, picture.width, picture.height)
                             : placeKeepingAspect(windowWidth, windowHeight, picture.width, picture.height);
  return POINT{pictureCell(x, where.x, where.w, picture.width), pictureCell(y, where.y, where.h, picture.height)};
}

void setShownPicture(HWND window, const ShownPicture& picture) {
  if (const auto record = findWindow(window)) record->shown = picture;
}

}  // namespace platform
