// The tests' message pump, a wait that pumps, and the program's own loop.
#pragma once

#include <windows.h>

#include <vector>

#include "tests/support/wait_until.h"

namespace testsupport {

inline void pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Every posted message, a pending quit too, taken off the queue undispatched.
inline std::vector<MSG> takeMessages() {
  std::vector<MSG> messages;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message);
  return messages;
}

// waitUntil, dispatching messages meanwhile: on the windows' thread.
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
      continue;
    }
    if (GetMessageA(&message, nullptr, 0, 0) == 0) return message.wParam;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace testsupport
