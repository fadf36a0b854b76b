#include "display/convert.h"

void fillPalette332(PALETTEENTRY (&entries)[256]) {
  for (int i = 0; i < 256; ++i) {
    entries[i].peRed = static_cast<BYTE>(i & 0xE0);
    entries[i].peGreen = static_cast<BYTE>((i & 0x1C) << 3);
    entries[i].peBlue = static_cast<BYTE>((i & 0x03) << 6);
    entries[i].peFlags = 0;
  }
}
