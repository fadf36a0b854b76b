// Frame conversion against SDL_ConvertPixels at 32, 24 and both 16-bit formats, every depth
// against a plain memcpy of the 32-bit frame (the yardstick: the 16-bit conversions aim at
// no more than 1.5 times its time, a memcpy ratio of x0.67 or more), and the 8-bit
// dithering (which SDL lacks) against SDL's undithered conversion to 3-3-2. The
// "kestrix_plain" entries run the plain loops alone, "kestrix_sse2" the SSE2 rows that
// processors without the faster instruction sets get; "kestrix_rows" copies row by row.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/ratio_main.h"
#include "display/convert.h"
#include "display/convert_rows.h"
#include "display/display.h"
#include "display/dither332_loops.h"

namespace {

constexpr int frameW = 320;
constexpr int frameH = 240;
constexpr int framePixels = frameW * frameH;

// A picture with smooth gradients and some noise, so that the dithering has work to do.
std::vector<std::uint32_t> makeFrame() {
  std::vector<std::uint32_t> frame(framePixels);
  std::uint32_t seed = 7;
  for (int y = 0; y < frameH; ++y) {
    for (int x = 0; x < frameW; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const std::uint32_t noise = (seed >> 24) & 0x0F;
      const std::uint32_t r = (x * 255 / frameW) ^ noise, g = (y * 255 / frameH), b = ((x + y) / 2) & 0xFF;
      frame[static_cast<std::size_t>(y * frameW + x)] = (r << 16) | (g << 8) | b;
    }
  }
  return frame;
}

const std::vector<std::uint32_t>& frame() {
  static const std::vector<std::uint32_t> f = makeFrame();
  return f;
}

// The destination surface memory, 4 bytes a pixel: big enough for every format.
std::vector<unsigned char>& surface() {
  static std::vector<unsigned char> s(framePixels * 4);
  return s;
}

void setPixelCounter(benchmark::State& state) {
  state.counters["px/s"] = benchmark::Counter(framePixels, benchmark::Counter::kIsIterationInvariantRate);
}

void convertKestrix(benchmark::State& state, int depth, int green6Bit, int bytesPerPixel) {
  displaySettings.displayDepth = depth;
  displaySettings.green6Bit = green6Bit;
  for (auto _ : state) {
    convertFrame(frame().data(), surface().data(), frameW * bytesPerPixel);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state);
}

// The plain row loops alone, to show what the fast rows gain.
void convertPlain(benchmark::State& state, ConvertRow convertRow, int bytesPerPixel) {
  for (auto _ : state) {
    for (int y = 0; y < frameH; ++y) {
      convertRow(frame().data() + y * frameW, surface().data() + y * frameW * bytesPerPixel, frameW);
    }
    benchmark::ClobberMemory();
  }
  setPixelCounter(state);
}

void convertSdl(benchmark::State& state, Uint32 format, int bytesPerPixel) {
  for (auto _ : state) {
    SDL_ConvertPixels(frameW, frameH, SDL_PIXELFORMAT_RGB888, frame().data(), frameW * 4, format, surface().data(),
                      frameW * bytesPerPixel);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state);
}

void copyFrame(benchmark::State& state) {
  for (auto _ : state) {
    std::memcpy(surface().data(), frame().data(), framePixels * 4);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state);
}

void ditherKestrix(benchmark::State& state, decltype(&ditherTo332) dither) {
  for (auto _ : state) {
    dither(frame().data(), surface().data(), frameW, frameW, frameH);
    benchmark::ClobberMemory();
  }
  setPixelCounter(state);
}

}  // namespace

BENCHMARK_CAPTURE(convertKestrix, 32, 32, 1, 4)->Name("convert32/kestrix");
BENCHMARK_CAPTURE(convertPlain, 32, rowTo32Plain, 4)->Name("convert32/kestrix_rows");
BENCHMARK(copyFrame)->Name("convert32/memcpy");
BENCHMARK_CAPTURE(convertSdl, 32, SDL_PIXELFORMAT_RGB888, 4)->Name("convert32/sdl");
BENCHMARK_CAPTURE(convertKestrix, 24, 24, 1, 3)->Name("convert24/kestrix");
BENCHMARK_CAPTURE(convertPlain, 24, rowTo24Plain, 3)->Name("convert24/kestrix_plain");
BENCHMARK_CAPTURE(convertPlain, 24, rowTo24Sse2, 3)->Name("convert24/kestrix_sse2");
BENCHMARK(copyFrame)->Name("convert24/memcpy");
BENCHMARK_CAPTURE(convertSdl, 24, SDL_PIXELFORMAT_BGR24, 3)->Name("convert24/sdl");
BENCHMARK_CAPTURE(convertKestrix, 565, 16, 1, 2)->Name("convert565/kestrix");
BENCHMARK_CAPTURE(convertPlain, 565, rowTo565Plain, 2)->Name("convert565/kestrix_plain");
BENCHMARK_CAPTURE(convertPlain, 565, rowTo565Sse2, 2)->Name("convert565/kestrix_sse2");
BENCHMARK(copyFrame)->Name("convert565/memcpy");
BENCHMARK_CAPTURE(convertSdl, 565, SDL_PIXELFORMAT_RGB565, 2)->Name("convert565/sdl");
BENCHMARK_CAPTURE(convertKestrix, 555, 16, 0, 2)->Name("convert555/kestrix");
BENCHMARK_CAPTURE(convertPlain, 555, rowTo555Plain, 2)->Name("convert555/kestrix_plain");
BENCHMARK_CAPTURE(convertPlain, 555, rowTo555Sse2, 2)->Name("convert555/kestrix_sse2");
BENCHMARK(copyFrame)->Name("convert555/memcpy");
BENCHMARK_CAPTURE(convertSdl, 555, SDL_PIXELFORMAT_RGB555, 2)->Name("convert555/sdl");
BENCHMARK_CAPTURE(ditherKestrix, fast, ditherTo332)->Name("dither332/kestrix");
BENCHMARK_CAPTURE(ditherKestrix, plain, ditherTo332Plain)->Name("dither332/kestrix_plain");
BENCHMARK(copyFrame)->Name("dither332/memcpy");
BENCHMARK_CAPTURE(convertSdl, 332, SDL_PIXELFORMAT_RGB332, 1)->Name("dither332/sdl_undithered");

int main(int argc, char** argv) { return runComparisonBenchmarks(argc, argv); }
