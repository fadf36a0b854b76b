// Prints the screen's size as the platform reads it (GetSystemMetrics), for a test that
// starts it before its display is up.
#include <windows.h>

#include <cstdio>

int main() {
  std::printf("%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return 0;
}
