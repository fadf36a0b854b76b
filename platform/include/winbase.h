// Kernel-side calls of Windows that Kestrix uses.
#pragma once

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

// The handle of the program's own module when lpModuleName is null; null for any other name.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);

// The program's entry point, written by the program and called by the platform's start-up
// code, which passes its result to exit.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);

#ifdef __cplusplus
}
#endif
