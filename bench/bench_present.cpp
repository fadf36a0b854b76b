// presentFrame through the real DirectDraw and Direct3D layer, on SDL's dummy video driver
// with its software renderer, at 320×240 and 640×480: the whole call on each back-end and
// depth, and each of its steps (Direct3D: the upload into the texture, the quad drawn and
// presented; DirectDraw: the frame converted into the locked surface, the copy and flip),
// beside a memcpy of the frame. No wait for the display's refresh (there is none to wait
// for); a check that no frame allocates. The summary gives each median at both sizes and
// how it grows: a cost that follows the pixels is 1.00 of four times its 320×240 one.
// Each runs warm (the frame and the surface left in the core's caches from the frame
// before, as a loop presenting one frame after another has them) and cold (the caches
// filled with other data before each frame): a 320×240 frame and its surface fit in a
// core's L2 cache where a 640×480 pair may not, which a copy's cost shows warm.
// SDL_VIDEODRIVER and SDL_RENDER_DRIVER, when set, choose another driver.
#include <benchmark/benchmark.h>
#include <d3d8.h>
#include <ddraw.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_main.h"
#include "display/convert.h"
#include "display/display.h"
#include "tests/support/allocation_count.h"

namespace {

const bool headless = [] {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_RENDER_DRIVER", "software", 0);
  setenv("SDL_RENDER_VSYNC", "0", 1);  // frames as fast as they come, not at the refresh
  return true;
}();

std::vector<std::uint32_t> makeFrame(int width, int height) {
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * height);
  std::uint32_t seed = 7;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const std::uint32_t noise = (seed >> 24) & 0x0F;
      frame[static_cast<std::size_t>(y) * width + x] =
          ((x * 255 / width) ^ noise) << 16 | (y * 255 / height) << 8 | ((x + y) & 0xFF);
    }
  }
  return frame;
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

void setting(const char* name, const char* value) {
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

enum class Step { whole, upload, drawAndPresent, convert, flip };

// One step of presenting, as presentFrame takes it.
void runStep(DisplayContext& context, Step step, const std::uint32_t* frame) {
  const int width = displaySettings.frameWidth;
  const int height = displaySettings.frameHeight;
  switch (step) {
    case Step::whole:
      context.presentFrame(frame);
      break;
    case Step::upload: {
      const RECT rect{0, 0, width, height};
      D3DLOCKED_RECT locked{};
      if (context.texture->LockRect(0, &locked, &rect, 0) != D3D_OK) return;
      auto* row = static_cast<std::uint8_t*>(locked.pBits);
      for (int y = 0; y < height; ++y, row += locked.Pitch) {
        std::memcpy(row, frame + static_cast<std::size_t>(y) * width, static_cast<std::size_t>(width) * 4);
      }
      context.texture->UnlockRect(0);
      break;
    }
    case Step::drawAndPresent: {
      IDirect3DDevice8& device = *context.device;
      device.BeginScene();
      device.SetTexture(0, context.texture);
      device.SetStreamSource(0, context.vertexBuffer, 20);
      device.SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
      device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
      device.EndScene();
      device.Present(nullptr, nullptr, nullptr, nullptr);
      break;
    }
    case Step::convert: {
      DDSURFACEDESC2 description{};
      description.dwSize = sizeof description;
      if (context.offscreenSurface->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) != DD_OK) {
        return;
      }
      convertFrame(frame, description.lpSurface, description.lPitch);
      context.offscreenSurface->Unlock(nullptr);
      break;
    }
    case Step::flip:
      context.flipToScreen();
      break;
  }
}

// Other data, made before any benchmark counts allocations: made at its first use, it was
// counted as the first cold benchmark's, which then reported that presenting allocates.
std::vector<std::uint64_t> other(std::size_t{8} << 20 >> 3);

// Fills the core's caches (L1 and L2, several MiB on today's processors) with other data.
void evictCaches() {
  for (std::size_t i = 0; i < other.size(); i += 8) ++other[i];  // one write a cache line
  benchmark::ClobberMemory();
}

// Runs the body once a frame, after filling the caches where the benchmark is cold.
template <typename Body>
void eachFrame(benchmark::State& state, Body body) {
  const bool cold = state.range(1) != 0;
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      evictCaches();
      state.ResumeTiming();
    }
    body();
  }
}

void present(benchmark::State& state, int backend, const char* depths, const char* format16, Step step) {
  const int width = static_cast<int>(state.range(0));
  const int height = width * 3 / 4;
  setting("KESTRIX_DIRECT3D", backend == backendDirectDraw ? "0" : nullptr);
  setting("KESTRIX_DISPLAY_DEPTHS", depths);
  setting("KESTRIX_16BIT", format16);
  displaySettings = DisplaySettings{};
  displaySettings.frameWidth = width;
  displaySettings.frameHeight = height;
  static int count = 0;
  const std::string name = "Kestrix present benchmark " + std::to_string(++count);
  const std::vector<std::uint32_t> frame = makeFrame(width, height);
  {
    DisplayContext context(name.c_str());
    context.createWindow(GetModuleHandleA(nullptr));
    const bool direct3D = backend == backendDirect3D;
    if (context.initDisplay(backend, direct3D ? 800 : width, direct3D ? 600 : height) != 0) {
      state.SkipWithError("the display cannot be opened");
    } else {
      for (int i = 0; i < 3; ++i) context.presentFrame(frame.data());  // first frames size what they reuse
      const long before = allocationCount();
      eachFrame(state, [&] { runStep(context, step, frame.data()); });
      const long made = allocationCount() - before;
      state.counters["allocations"] = static_cast<double>(made);
      if (made != 0) state.SkipWithError("presenting allocates");
    }
    DestroyWindow(context.window);  // the program's order: the window, then the display object
    pump();
  }
}

// The yardstick: the frame copied once, as the 32-bit path does.
void frameMemcpy(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const std::vector<std::uint32_t> frame = makeFrame(width, width * 3 / 4);
  std::vector<std::uint32_t> copy(frame.size());
  eachFrame(state, [&] {
    std::memcpy(copy.data(), frame.data(), frame.size() * 4);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  });
}

// Warm, then cold: a fixed count of frames, since filling the caches takes longer than
// most steps do.
void sizes(benchmark::internal::Benchmark* b) {
  b->Args({320, 0})->Args({640, 0})->Unit(benchmark::kMicrosecond);
}
void coldSizes(benchmark::internal::Benchmark* b) {
  b->Args({320, 1})->Args({640, 1})->Iterations(200)->Unit(benchmark::kMicrosecond);
}
#define KESTRIX_PRESENT(name, ...)                             \
  BENCHMARK_CAPTURE(present, name, __VA_ARGS__)->Apply(sizes); \
  BENCHMARK_CAPTURE(present, name, __VA_ARGS__)->Apply(coldSizes)
KESTRIX_PRESENT(direct3D_800x600, backendDirect3D, nullptr, nullptr, Step::whole);
KESTRIX_PRESENT(direct3D_upload, backendDirect3D, nullptr, nullptr, Step::upload);
KESTRIX_PRESENT(direct3D_drawAndPresent, backendDirect3D, nullptr, nullptr, Step::drawAndPresent);
KESTRIX_PRESENT(directDraw_32, backendDirectDraw, "32", nullptr, Step::whole);
KESTRIX_PRESENT(directDraw_24, backendDirectDraw, "24", nullptr, Step::whole);
KESTRIX_PRESENT(directDraw_16_565, backendDirectDraw, "16", nullptr, Step::whole);
KESTRIX_PRESENT(directDraw_16_555, backendDirectDraw, "16", "555", Step::whole);
KESTRIX_PRESENT(directDraw_8, backendDirectDraw, "8", nullptr, Step::whole);
KESTRIX_PRESENT(convert_32, backendDirectDraw, "32", nullptr, Step::convert);
KESTRIX_PRESENT(convert_24, backendDirectDraw, "24", nullptr, Step::convert);
KESTRIX_PRESENT(convert_16_565, backendDirectDraw, "16", nullptr, Step::convert);
KESTRIX_PRESENT(convert_16_555, backendDirectDraw, "16", "555", Step::convert);
KESTRIX_PRESENT(convert_8, backendDirectDraw, "8", nullptr, Step::convert);
KESTRIX_PRESENT(flip_32, backendDirectDraw, "32", nullptr, Step::flip);
KESTRIX_PRESENT(flip_8, backendDirectDraw, "8", nullptr, Step::flip);
BENCHMARK(frameMemcpy)->Apply(sizes);
BENCHMARK(frameMemcpy)->Apply(coldSizes);

// The console's output, and each benchmark's median CPU time per size, warm and cold.
class GrowthReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    benchmark::ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      const std::string& name = run.run_name.function_name;
      order_.emplace(run.family_index, name);
      medians_[name + "/" + run.run_name.args] =
          run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
    }
  }

  void printSummary() {
    for (const char* cold : {"0", "1"}) {
      std::printf("\n%s: median CPU time per frame at 320x240 and 640x480; growth = 640x480 / (4 x 320x240)\n",
                  cold[0] == '0' ? "Warm" : "Cold");
      const auto at = [&](const std::string& name, const char* width) {
        return medians_[name + "/" + width + "/" + cold];
      };
      std::vector<std::string> seen;
      for (const auto& [family, name] : order_) {
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(name);
        const double small = at(name, "320"), large = at(name, "640");
        std::printf("  %-32s %9.2f us %9.2f us  growth %.2f\n", name.c_str(), small, large,
                    small > 0 ? large / (4 * small) : 0.0);
      }
      for (const char* name : {"present/convert_16_565", "present/convert_16_555"}) {
        std::printf("  %s / memcpy: 320x240 %.2f, 640x480 %.2f\n", name, at(name, "320") / at("frameMemcpy", "320"),
                    at(name, "640") / at("frameMemcpy", "640"));
      }
    }
  }

 private:
  std::map<std::int64_t, std::string> order_;  // registration order
  std::map<std::string, double> medians_;      // name/width/cold -> us
};

}  // namespace

int main(int argc, char** argv) {
  GrowthReporter reporter;
  const int code = runBenchmarksOnASharedMachine(argc, argv, 9, reporter);
  if (code == 0) reporter.printSummary();
  return code;
}
