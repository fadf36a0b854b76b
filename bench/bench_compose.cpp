// The game's frame composition — the background, 295 tiles, a full pool of 30 bubbles and
// the player — by composeFrame and by SDL2's software blitter on the same pictures and
// positions: as an ordinary SDL program would (every picture through SDL_BlitSurface with a
// colour key) and at SDL's best (a memcpy for the background, run-length encoded colour-keyed
// blits). One plain copy of the 307,200-byte frame is the floor of this work.
// composeFrame starts from a backdrop with the tiles already drawn; for a like-for-like
// view, "kestrix_every_tile" draws the 295 tiles in every frame with the same blitter, and
// "sdl_best_backdrop" gives SDL the same backdrop.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/ratio_main.h"
#include "display/blit.h"
#include "display/resource.h"
#include "game/assets.h"
#include "game/game_state.h"
#include "game/level_map.h"

namespace {

constexpr int frameW = 320;
constexpr int frameH = 240;

// The game's own pictures, with every bubble slot in use and the player mid-screen.
void setUpGame() {
  static bool done = false;
  if (done) return;
  done = true;
  archivePath = KESTRIX_ASSETS_DIR "/kestrix.pak";
  loadAssets();
  for (int i = 0; i < bubblePoolSize; ++i) {
    bubblePool->slots[i] = Bubble{-8 + (i * 37) % 330, 8 + (i * 53) % 250, 0, 0};  // some clipped
  }
  player->x = 150;
  player->y = 150;
}

SDL_Surface* wrap(std::uint32_t* pixels, int w, int h) {
  return SDL_CreateRGBSurfaceWithFormatFrom(pixels, w, h, 32, w * 4, SDL_PIXELFORMAT_RGB888);
}

struct SdlScene {
  SDL_Surface* frame;
  SDL_Surface* background;
  SDL_Surface* block;
  SDL_Surface* bubble;
  SDL_Surface* player;
};

SdlScene makeSdlScene(bool runLength) {
  setUpGame();
  static std::vector<std::uint32_t> frame(frameW * frameH);
  SdlScene scene{wrap(frame.data(), frameW, frameH), wrap(assets->background, frameW, frameH),
                 wrap(assets->block, 8, 8), wrap(assets->bubble, 16, 16), wrap(assets->rightWalk2, 16, 16)};
  for (SDL_Surface* sprite : {scene.block, scene.bubble, scene.player}) {
    SDL_SetColorKey(sprite, SDL_TRUE, 0);
    if (runLength) SDL_SetSurfaceRLE(sprite, 1);
  }
  return scene;
}

void blitAt(SDL_Surface* sprite, SDL_Surface* frame, int x, int y) {
  SDL_Rect to{x, y, sprite->w, sprite->h};
  SDL_BlitSurface(sprite, nullptr, frame, &to);
}

void drawSdlTiles(const SdlScene& scene) {
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      if (isBlock(levelCell(c, r))) blitAt(scene.block, scene.frame, c * 8, r * 8);
    }
  }
}

void drawSdlSprites(const SdlScene& scene) {
  GameSnapshot state;
  snapshotGameState(state);
  for (const Bubble& b : state.bubbles.slots) {
    if (b.x != freeSlotMarker) blitAt(scene.bubble, scene.frame, b.x, b.y - 16);
  }
  blitAt(scene.player, scene.frame, state.player.x, state.player.y - 16);
}

void BM_Compose_Kestrix(benchmark::State& state) {
  setUpGame();
  for (auto _ : state) benchmark::DoNotOptimize(composeFrame());
}
BENCHMARK(BM_Compose_Kestrix)->Name("compose/kestrix");

void BM_Compose_KestrixEveryTile(benchmark::State& state) {
  setUpGame();
  static std::vector<std::uint32_t> frame(frameW * frameH);
  for (auto _ : state) {
    std::memcpy(frame.data(), assets->background, frameW * frameH * 4);
    for (int r = 0; r < levelRows; ++r) {
      for (int c = 0; c < levelColumns; ++c) {
        if (isBlock(levelCell(c, r))) blit(assets->block, 8, 8, c * 8, r * 8, 8, 8, frame.data(), blitKeyed, 0);
      }
    }
    GameSnapshot game;
    snapshotGameState(game);
    for (const Bubble& b : game.bubbles.slots) {
      if (b.x != freeSlotMarker) blit(assets->bubble, 16, 16, b.x, b.y - 16, 16, 16, frame.data(), blitKeyed, 0);
    }
    blit(assets->rightWalk2, 16, 16, game.player.x, game.player.y - 16, 16, 16, frame.data(), blitKeyed, 0);
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_Compose_KestrixEveryTile)->Name("compose/kestrix_every_tile");

void BM_Compose_SdlOrdinary(benchmark::State& state) {
  const SdlScene scene = makeSdlScene(false);
  for (auto _ : state) {
    SDL_BlitSurface(scene.background, nullptr, scene.frame, nullptr);
    drawSdlTiles(scene);
    drawSdlSprites(scene);
    benchmark::DoNotOptimize(scene.frame->pixels);
  }
}
BENCHMARK(BM_Compose_SdlOrdinary)->Name("compose/sdl");

void BM_Compose_SdlBest(benchmark::State& state) {
  const SdlScene scene = makeSdlScene(true);
  for (auto _ : state) {
    std::memcpy(scene.frame->pixels, assets->background, frameW * frameH * 4);
    drawSdlTiles(scene);
    drawSdlSprites(scene);
    benchmark::DoNotOptimize(scene.frame->pixels);
  }
}
BENCHMARK(BM_Compose_SdlBest)->Name("compose/sdl_best");

void BM_Compose_SdlBestBackdrop(benchmark::State& state) {
  const SdlScene scene = makeSdlScene(true);
  for (auto _ : state) {
    std::memcpy(scene.frame->pixels, assets->backdrop, frameW * frameH * 4);
    drawSdlSprites(scene);
    benchmark::DoNotOptimize(scene.frame->pixels);
  }
}
BENCHMARK(BM_Compose_SdlBestBackdrop)->Name("compose/sdl_best_backdrop");

void BM_Compose_Copy(benchmark::State& state) {
  setUpGame();
  static std::vector<std::uint32_t> frame(frameW * frameH);
  for (auto _ : state) {
    std::memcpy(frame.data(), assets->background, frameW * frameH * 4);
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_Compose_Copy)->Name("compose/memcpy");

}  // namespace

int main(int argc, char** argv) { return runComparisonBenchmarks(argc, argv); }
