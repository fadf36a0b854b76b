// Paces a software screen's pictures on the layer's own clock: it ticks at the display's
// refresh rate as SDL reports it (60 Hz where SDL does not know it), counted from the start
// of pacing, and shows one picture a tick, as a flip waiting for the vertical blank would.
// Below, a "refresh" is such a tick. It lets the program make each picture as late as it
// safely can: after a picture is shown, the call returns only a lead before the next tick,
// so the next picture shows a state that much old instead of a whole period. The lead
// follows the time the program took to make and hand over its recent pictures, so that a
// busy machine, which stretches that time, does not make them miss their tick. No waiting
// where there is no display.
//
// What a real display adds: the pictures reach it through SDL's window surface, which has
// no vertical-blank sync, so the ticks are not in phase with the display's own refreshes
// and a picture copied while the display scans out can tear.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

namespace platform::directx {

// The time the pacer reads and sleeps by: the steady clock, or a test's own.
class PacerClock {
 public:
  virtual std::int64_t nowNs() = 0;
  virtual void sleepUntil(std::int64_t ns) = 0;

 protected:
  ~PacerClock() = default;
};
PacerClock& steadyClock();

class FramePacer {
 public:
  // The lead is the longest of the last `remembered` pictures' times (two seconds at 60 Hz),
  // plus a margin, and never less than the least lead: measured under load, shorter
  // memories or margins let one picture in a hundred or more miss its tick.
  static constexpr std::int64_t leastLeadNs = 4'000'000;
  static constexpr std::int64_t marginNs = 2'000'000;
  static constexpr int remembered = 120;

  explicit FramePacer(PacerClock& clock = steadyClock()) : clock_(&clock) {}

  // Paces at the refresh rate SDL reports for the window's display.
  void start(HWND window);
  // Paces at one refresh every periodNs from now; 0 does not wait at all.
  void start(std::int64_t periodNs);
  // Waits for the tick at which the picture about to be shown appears: the next one after
  // the last picture's. A picture that comes after that tick has missed it and waits for
  // the following one; those are counted (platform/stats, as missed refreshes) and returned.
  std::int64_t waitForRefresh();
  // After a picture was shown: returns the lead before the next tick.
  void holdUntilNextPicture();

  // Never more than a period: above 250 Hz the least lead is the whole period.
  std::int64_t leadNs() const;

  // The steady clock's now.
  static std::int64_t nowNs();

 private:
  PacerClock* clock_;
  std::int64_t periodNs_ = 0;
  std::int64_t originNs_ = 0;
  std::int64_t lastNs_ = 0;      // the tick the last picture appeared at
  std::int64_t returnedNs_ = 0;  // when the last hold was due to give the program its thread
  std::array<std::int64_t, remembered> workNs_{};  // time from a hold's end to the next picture
  int nextWork_ = 0;
};

}  // namespace platform::directx
