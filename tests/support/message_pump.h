// The one message pump of the tests: dispatch what is queued, or keep dispatching until a
// condition holds or a deadline passes (never a fixed sleep, so a loaded machine only waits
// longer).
#pragma once

#include <windows.h>

#include <chrono>
#include <thread>

namespace testsupport {

inline void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// True once `done()` holds; false when `seconds` passed first.
template <typename Condition>
bool pumpUntil(Condition done, double seconds = 10) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    pumpMessages();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace testsupport
