#include "platform/directx/screen_capture.h"

#include "platform/directx/screen_file.h"

namespace platform::directx {
namespace {
bool capturing = screenFileWanted();
ScreenImage image;
}  // namespace

void setScreenCapture(bool on) {
  capturing = on;
  image.width = image.height = image.presents = 0;
  image.pixels.clear();
}

bool screenCaptureOn() { return capturing; }

const ScreenImage& capturedScreen() { return image; }

ScreenImage* beginScreenCapture(int width, int height) {
  if (!capturing || width <= 0 || height <= 0) return nullptr;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  ++image.presents;
  return &image;
}

void screenShown() {
  if (capturing && image.presents > 0) writeScreenFile(image);
}

}  // namespace platform::directx
