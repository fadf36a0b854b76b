// Key translation: SDL's keys to Windows virtual-key codes and key messages, and the
// characters of WM_CHAR: control characters that TranslateMessage makes of key-downs, and
// the window system's text input.
#pragma once

#include <windows.h>

#include <SDL.h>

#include <string>

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

// The control character of a key-down under the given SDL modifier state (Enter, Tab,
// Backspace, Escape, Control with a letter), or 0. Printable characters follow the keyboard
// layout and come from the window system's text input instead.
char characterOf(WPARAM virtualKey, Uint16 modifiers);

// The Latin-1 characters of UTF-8 text, in order; characters beyond Latin-1 and broken
// sequences are left out.
std::string latin1Of(const char* utf8);

}  // namespace platform
