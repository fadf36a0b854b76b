// Stock cursors and icons, and the cursor over the program's windows. A null cursor hides
// it, as on Windows.
#include "platform/win32/cursor.h"

#include <windows.h>

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <map>

#include "platform/win32/sdl_video.h"

namespace {

// Handles of stock cursors and icons: their resource number in a range of their own.
constexpr std::uintptr_t cursorBase = 0x00CC0000;
constexpr std::uintptr_t iconBase = 0x00DD0000;

struct StockCursor {
  std::uintptr_t id;
  SDL_SystemCursor sdl;
};
constexpr StockCursor stockCursors[] = {
    {32512, SDL_SYSTEM_CURSOR_ARROW},     {32513, SDL_SYSTEM_CURSOR_IBEAM},   {32514, SDL_SYSTEM_CURSOR_WAIT},
    {32515, SDL_SYSTEM_CURSOR_CROSSHAIR}, {32646, SDL_SYSTEM_CURSOR_SIZEALL}, {32648, SDL_SYSTEM_CURSOR_NO},
    {32649, SDL_SYSTEM_CURSOR_HAND},
};

std::atomic<HCURSOR> current{nullptr};
HCURSOR applied = nullptr;  // video thread only
bool everApplied = false;

SDL_Cursor* sdlCursorOf(HCURSOR cursor) {
  static std::map<std::uintptr_t, SDL_Cursor*> made;  // made once, kept for the process
  const auto id = reinterpret_cast<std::uintptr_t>(cursor) - cursorBase;
  for (const StockCursor& stock : stockCursors) {
    if (stock.id != id) continue;
    SDL_Cursor*& sdl = made[id];
    if (sdl == nullptr) sdl = SDL_CreateSystemCursor(stock.sdl);
    return sdl;
  }
  return nullptr;
}

}  // namespace

namespace platform {

void applyCursor() {
  if (!onVideoThread()) return;
  const HCURSOR cursor = current.load();
  if (everApplied && cursor == applied) return;  // SDL is told of changes only
  if (cursor == nullptr) {
    SDL_ShowCursor(SDL_DISABLE);
  } else {
    if (SDL_Cursor* sdl = sdlCursorOf(cursor)) SDL_SetCursor(sdl);
    SDL_ShowCursor(SDL_ENABLE);
  }
  applied = cursor;
  everApplied = true;
}

}  // namespace platform

// The program's module holds no cursor or icon resources: only the stock ones load.
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  if (hInstance != nullptr || lpCursorName == nullptr || !IS_INTRESOURCE(lpCursorName)) return nullptr;
  const auto id = reinterpret_cast<std::uintptr_t>(lpCursorName);
  for (const StockCursor& stock : stockCursors) {
    if (stock.id == id) return reinterpret_cast<HCURSOR>(cursorBase + id);
  }
  return nullptr;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  if (hInstance != nullptr || lpIconName == nullptr || !IS_INTRESOURCE(lpIconName)) return nullptr;
  const auto id = reinterpret_cast<std::uintptr_t>(lpIconName);
  // IDI_APPLICATION .. IDI_SHIELD
  if (id < 32512 || id > 32518) return nullptr;
  return reinterpret_cast<HICON>(iconBase + id);
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  const HCURSOR previous = current.exchange(hCursor);
  platform::applyCursor();
  return previous;
}

HCURSOR WINAPI GetCursor(void) { return current.load(); }
