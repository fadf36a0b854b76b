// kestrix-sound: writes the game's jump sound, "saltito.mp3", to the path given (default:
// "saltito.mp3" in the working directory). Same bytes on every run with the same LAME.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "tools/sound/boing.h"
#include "tools/sound/mp3_encoder.h"

namespace {
constexpr int bitRateKbps = 96;
}

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
    std::fprintf(argc > 2 ? stderr : stdout, "usage: kestrix-sound [output.mp3]   (default: saltito.mp3)\n");
    return argc > 2 ? 2 : 0;
  }
  const char* path = argc == 2 ? argv[1] : "saltito.mp3";
  const std::vector<std::uint8_t> bytes = encodeMp3(synthesiseBoing(), boingRate, bitRateKbps);
  if (bytes.empty()) {
    std::fprintf(stderr, "kestrix-sound: the MP3 encoder failed\n");
    return 1;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "kestrix-sound: cannot write %s\n", path);
    return 1;
  }
  return 0;
}
