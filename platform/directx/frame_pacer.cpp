#include "platform/directx/frame_pacer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/stats/run_stats.h"
#include "platform/win32/window_internal.h"

namespace platform::directx {
namespace {

class SteadyClock final : public PacerClock {
 public:
  std::int64_t nowNs() override { return FramePacer::nowNs(); }
  void sleepUntil(std::int64_t ns) override {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(ns)));
  }
};

}  // namespace

PacerClock& steadyClock() {
  static SteadyClock clock;
  return clock;
}

void FramePacer::start(HWND window) {
  // A display that is not there (SDL's dummy and off-screen drivers) has no rate to pace at.
  const char* driver = SDL_GetCurrentVideoDriver();
  // A browser page keeps step with its frames in PeekMessage.
  if (driver != nullptr && (SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "offscreen") == 0 ||
                            SDL_strcmp(driver, "emscripten") == 0)) {
    start(std::int64_t{0});
    return;
  }
  int hz = 0;
  if (SDL_Window* sdl = sdlWindowOf(window)) {
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(sdl, &mode) == 0) hz = mode.refresh_rate;
  }
  start(std::int64_t{1'000'000'000} / (hz > 0 ? hz : 60));
}

void FramePacer::start(std::int64_t periodNs) {
  lastNs_ = 0;
  returnedNs_ = 0;
  workNs_.fill(0);
  periodNs_ = periodNs;
  originNs_ = clock_->nowNs();
}

std::int64_t FramePacer::waitForRefresh() {
  if (periodNs_ == 0) return 0;
  const std::int64_t now = clock_->nowNs();
  // What the program took since the last hold, unless it paused (minimised) meanwhile.
  if (returnedNs_ != 0 && now - returnedNs_ < 1'000'000'000) {
    workNs_[static_cast<std::size_t>(nextWork_)] = now - returnedNs_;
    nextWork_ = (nextWork_ + 1) % remembered;
  }
  returnedNs_ = 0;
  std::int64_t next = originNs_ + ((now - originNs_) / periodNs_ + 1) * periodNs_;
  if (next <= lastNs_) next = lastNs_ + periodNs_;
  // The picture was meant for the tick after the last one; a later one means it missed.
  // The first picture, and one after a pause of the program's own (minimised), aim nowhere.
  std::int64_t missed = 0;
  if (lastNs_ != 0 && next > lastNs_ + periodNs_ && now - lastNs_ < 1'000'000'000) {
    missed = (next - lastNs_) / periodNs_ - 1;
    platform::stats::refreshesMissed(missed);
  }
  clock_->sleepUntil(next);
  lastNs_ = next;
  return missed;
}

std::int64_t FramePacer::leadNs() const {
  const std::int64_t slowest = *std::max_element(workNs_.begin(), workNs_.end());
  return std::min(std::max(slowest + marginNs, leastLeadNs), periodNs_);
}

void FramePacer::holdUntilNextPicture() {
  if (periodNs_ == 0 || lastNs_ == 0) return;
  // The program's time runs from when the hold is due to end: a late wake-up, as on a busy
  // machine, is time the next picture needs room for too.
  const std::int64_t due = lastNs_ + periodNs_ - leadNs();
  clock_->sleepUntil(due);
  returnedNs_ = due;
}

std::int64_t FramePacer::nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace platform::directx
