// The part of user32 that Kestrix uses: window classes, windows, messages, keys, cursor.
#pragma once

#include "windef.h"

// Virtual-key codes. Letters and digits have no names: their codes are 'A'..'Z' and '0'..'9'.
enum : int {
#define KESTRIX_VKEY(name, value) name = value,
#include "vkeylist.h"
#undef KESTRIX_VKEY
};

// Message boxes
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ICONERROR 0x00000010L
#define IDOK 1
#define IDCANCEL 2

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
