// Key translation: SDL's keys to Windows virtual-key codes and key messages, and the
// characters TranslateMessage makes of them.
#pragma once

#include <windows.h>

#include <SDL.h>

namespace platform {

// The code Windows reports for the key, or 0 for a key that has none here. Letters follow
// the keyboard layout, as on Windows; every other key follows its position.
WPARAM virtualKeyOf(SDL_Scancode scancode, SDL_Keycode keycode);

// The message Windows posts for a key event: WM_KEYDOWN/WM_KEYUP, or WM_SYSKEYDOWN/WM_SYSKEYUP
// for F10, for keys pressed while Alt (without Control) is held, and for Alt itself when no
// other key went down while it was held. lParam: repeat count 1, context bit 29 (Alt),
// previous-state bit 30 (auto-repeat or release), transition bit 31 (release); the
// scan-code and extended bits are 0. False, and nothing to post, for keys without a code.
bool keyMessageOf(const SDL_KeyboardEvent& key, MSG& out);

// The character of a key-down under the given SDL modifier state, or 0 when the key makes
// none that is the same on every layout (letters, unshifted digits, Space, Enter, Tab,
// Backspace, Escape).
char characterOf(WPARAM virtualKey, Uint16 modifiers);

}  // namespace platform
