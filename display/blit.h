// The sprite blitter: draws an image of 0x00RRGGBB pixels, or a rectangle of a larger one
// (a sprite sheet), into the frame, scaled to any size by nearest-neighbour sampling, clipped
// to the frame and combined with the frame's pixels by one of five operations.
#pragma once

#include <cstdint>

// How a source pixel s combines with the destination pixel d. Any other value draws nothing.
enum BlitMode : std::int32_t {
  blitCopy = 0,         // d = s
  blitKeyed = 1,        // d = s where s != key (all 32 bits); elsewhere d stays
  blitAddSaturate = 2,  // each colour byte min(255, s + d); the top byte is s's
  blitAddChannels = 3,  // d + (s & 0x00FFFFFF), wrapping: carries run from blue to the top byte
  blitInvert = 4,       // d = 255 - d on the whole word, wrapping, where s != 0; elsewhere d stays
};

// Draws the srcW × srcH image src into the dstW × dstH rectangle at (x, y) of dst, a buffer
// of frame width × frame height pixels (the sizes in displaySettings). Only the part inside
// the frame is drawn, and clipping never shifts the picture.
// Calls without a sensible picture draw nothing: a source or target size below 1, a source
// size above 32767, or a rectangle wholly outside the frame.
void blit(const std::uint32_t* src, std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y,
          std::int32_t dstW, std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key);

// Draws the srcW × srcH rectangle whose top-left pixel is at column srcX, row srcY of picture,
// a picture whose rows lie pitch pixels apart (a sprite sheet's width), as blit draws a whole
// picture; blit(src, w, h, ...) is blitRect(src, w, 0, 0, w, h, ...). Besides blit's refusals,
// it draws nothing for a rectangle that leaves its rows: srcX or srcY below 0, or
// srcX + srcW beyond pitch. That the picture holds srcY + srcH rows is the caller's duty.
void blitRect(const std::uint32_t* picture, std::int32_t pitch, std::int32_t srcX, std::int32_t srcY,
              std::int32_t srcW, std::int32_t srcH, std::int32_t x, std::int32_t y, std::int32_t dstW,
              std::int32_t dstH, std::uint32_t* dst, std::int32_t mode, std::uint32_t key);
