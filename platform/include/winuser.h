// The part of user32 that Kestrix uses: window classes, windows, messages, keys, cursor.
#pragma once

#include "windef.h"

// Virtual-key codes. Letters and digits have no names: their codes are 'A'..'Z' and '0'..'9'.
enum : int {
#define KESTRIX_VKEY(name, value) name = value,
#include "vkeylist.h"
#undef KESTRIX_VKEY
};
