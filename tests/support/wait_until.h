// A condition waited for under a deadline, never a fixed sleep, so that a loaded machine
// only waits longer.
#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

// True once `done()` holds; false when `seconds` passed first. Pumps nothing: for any thread.
template <typename Condition>
bool waitUntil(Condition done, double seconds = 10) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace testsupport
