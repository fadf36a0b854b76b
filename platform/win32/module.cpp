#include <windows.h>

#include <cstdint>

// The program's module handle: a fixed value, the customary image base of a Windows program.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName != nullptr) return nullptr;  // no other module is loaded by name
  return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x00400000));
}
