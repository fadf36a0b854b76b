// Frame conversion for the DirectDraw back-end: writes the 32-bit frame into locked
// surface memory at the display's depth (32, packed 24, 16 as 5-6-5 or 5-5-5, or 8 bits
// with error diffusion into the fixed 3-3-2 palette), and the entries of that palette.
#pragma once

#include <windows.h>

#include <cstdint>

// The widest row ditherTo332 takes, the widest frame: its static error rows hold a slot
// for each pixel and a guard at each end.
inline constexpr int ditherMaxWidth = 4096;

// Converts one frame of frame width × frame height pixels (displaySettings) at the display
// depth and green-6-bit flag of displaySettings. Row y goes to destination + y × pitch;
// nothing past a row's own bytes is written. Another depth writes nothing.
void convertFrame(const std::uint32_t* source, void* destination, LONG destinationPitch);

// Error-diffuses width × height pixels into 3-3-2 palette indices, one byte per pixel.
// Keeps nothing from one call to the next. Not reentrant: the error rows are static.
// A size below 1 or a width above ditherMaxWidth writes nothing.
void ditherTo332(const std::uint32_t* source, void* destination, LONG destinationPitch, int width, int height);

// The 256 entries of the 3-3-2 palette: entry i shows the colour that the dithering maps
// to index i (red and green levels 0, 32, ..., 224; blue 0, 64, 128, 192).
void fillPalette332(PALETTEENTRY (&entries)[256]);

struct IDirectDraw7;
struct IDirectDrawSurface7;

// Makes the 3-3-2 palette with the DirectDraw object and attaches it to the primary
// surface, which keeps it from then on. Nothing is attached when it cannot be made.
void createPalette332(IDirectDraw7* directDraw, IDirectDrawSurface7* primarySurface);
