#include "platform/win32/keys.h"

#include <mmsystem.h>

#include <array>

namespace platform {
namespace {

using ScancodeTable = std::array<WPARAM, SDL_NUM_SCANCODES>;

ScancodeTable makeScancodeTable() {
  ScancodeTable table{};
  auto set = [&table](SDL_Scancode scancode, int vk) {
    if (scancode != SDL_SCANCODE_UNKNOWN) table[scancode] = static_cast<WPARAM>(vk);
  };
#define KESTRIX_VKEY(name, value, key, otherKey) \
  set(SDL_SCANCODE_##key, value);                \
  set(SDL_SCANCODE_##otherKey, value);
#include "vkeylist.h"
#undef KESTRIX_VKEY
  for (int i = 0; i < 26; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i), 'A' + i);
  for (int i = 0; i < 9; ++i) set(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i), '1' + i);
  set(SDL_SCANCODE_0, '0');
  return table;
}

const ScancodeTable& scancodeTable() {
  static const ScancodeTable table = makeScancodeTable();
  return table;
}

// Whether Alt was pressed alone so far: its release is then a system key too.
bool altAlone = false;

constexpr LPARAM contextBit = LPARAM{1} << 29;
constexpr LPARAM previousStateBit = LPARAM{1} << 30;
constexpr LPARAM transitionBit = static_cast<LPARAM>(DWORD{1} << 31);

}  // namespace

WPARAM virtualKeyOf(SDL_Scancode scancode, SDL_Keycode keycode) {
  if (keycode >= SDLK_a && keycode <= SDLK_z) return static_cast<WPARAM>('A' + (keycode - SDLK_a));
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return scancodeTable()[scancode];
}

bool keyMessageOf(const SDL_KeyboardEvent& key, MSG& out) {
  const WPARAM vk = virtualKeyOf(key.keysym.scancode, key.keysym.sym);
  if (vk == 0) return false;
  const bool down = key.type == SDL_KEYDOWN;
  const bool altHeld = (key.keysym.mod & KMOD_ALT) != 0 && (key.keysym.mod & KMOD_CTRL) == 0;

  bool system = altHeld || vk == VK_F10;
  if (vk == VK_MENU) {
    if (down && key.repeat == 0) altAlone = true;
    if (!down) system = altAlone;  // SDL has already dropped Alt from the modifiers here
  } else if (down && (key.keysym.mod & KMOD_ALT) != 0) {
    altAlone = false;
  }

  LPARAM lParam = 1;
  if (altHeld || (vk == VK_MENU && down)) lParam |= contextBit;
  if (!down || key.repeat != 0) lParam |= previousStateBit;
  if (!down) lParam |= transitionBit;

  out = MSG{};
  out.message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  out.wParam = vk;
  out.lParam = lParam;
  out.time = timeGetTime();
  return true;
}

char characterOf(WPARAM virtualKey, Uint16 modifiers) {
  const bool control = (modifiers & KMOD_CTRL) != 0 && (modifiers & KMOD_ALT) == 0;
  if (virtualKey >= 'A' && virtualKey <= 'Z') return control ? static_cast<char>(virtualKey - 'A' + 1) : 0;
  switch (virtualKey) {
    case VK_RETURN: return '\r';
    case VK_TAB: return '\t';
    case VK_BACK: return '\b';
    case VK_ESCAPE: return 0x1B;
    default: return 0;
  }
}

std::string latin1Of(const char* utf8) {
  std::string text;
  for (const auto* p = reinterpret_cast<const unsigned char*>(utf8); p != nullptr && *p != 0; ++p) {
    if (*p < 0x80) {
      text += static_cast<char>(*p);
    } else if ((*p == 0xC2 || *p == 0xC3) && (p[1] & 0xC0) == 0x80) {
      text += static_cast<char>((*p & 0x03) << 6 | (p[1] & 0x3F));
      ++p;
    }  // other lead and continuation bytes: beyond Latin-1, or broken
  }
  return text;
}

}  // namespace platform
