#include <windows.h>

#include <cstdio>

// The text always goes to standard error too, so that a person without a display, or a
// script, sees why the program ended.
int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  std::fprintf(stderr, "%s: %s\n", lpCaption != nullptr ? lpCaption : "", lpText != nullptr ? lpText : "");
  std::fflush(stderr);
  return IDOK;
}
