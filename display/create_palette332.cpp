#include <ddraw.h>

#include "display/convert.h"

void createPalette332(IDirectDraw7* directDraw, IDirectDrawSurface7* primarySurface) {
  PALETTEENTRY entries[256];
  fillPalette332(entries);
  IDirectDrawPalette* palette = nullptr;
  if (directDraw->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr) != DD_OK || palette == nullptr) {
    return;  // no palette to attach; the screen keeps the driver's
  }
  primarySurface->SetPalette(palette);
  palette->Release();  // the surface holds its own reference from here on
}
