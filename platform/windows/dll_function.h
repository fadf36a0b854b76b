// dllFunction: a function of a loaded DLL, as a pointer of the caller's type (null when
// the DLL or the function is missing).
#pragma once

#include <windows.h>

template <typename Function>
Function dllFunction(HMODULE library, const char* name) {
  if (library == nullptr) return nullptr;
  // Through void (*)(), which converts to any function pointer type without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
