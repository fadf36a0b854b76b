// The periodic timer's schedule: tick k is due at start + k × period, however long the
// callbacks take, so the ticks never drift. A tick found a whole period or more late runs
// as the latest tick due by then: a stall costs the ticks it missed, not a burst of them.
#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// The number of the tick to run now, for tick `due` and `elapsed` time since the start.
constexpr std::int64_t tickToRun(std::int64_t due, std::chrono::nanoseconds period, std::chrono::nanoseconds elapsed) {
  if (elapsed - due * period < period) return due;
  return elapsed / period;
}

}  // namespace platform
