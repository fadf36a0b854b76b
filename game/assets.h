// The game's pictures and its frame: loaded once at start-up, and the frame composed from
// them and the game state in each idle pass of the main loop.
#pragma once

#include <cstdint>

constexpr int spritePixels = 16 * 16;  // room of every sprite buffer, the block tile's too

// Buffers of 0x00RRGGBB pixels, allocated once by loadAssets.
struct Assets {
  std::uint32_t* frame;        // 320 × 240, rewritten by every composeFrame
  std::uint32_t* backdrop;     // 320 × 240: the background with the map's tiles drawn over it
  std::uint32_t* background;   // 320 × 240, "fondo.pcx"
  std::uint32_t* rightWalk1;   // "pacod1.pcx": facing right, x odd
  std::uint32_t* rightWalk2;   // "pacod2.pcx": facing right, x even
  std::uint32_t* leftWalk1;    // "pacoi1.pcx"
  std::uint32_t* leftWalk2;    // "pacoi2.pcx"
  std::uint32_t* rightFiring;  // "pacodf.pcx": facing right, blowing
  std::uint32_t* leftFiring;   // "pacoif.pcx"
  std::uint32_t* bubble;       // "pompa.pcx"
  std::uint32_t* spare;        // "malo1.pcx": loaded and kept, never drawn
  std::uint32_t* block;        // "bloque.pcx": an 8 × 8 tile in the first 64 pixels
};
extern Assets* assets;

// Creates the game state (the bubble pool and the player), allocates the buffers and loads
// the ten pictures through the archive or the working directory. The first picture that
// cannot be loaded ends the program with the loader's message, and so does one of another
// size than the drawing assumes: three planes, the background 320 × 240, the sprites
// 16 × 16, the block tile 8 × 8.
void loadAssets();

// Draws a whole frame back to front: background, a tile for every block of the map, the
// bubbles, the player. The background and the map never change once loaded, so their part
// is drawn once, into the backdrop, and each frame starts from a copy of it: the same
// pixels as drawing them anew, at the cost of one copy. Reads the game state through one
// copy of it (game/game_state.h), so the tick is held up no longer than that. Returns the
// frame.
const std::uint32_t* composeFrame();

// Frees every buffer and the game state. Only once the tick timer has stopped, and with no
// frame composed afterwards.
void releaseAssets();
