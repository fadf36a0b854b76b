#include <windows.h>
#include <mmsystem.h>

#include <chrono>

DWORD WINAPI timeGetTime(void) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Truncated to 32 bits: wraps like the Windows clock does.
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
