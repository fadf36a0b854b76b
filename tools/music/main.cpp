// kestrix-music: writes the game's music, the module "cagadon.it", to the path given
// (default: "cagadon.it" in the working directory). Same bytes on every run.
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>

#include "tools/music/cagadon.h"

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
    std::fprintf(argc > 2 ? stderr : stdout, "usage: kestrix-music [output.it]   (default: cagadon.it)\n");
    return argc > 2 ? 2 : 0;
  }
  const char* path = argc == 2 ? argv[1] : "cagadon.it";
  try {
    const std::vector<std::uint8_t> bytes = writeIt(composeCagadon());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "kestrix-music: cannot write %s\n", path);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrix-music: %s\n", e.what());
    return 1;
  }
  return 0;
}
