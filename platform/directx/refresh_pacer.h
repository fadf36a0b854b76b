// Keeps a software screen's pictures in step with the display's refresh (60 Hz where SDL
// does not know it), as a flip waiting for the vertical blank does, and lets the program
// make each picture as late as it safely can: after a picture is shown, the call returns
// only a lead before the next refresh, so the next picture shows a state that much old
// instead of a whole refresh. The lead follows the time the program took to make and hand
// over its recent pictures, so that a busy machine, which stretches that time, does not
// make them miss their refresh. No waiting where there is no display.
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

class RefreshPacer {
 public:
  // The lead is the longest of the last `remembered` pictures' times (two seconds), plus a
  // margin, and never less than the least lead: measured under load, shorter memories or
  // margins let one picture in a hundred or more miss its refresh.
  static constexpr std::int64_t leastLeadNs = 4'000'000;
  static constexpr std::int64_t marginNs = 2'000'000;
  static constexpr int remembered = 120;

  explicit RefreshPacer(PacerClock& clock = steadyClock()) : clock_(&clock) {}

  // Paces at the refresh rate of the window's display.
  void start(HWND window);
  // Paces at one refresh every periodNs from now; 0 does not wait at all.
  void start(std::int64_t periodNs);
  // Waits for the refresh at which the picture about to be shown appears: the next one
  // after the last picture's. A picture that comes after that refresh has missed it and
  // waits for the following one; those are counted (platform/stats) and returned.
  std::int64_t waitForRefresh();
  // After a picture was shown: returns the lead before the next refresh.
  void holdUntilNextPicture();

  // Never more than a period: above 250 Hz the least lead is the whole refresh.
  std::int64_t leadNs() const;

  // The steady clock's now.
  static std::int64_t nowNs();

 private:
  PacerClock* clock_;
  std::int64_t periodNs_ = 0;
  std::int64_t originNs_ = 0;
  std::int64_t lastNs_ = 0;      // the refresh the last picture appeared at
  std::int64_t returnedNs_ = 0;  // when the last hold was due to give the program its thread
  std::array<std::int64_t, remembered> workNs_{};  // time from a hold's end to the next picture
  int nextWork_ = 0;
};

}  // namespace platform::directx
