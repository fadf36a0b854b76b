// The one message pump of the tests: dispatch what is queued, take it off unseen, or keep
// dispatching until a condition holds or a deadline passes (never a fixed sleep, so a loaded
// machine only waits longer); and the program's own loop.
#pragma once

#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>

namespace testsupport {

inline void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Takes every posted message off the queue, a pending quit too, without dispatching it.
inline std::vector<MSG> takeMessages() {
  std::vector<MSG> messages;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message);
  return messages;
}

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

// The same, dispatching messages meanwhile: on the windows' thread.
template <typename Condition>
bool pumpUntil(Condition done, double seconds = 10) {
  return waitUntil([&] { return pumpMessages(), done(); }, seconds);
}

// The program's loop: messages first, WaitMessage when idle; returns WM_QUIT's code.
inline WPARAM runMessageLoop() {
  MSG message{};
  for (;;) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      WaitMessage();
    } else if (GetMessageA(&message, nullptr, 0, 0) == 0) {
      return message.wParam;
    } else {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

}  // namespace testsupport
