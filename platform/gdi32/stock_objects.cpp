#include <windows.h>

#include <cstdint>

// Stock pens and brushes as handles of their own. Nothing is drawn with them: the display
// set-up draws the window.
HGDIOBJ WINAPI GetStockObject(int i) {
  const bool exists = (i >= WHITE_BRUSH && i <= NULL_PEN) || (i >= 10 && i <= DC_PEN);  // 9 names none
  if (!exists) return nullptr;
  return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x00EE0000 + i));
}
