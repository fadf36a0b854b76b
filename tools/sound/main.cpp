// kestrix-sound: writes the game's jump sound, "saltito.mp3", to the path given (default:
// "saltito.mp3" in the working directory). Same bytes on every run with the same LAME.
#include <stdexcept>

#include "tools/common/tool_output.h"
#include "tools/sound/boing.h"
#include "tools/sound/mp3_encoder.h"

namespace {
constexpr int bitRateKbps = 96;
}

int main(int argc, char** argv) {
  return toolMain("kestrix-sound", [&] {
    const bool help = asksForHelp(argc, argv);
    if (argc > 2 || help) return showUsage("usage: kestrix-sound [output.mp3]   (default: saltito.mp3)\n", help);
    const std::vector<std::uint8_t> bytes = encodeMp3(synthesiseBoing(), boingRate, bitRateKbps);
    if (bytes.empty()) throw std::runtime_error("the MP3 encoder failed");
    writeFileBytes(argc == 2 ? argv[1] : "saltito.mp3", bytes);
    return 0;
  });
}
