#include "game/assets.h"

#include <cstring>
#include <initializer_list>

#include "display/blit.h"
#include "display/fatal_error.h"
#include "display/pcx.h"
#include "game/game_state.h"
#include "game/level_map.h"

Assets* assets = nullptr;

namespace {

constexpr int frameWidth = 320;
constexpr int frameHeight = 240;
constexpr int framePixels = frameWidth * frameHeight;
constexpr std::uint32_t transparent = 0;  // pure black lets the background through

// The names live for the whole run, writable: the archive opener upper-cases them in place.
char nameLeftWalk1[] = "pacoi1.pcx";
char nameLeftWalk2[] = "pacoi2.pcx";
char nameRightWalk1[] = "pacod1.pcx";
char nameRightWalk2[] = "pacod2.pcx";
char nameLeftFiring[] = "pacoif.pcx";
char nameRightFiring[] = "pacodf.pcx";
char nameBackground[] = "fondo.pcx";
char nameBubble[] = "pompa.pcx";
char nameSpare[] = "malo1.pcx";
char nameBlock[] = "bloque.pcx";

// The drawing never reads a picture's size: each must be three planes of exactly the
// size its buffer and its blits assume, or the frame would show what the buffer held.
void load(char* name, std::uint32_t* buffer, int width, int height) {
  const PcxSize size = loadPcxSize(name);
  if (size.width != width || size.height != height || size.planes != 3) {
    fatalError("LA IMAGEN %s (%d x %d, %d PLANOS) DEBE SER DE %d x %d, 3 PLANOS\n", name, size.width, size.height,
               size.planes, width, height);
  }
  loadPcx(name, buffer, static_cast<std::size_t>(width * height) * sizeof(std::uint32_t), nullptr);
}

void drawSprite(const std::uint32_t* sprite, int size, int x, int y, std::uint32_t* frame) {
  blit(sprite, size, size, x, y, size, size, frame, blitKeyed, transparent);
}

const std::uint32_t* playerSprite(const Player& p) {
  const bool odd = (p.x & 1) != 0;
  if (p.facing == 1) {
    if (p.fireTimer != 0) return assets->rightFiring;
    return odd ? assets->rightWalk1 : assets->rightWalk2;
  }
  if (p.fireTimer != 0) return assets->leftFiring;
  return odd ? assets->leftWalk1 : assets->leftWalk2;
}

// The background with a tile drawn over it for every block of the map.
void drawBackdrop() {
  std::memcpy(assets->backdrop, assets->background, framePixels * sizeof(std::uint32_t));
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      if (isBlock(levelCell(c, r))) {
        drawSprite(assets->block, levelCellSize, c * levelCellSize, r * levelCellSize, assets->backdrop);
      }
    }
  }
}

}  // namespace

void loadAssets() {
  createGameState();
  assets = new Assets{
      new std::uint32_t[framePixels],  new std::uint32_t[framePixels],  new std::uint32_t[framePixels],
      new std::uint32_t[spritePixels],
      new std::uint32_t[spritePixels], new std::uint32_t[spritePixels], new std::uint32_t[spritePixels],
      new std::uint32_t[spritePixels], new std::uint32_t[spritePixels], new std::uint32_t[spritePixels],
      new std::uint32_t[spritePixels], new std::uint32_t[spritePixels],
  };
  load(nameLeftWalk1, assets->leftWalk1, spriteSize, spriteSize);
  load(nameLeftWalk2, assets->leftWalk2, spriteSize, spriteSize);
  load(nameRightWalk1, assets->rightWalk1, spriteSize, spriteSize);
  load(nameRightWalk2, assets->rightWalk2, spriteSize, spriteSize);
  load(nameLeftFiring, assets->leftFiring, spriteSize, spriteSize);
  load(nameRightFiring, assets->rightFiring, spriteSize, spriteSize);
  load(nameBackground, assets->background, frameWidth, frameHeight);
  load(nameBubble, assets->bubble, spriteSize, spriteSize);
  load(nameSpare, assets->spare, spriteSize, spriteSize);
  load(nameBlock, assets->block, levelCellSize, levelCellSize);
  drawBackdrop();
}

const std::uint32_t* composeFrame() {
  GameSnapshot state;
  snapshotGameState(state);
  std::uint32_t* frame = assets->frame;

  std::memcpy(frame, assets->backdrop, framePixels * sizeof(std::uint32_t));
  for (const Bubble& b : state.bubbles.slots) {
    if (b.x != freeSlotMarker) drawSprite(assets->bubble, spriteSize, b.x, b.y - spriteSize, frame);
  }
  drawSprite(playerSprite(state.player), spriteSize, state.player.x, state.player.y - spriteSize, frame);
  return frame;
}

void releaseAssets() {
  if (assets == nullptr) return;
  for (std::uint32_t* buffer : {assets->backdrop, assets->background, assets->bubble, assets->spare, assets->block, assets->frame,
                                assets->leftWalk1, assets->rightWalk1, assets->leftWalk2, assets->rightWalk2,
                                assets->leftFiring, assets->rightFiring}) {
    delete[] buffer;
  }
  delete assets;
  assets = nullptr;
  destroyGameState();
}
