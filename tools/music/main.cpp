// kestrix-music: writes the game's music, the module "cagadon.it", to the path given
// (default: "cagadon.it" in the working directory). Same bytes on every run.

#include "tools/common/tool_output.h"
#include "tools/music/cagadon.h"

int main(int argc, char** argv) {
  return toolMain("kestrix-music", [&] {
    const bool help = asksForHelp(argc, argv);
    if (argc > 2 || help) return showUsage("usage: kestrix-music [output.it]   (default: cagadon.it)\n", help);
    writeFileBytes(argc == 2 ? argv[1] : "cagadon.it", writeIt(composeCagadon()));
    return 0;
  });
}
