// The blitter against SDL2's software surfaces, on the same pictures, frame and positions:
// a whole frame's keyed tiles and sprites, scaled copies and the additive mode. The
// "kestrix_plain" entries run the same work through the plain loops alone, "kestrix_sheet"
// with blitRect from one sheet holding the tile and the sprite side by side.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/ratio_main.h"
#include "display/blit.h"
#include "display/blit_ops.h"
#include "display/display.h"
#include "game/level_map.h"

namespace {

constexpr int frameW = 320;
constexpr int frameH = 240;

struct Picture {
  int w, h;
  std::vector<std::uint32_t> pixels;
};

std::uint32_t nextRandom(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

// An opaque block with a few black (transparent) pixels in its corners.
Picture makeTile() {
  Picture p{8, 8, std::vector<std::uint32_t>(64)};
  std::uint32_t seed = 1;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool corner = (x == 0 || x == 7) && (y == 0 || y == 7);
      p.pixels[static_cast<std::size_t>(y * 8 + x)] = corner ? 0 : (nextRandom(seed) & 0x00FFFFFF) | 0x00101010;
    }
  }
  return p;
}

// A disc on a black (transparent) ground, as a bubble or the player is.
Picture makeSprite() {
  Picture p{16, 16, std::vector<std::uint32_t>(256)};
  std::uint32_t seed = 2;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      const bool inside = dx * dx + dy * dy <= 15 * 15;
      p.pixels[static_cast<std::size_t>(y * 16 + x)] = inside ? (nextRandom(seed) & 0x00FFFFFF) | 0x00101010 : 0;
    }
  }
  return p;
}

Picture makeBackground() {
  Picture p{frameW, frameH, std::vector<std::uint32_t>(frameW * frameH)};
  std::uint32_t seed = 3;
  for (auto& px : p.pixels) px = nextRandom(seed) & 0x003F3F3F;
  return p;
}

// The sprite in columns 0–15 and the tile in columns 16–23, rows 0–7.
Picture makeSheet(const Picture& tile, const Picture& sprite) {
  Picture p{24, 16, std::vector<std::uint32_t>(24 * 16)};
  for (std::size_t y = 0; y < 16; ++y) {
    std::copy_n(&sprite.pixels[y * 16], 16, &p.pixels[y * 24]);
    if (y < 8) std::copy_n(&tile.pixels[y * 8], 8, &p.pixels[y * 24 + 16]);
  }
  return p;
}

struct Position {
  int x, y;
};

// One tile per block of the level: 295 of them.
std::vector<Position> tilePositions() {
  std::vector<Position> at;
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      if (isBlock(levelCell(c, r))) at.push_back({c * levelCellSize, r * levelCellSize});
    }
  }
  return at;
}

// 31 sprites spread over the frame; a few hang over each edge.
std::vector<Position> spritePositions() {
  std::vector<Position> at;
  std::uint32_t seed = 4;
  for (int i = 0; i < 27; ++i) {
    at.push_back(
        {static_cast<int>(nextRandom(seed) % (frameW - 16)), static_cast<int>(nextRandom(seed) % (frameH - 16))});
  }
  at.push_back({-5, 100});
  at.push_back({310, 40});
  at.push_back({150, -9});
  at.push_back({60, 233});
  return at;
}

SDL_Surface* surfaceOver(Picture& p) {
  return SDL_CreateRGBSurfaceWithFormatFrom(p.pixels.data(), p.w, p.h, 32, p.w * 4, SDL_PIXELFORMAT_RGB888);
}

// Everything the benchmarks draw with, made once.
struct Scene {
  Picture tile = makeTile();
  Picture sprite = makeSprite();
  Picture background = makeBackground();
  Picture frame{frameW, frameH, std::vector<std::uint32_t>(frameW* frameH)};
  Picture sheet = makeSheet(tile, sprite);
  std::vector<Position> tiles = tilePositions();
  std::vector<Position> sprites = spritePositions();
  SDL_Surface* frameSurface = surfaceOver(frame);

  Scene() { resetFrame(); }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Copies in place: frameSurface points at the frame's pixels.
  void resetFrame() { std::copy(background.pixels.begin(), background.pixels.end(), frame.pixels.begin()); }

  // A fresh SDL surface over a picture, with the colour key 0 and RLE as asked.
  SDL_Surface* keyedSurface(Picture& p, bool rle) {
    SDL_Surface* s = surfaceOver(p);
    SDL_SetColorKey(s, SDL_TRUE, 0);
    SDL_SetSurfaceRLE(s, rle ? 1 : 0);
    return s;
  }
};

Scene& scene() {
  static Scene s;
  return s;
}

void setPixelCounter(benchmark::State& state, std::int64_t pixelsPerIteration) {
  state.counters["px/s"] =
      benchmark::Counter(static_cast<double>(pixelsPerIteration), benchmark::Counter::kIsIterationInvariantRate);
}

constexpr std::int64_t framePixels = 295 * 64 + 31 * 256;  // before clipping

// blit, or blitPlain to show what the fast paths gain.
using BlitFunction = void (*)(const std::uint32_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                              std::int32_t, std::int32_t, std::uint32_t*, std::int32_t, std::uint32_t);

void drawKeyedFrameKestrix(Scene& s, BlitFunction draw) {
  std::uint32_t* frame = s.frame.pixels.data();
  for (const Position& p : s.tiles) draw(s.tile.pixels.data(), 8, 8, p.x, p.y, 8, 8, frame, blitKeyed, 0);
  for (const Position& p : s.sprites) draw(s.sprite.pixels.data(), 16, 16, p.x, p.y, 16, 16, frame, blitKeyed, 0);
}

void drawKeyedFrameSdl(Scene& s, SDL_Surface* tile, SDL_Surface* sprite) {
  for (const Position& p : s.tiles) {
    SDL_Rect at{p.x, p.y, 8, 8};
    SDL_BlitSurface(tile, nullptr, s.frameSurface, &at);
  }
  for (const Position& p : s.sprites) {
    SDL_Rect at{p.x, p.y, 16, 16};
    SDL_BlitSurface(sprite, nullptr, s.frameSurface, &at);
  }
}

void keyedFrameFromSheet(benchmark::State& state) {
  Scene& s = scene();
  std::uint32_t* frame = s.frame.pixels.data();
  const std::uint32_t* sheet = s.sheet.pixels.data();
  for (auto _ : state) {
    for (const Position& p : s.tiles) blitRect(sheet, 24, 16, 0, 8, 8, p.x, p.y, 8, 8, frame, blitKeyed, 0);
    for (const Position& p : s.sprites) blitRect(sheet, 24, 0, 0, 16, 16, p.x, p.y, 16, 16, frame, blitKeyed, 0);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state, framePixels);
}

void keyedFrameKestrix(benchmark::State& state, BlitFunction draw) {
  Scene& s = scene();
  for (auto _ : state) {
    drawKeyedFrameKestrix(s, draw);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state, framePixels);
}

// Draws the frame's tiles and sprites once with each library from the same background:
// both must give the same picture, or the comparison would not be of the same work.
bool sameKeyedFrame(Scene& s, SDL_Surface* tile, SDL_Surface* sprite) {
  s.resetFrame();
  drawKeyedFrameSdl(s, tile, sprite);
  const std::vector<std::uint32_t> bySdl = s.frame.pixels;
  s.resetFrame();
  drawKeyedFrameKestrix(s, blit);
  return s.frame.pixels == bySdl;
}

void keyedFrameSdl(benchmark::State& state, bool rle) {
  Scene& s = scene();
  SDL_Surface* tile = s.keyedSurface(s.tile, rle);
  SDL_Surface* sprite = s.keyedSurface(s.sprite, rle);
  if (!sameKeyedFrame(s, tile, sprite)) state.SkipWithError("SDL drew a different frame");
  for (auto _ : state) {
    drawKeyedFrameSdl(s, tile, sprite);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(tile);
  SDL_FreeSurface(sprite);
  setPixelCounter(state, framePixels);
}

void keyedFrameSdlPlain(benchmark::State& state) { keyedFrameSdl(state, false); }
void keyedFrameSdlRle(benchmark::State& state) { keyedFrameSdl(state, true); }

// Scaled copies: picture (w × h) drawn at (x, y) as tw × th.
struct ScaledCase {
  bool small;  // the 16×16 sprite at 32×32, or the whole background at half size
  int x, y, tw, th;
};
constexpr ScaledCase spriteDoubled{true, 100, 80, 32, 32};
constexpr ScaledCase frameHalved{false, 80, 60, 160, 120};

void scaledKestrix(benchmark::State& state, ScaledCase c, BlitFunction draw) {
  Scene& s = scene();
  Picture& p = c.small ? s.sprite : s.background;
  for (auto _ : state) {
    draw(p.pixels.data(), p.w, p.h, c.x, c.y, c.tw, c.th, s.frame.pixels.data(), blitCopy, 0);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state, c.tw * c.th);
}

void scaledSdl(benchmark::State& state, ScaledCase c) {
  Scene& s = scene();
  Picture& p = c.small ? s.sprite : s.background;
  SDL_Surface* source = surfaceOver(p);
  for (auto _ : state) {
    SDL_Rect at{c.x, c.y, c.tw, c.th};
    SDL_BlitScaled(source, nullptr, s.frameSurface, &at);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(source);
  setPixelCounter(state, c.tw * c.th);
}

// Mode 2: the background added onto the whole frame, and the sprites added at their places.
void addFrameKestrix(benchmark::State& state, BlitFunction draw) {
  Scene& s = scene();
  for (auto _ : state) {
    draw(s.background.pixels.data(), frameW, frameH, 0, 0, frameW, frameH, s.frame.pixels.data(), blitAddSaturate, 0);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state, frameW * frameH);
}

void addFrameSdl(benchmark::State& state) {
  Scene& s = scene();
  SDL_Surface* source = surfaceOver(s.background);
  SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_ADD);
  for (auto _ : state) {
    SDL_Rect at{0, 0, frameW, frameH};
    SDL_BlitSurface(source, nullptr, s.frameSurface, &at);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(source);
  setPixelCounter(state, frameW * frameH);
}

void addSpritesKestrix(benchmark::State& state, BlitFunction draw) {
  Scene& s = scene();
  for (auto _ : state) {
    for (const Position& p : s.sprites) {
      draw(s.sprite.pixels.data(), 16, 16, p.x, p.y, 16, 16, s.frame.pixels.data(), blitAddSaturate, 0);
    }
    benchmark::ClobberMemory();
  }
  setPixelCounter(state, 31 * 256);
}

void addSpritesSdl(benchmark::State& state) {
  Scene& s = scene();
  SDL_Surface* source = surfaceOver(s.sprite);
  SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_ADD);
  for (auto _ : state) {
    for (const Position& p : s.sprites) {
      SDL_Rect at{p.x, p.y, 16, 16};
      SDL_BlitSurface(source, nullptr, s.frameSurface, &at);
    }
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(source);
  setPixelCounter(state, 31 * 256);
}

}  // namespace

BENCHMARK_CAPTURE(keyedFrameKestrix, fast, blit)->Name("keyedFrame/kestrix");
BENCHMARK_CAPTURE(keyedFrameKestrix, plain, blitPlain)->Name("keyedFrame/kestrix_plain");
BENCHMARK(keyedFrameFromSheet)->Name("keyedFrame/kestrix_sheet");
BENCHMARK(keyedFrameSdlPlain)->Name("keyedFrame/sdl");
BENCHMARK(keyedFrameSdlRle)->Name("keyedFrame/sdl_rle");
BENCHMARK_CAPTURE(scaledKestrix, fast, spriteDoubled, blit)->Name("scaled16to32/kestrix");
BENCHMARK_CAPTURE(scaledKestrix, plain, spriteDoubled, blitPlain)->Name("scaled16to32/kestrix_plain");
BENCHMARK_CAPTURE(scaledSdl, sprite, spriteDoubled)->Name("scaled16to32/sdl");
BENCHMARK_CAPTURE(scaledKestrix, fast, frameHalved, blit)->Name("scaled320to160/kestrix");
BENCHMARK_CAPTURE(scaledKestrix, plain, frameHalved, blitPlain)->Name("scaled320to160/kestrix_plain");
BENCHMARK_CAPTURE(scaledSdl, frame, frameHalved)->Name("scaled320to160/sdl");
BENCHMARK_CAPTURE(addFrameKestrix, fast, blit)->Name("addFrame/kestrix");
BENCHMARK_CAPTURE(addFrameKestrix, plain, blitPlain)->Name("addFrame/kestrix_plain");
BENCHMARK(addFrameSdl)->Name("addFrame/sdl");
BENCHMARK_CAPTURE(addSpritesKestrix, fast, blit)->Name("addSprites/kestrix");
BENCHMARK_CAPTURE(addSpritesKestrix, plain, blitPlain)->Name("addSprites/kestrix_plain");
BENCHMARK(addSpritesSdl)->Name("addSprites/sdl");

int main(int argc, char** argv) { return runComparisonBenchmarks(argc, argv); }
