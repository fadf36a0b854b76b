// presentFrame through the real DirectDraw and Direct3D layer, on SDL's dummy video driver
// with its software renderer: the time of one frame on each back-end and depth, with no
// wait for the display's refresh (there is none to wait for), and a check that no frame
// allocates. SDL_VIDEODRIVER and SDL_RENDER_DRIVER, when set, choose another driver.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/allocation_count.h"
#include "display/display.h"

namespace {

const bool headless = [] {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_RENDER_DRIVER", "software", 0);
  setenv("SDL_RENDER_VSYNC", "0", 1);  // frames as fast as they come, not at the refresh
  return true;
}();

std::vector<std::uint32_t> makeFrame() {
  std::vector<std::uint32_t> frame(320 * 240);
  std::uint32_t seed = 7;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const std::uint32_t noise = (seed >> 24) & 0x0F;
      frame[static_cast<std::size_t>(y * 320 + x)] =
          ((x * 255 / 320) ^ noise) << 16 | (y * 255 / 240) << 8 | ((x + y) & 0xFF);
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

void present(benchmark::State& state, int backend, const char* depths, const char* format16) {
  setting("KESTRIX_DIRECT3D", backend == backendDirectDraw ? "0" : nullptr);
  setting("KESTRIX_DISPLAY_DEPTHS", depths);
  setting("KESTRIX_16BIT", format16);
  displaySettings = DisplaySettings{};
  static int count = 0;
  const std::string name = "Kestrix present benchmark " + std::to_string(++count);
  const std::vector<std::uint32_t> frame = makeFrame();
  {
    DisplayContext context(name.c_str());
    context.createWindow(GetModuleHandleA(nullptr));
    const bool direct3D = backend == backendDirect3D;
    if (context.initDisplay(backend, direct3D ? 800 : 320, direct3D ? 600 : 240) != 0) {
      state.SkipWithError("the display cannot be opened");
    } else {
      for (int i = 0; i < 3; ++i) context.presentFrame(frame.data());  // first frames size what they reuse
      const long before = allocationCount();
      for (auto _ : state) context.presentFrame(frame.data());
      const long made = allocationCount() - before;
      state.counters["allocations"] = static_cast<double>(made);
      if (made != 0) state.SkipWithError("presentFrame allocates");
    }
    DestroyWindow(context.window);  // the program's order: the window, then the display object
    pump();
  }
}

BENCHMARK_CAPTURE(present, direct3D_800x600, backendDirect3D, nullptr, nullptr)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(present, directDraw_32, backendDirectDraw, "32", nullptr)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(present, directDraw_24, backendDirectDraw, "24", nullptr)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(present, directDraw_16_565, backendDirectDraw, "16", nullptr)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(present, directDraw_16_555, backendDirectDraw, "16", "555")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(present, directDraw_8, backendDirectDraw, "8", nullptr)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
