// PCX decoding, side by side with SDL2_image on the same bytes: the library's loader into
// 0x00RRGGBB pixels (from a stream in memory, into the caller's buffer), against
// IMG_LoadPCX_RW followed by the conversion of its surface to 32-bit pixels. Pictures: three
// 320×240 run-length pictures of different content and a 16×16 sprite. After the runs, the
// medians and the ratio SDL2_image / ours are printed for each picture.
#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "display/pcx.h"
#include "tools/pcx_writer/pcx_writer.h"

namespace {

struct Picture {
  std::string name;
  int width;
  int height;
  std::vector<unsigned char> file;
};

std::uint32_t rgb(unsigned r, unsigned g, unsigned b) { return (r & 255) << 16 | (g & 255) << 8 | (b & 255); }

Picture make(const std::string& name, int width, int height, std::uint32_t (*pixel)(int, int)) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y * width + x)] = pixel(x, y);
  }
  return {name, width, height, encodePcx3(pixels.data(), width, height, true)};
}

const std::vector<Picture>& pictures() {
  static const std::vector<Picture> all = {
      make("gradient320x240", 320, 240,
           [](int x, int y) { return rgb(x * 255 / 319, y * 255 / 239, (x + y) * 255 / 558); }),
      make("poster320x240", 320, 240,
           [](int x, int y) {
             static const std::uint32_t colours[] = {0x203040, 0xE0C020, 0x40A040, 0xC03020, 0x101010, 0x80C0F0};
             return colours[(x / 40 + y / 30 * 3 + (x > y ? 1 : 0)) % 6];
           }),
      make("noise320x240", 320, 240,
           [](int x, int y) {
             const std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u) * 2654435761u;
             return h >> 8;
           }),
      make("sprite16x16", 16, 16,
           [](int x, int y) {
             const int dx = x - 8, dy = y - 8;
             return dx * dx + dy * dy < 40 ? rgb(0xF0, 0x80 + y * 8, 0x20) : 0u;
           }),
  };
  return all;
}

void decodeOurs(const Picture& picture, std::uint32_t* out) {
  std::FILE* stream = fmemopen(const_cast<unsigned char*>(picture.file.data()), picture.file.size(), "rb");
  readPcx(stream, picture.name.c_str(), out, static_cast<std::size_t>(picture.width * picture.height) * 4, nullptr);
  std::fclose(stream);
}

SDL_Surface* decodeSdl(const Picture& picture) {
  SDL_RWops* rw = SDL_RWFromConstMem(picture.file.data(), static_cast<int>(picture.file.size()));
  SDL_Surface* loaded = IMG_LoadPCX_RW(rw);
  SDL_RWclose(rw);
  if (loaded == nullptr) return nullptr;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);  // 0x00RRGGBB
  SDL_FreeSurface(loaded);
  return converted;
}

// Both decoders must produce the same pixels, or the comparison means nothing.
void checkAgreement(const Picture& picture) {
  std::vector<std::uint32_t> ours(static_cast<std::size_t>(picture.width * picture.height));
  decodeOurs(picture, ours.data());
  SDL_Surface* theirs = decodeSdl(picture);
  bool same = theirs != nullptr;
  for (int y = 0; same && y < picture.height; ++y) {
    same = std::memcmp(static_cast<const unsigned char*>(theirs->pixels) + y * theirs->pitch,
                       ours.data() + y * picture.width, static_cast<std::size_t>(picture.width) * 4) == 0;
  }
  SDL_FreeSurface(theirs);
  if (!same) {
    std::fprintf(stderr, "bench_pcx: the two decoders disagree on %s\n", picture.name.c_str());
    std::exit(1);
  }
}

void BM_Ours(benchmark::State& state, const Picture* picture) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(picture->width * picture->height));
  for (auto _ : state) {
    decodeOurs(*picture, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * picture->file.size()));
}

void BM_Sdl2Image(benchmark::State& state, const Picture* picture) {
  for (auto _ : state) {
    SDL_Surface* surface = decodeSdl(*picture);
    benchmark::DoNotOptimize(surface);
    SDL_FreeSurface(surface);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * picture->file.size()));
}

// Keeps the median of every benchmark and prints the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[run.run_name.function_name] = run.GetAdjustedRealTime();  // in the run's unit: us
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void printRatios() const {
    std::printf("\nmedian real time, us\n%-18s %14s %14s %8s\n", "picture", "ours", "SDL2_image", "ratio");
    for (const Picture& picture : pictures()) {
      const auto ours = medians_.find("ours/" + picture.name);
      const auto theirs = medians_.find("sdl2_image/" + picture.name);
      if (ours == medians_.end() || theirs == medians_.end()) continue;
      std::printf("%-18s %14.2f %14.2f %7.2fx\n", picture.name.c_str(), ours->second, theirs->second,
                  theirs->second / ours->second);
    }
  }

 private:
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const Picture& picture : pictures()) {
    checkAgreement(picture);
    benchmark::RegisterBenchmark(("ours/" + picture.name).c_str(), BM_Ours, &picture)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("sdl2_image/" + picture.name).c_str(), BM_Sdl2Image, &picture)
        ->Unit(benchmark::kMicrosecond);
  }
  // Medians of interleaved repetitions, unless asked otherwise: the machine may be busy.
  std::vector<char*> args(argv, argv + argc);
  static char repetitions[] = "--benchmark_repetitions=9";
  static char interleaving[] = "--benchmark_enable_random_interleaving=true";
  static char aggregates[] = "--benchmark_report_aggregates_only=true";
  static char minTime[] = "--benchmark_min_time=0.05";
  bool chosen = false;
  for (int i = 1; i < argc; ++i) chosen = chosen || std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
  if (!chosen) args.insert(args.begin() + 1, {repetitions, interleaving, aggregates, minTime});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
