// kestrix-snapshot: the game's frame as a PNG picture, without a display.
//
//   kestrix-snapshot OUT.png < script
//
// Run it in a folder holding the game's data files ("kestrix.pak", or the pictures
// themselves). It loads the pictures as the game does, plays the key script through the
// game's tick (the format of kestrix-trace: the start-up step, then one line of keys per
// tick), composes the frame after the last tick and writes it as a 320×240 PNG. It replaces
// only an empty file or a PNG, never one of the data files.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "display/fatal_error.h"
#include "display/resource.h"
#include "game/assets.h"
#include "base/output_file.h"
#include "tools/common/tool_output.h"
#include "tools/snapshot/png_writer.h"
#include "tools/trace/tick_driver.h"

namespace {

constexpr const char* usage =
    "usage: kestrix-snapshot OUT.png < script\n"
    "  run in a folder with the game's data files; the script holds one line of keys\n"
    "  per tick (LEFT RIGHT UP SPACE, empty: none), as for kestrix-trace\n";

int snapshot(const std::string& path) {
  static char archiveName[] = "kestrix.pak";
  archivePath = archiveName;
  loadAssets();  // a missing or broken picture ends the program with the loader's message

  {
    TickDriver driver(false);
    driver.startUp();
    KeyScript script(stdin);
    try {
      for (TickKeys keys; script.next(keys);) driver.tick(keys);
    } catch (const KeyScriptError& error) {
      std::fprintf(stderr, "kestrix-snapshot: %s\n", error.what());
      return 2;
    }
  }
  const std::vector<unsigned char> png = encodePng(composeFrame(), 320, 240);
  releaseAssets();
  base::OutputFile out(path);
  if (!out.replacedFile().empty() && !base::isEmptyOrStartsWith(out.replacedFile(), pngSignature)) {
    throw std::runtime_error("will not replace " + path + ": it is not a PNG picture");
  }
  out.write(png.data(), png.size());
  out.commit();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  fatalErrorReporter = reportFatalErrorOnStandardError;  // a broken picture: no box
  fatalErrorProgramName = "kestrix-snapshot";
  return toolMain("kestrix-snapshot", [&] {
    if (argc == 2 && argv[1][0] != '-') return snapshot(argv[1]);
    return showUsage(usage, asksForHelp(argc, argv));
  });
}
