#include "platform/win32/development_window.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/output_file.h"
#include "platform/win32/sdl_video.h"

namespace platform {

namespace {
std::atomic<int> frameWidth{320};
std::atomic<int> frameHeight{240};
}  // namespace

void setWindowedFrame(int width, int height) {
  frameWidth = width;
  frameHeight = height;
}
int windowedFrameWidth() { return frameWidth; }
int windowedFrameHeight() { return frameHeight; }

int windowScaleFor(const char* setting, int screenWidth, int screenHeight, std::string& complaint) {
  complaint.clear();
  if (setting == nullptr || setting[0] == '\0') return 0;
  const std::string prefix = "KESTRIX_WINDOW=" + base::printableText(setting) + ": ";
  const char* end = setting + std::strlen(setting);
  int scale = 0;
  const auto [stop, error] = std::from_chars(setting, end, scale);
  if (setting[0] == '-' || stop != end || (error == std::errc{} && scale < 1)) {
    complaint = prefix + "not a whole number from 1 up; full screen";
    return 0;
  }
  if (error == std::errc::result_out_of_range) scale = INT_MAX;
  const int fits = std::min(screenWidth / windowedFrameWidth(), screenHeight / windowedFrameHeight());
  if (fits < 1) {
    complaint = prefix + "the screen (" + std::to_string(screenWidth) + "x" + std::to_string(screenHeight) +
                ") is smaller than the frame; full screen";
    return 0;
  }
  if (scale > fits) {
    complaint = prefix + "does not fit the screen (" + std::to_string(screenWidth) + "x" +
                std::to_string(screenHeight) + "); scale " + std::to_string(fits);
    return fits;
  }
  return scale;
}

int windowScale() {
  const char* setting = std::getenv("KESTRIX_WINDOW");
  if (setting == nullptr || setting[0] == '\0' || !startVideo()) return 0;
  // The work area: a window that fits it is not under the desktop's panels.
  SDL_Rect screen{};
  if (SDL_GetDisplayUsableBounds(0, &screen) != 0) return 0;
  std::string complaint;
  const int scale = windowScaleFor(setting, screen.w, screen.h, complaint);
  static std::atomic<bool> complained{false};
  if (!complaint.empty() && !complained.exchange(true)) std::fprintf(stderr, "%s\n", complaint.c_str());
  return scale;
}

}  // namespace platform
