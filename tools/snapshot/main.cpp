// kestrix-snapshot: the game's frame as a PNG picture, without a display.
//
//   kestrix-snapshot OUT.png < script
//
// Run it in a folder holding the game's data files ("kestrix.pak", or the pictures
// themselves). It loads the pictures as the game does, plays the key script through the
// game's tick (the format of kestrix-trace: the start-up step, then one line of keys per
// tick), composes the frame after the last tick and writes it as a 320×240 PNG.
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "display/resource.h"
#include "game/assets.h"
#include "tools/snapshot/png_writer.h"
#include "tools/trace/tick_driver.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    const bool help = argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0);
    (help ? std::cout : std::cerr) << "usage: kestrix-snapshot OUT.png < script\n"
                                      "  run in a folder with the game's data files; the script holds one line of keys\n"
                                      "  per tick (LEFT RIGHT UP SPACE, empty: none), as for kestrix-trace\n";
    return help ? 0 : 2;
  }

  static char archiveName[] = "kestrix.pak";
  archivePath = archiveName;
  loadAssets();  // a missing or broken picture ends the program with the loader's message

  TickDriver driver(false);
  driver.startUp();
  std::string text;
  for (long lineNumber = 1; std::getline(std::cin, text); ++lineNumber) {
    TickKeys keys;
    std::string error;
    if (!parseTickKeys(text, keys, error)) {
      std::cerr << "kestrix-snapshot: line " << lineNumber << ": " << error << '\n';
      return 2;
    }
    driver.tick(keys);
  }

  try {
    writePng(argv[1], composeFrame(), 320, 240);
  } catch (const std::exception& failure) {
    std::cerr << "kestrix-snapshot: " << failure.what() << '\n';
    return 1;
  }
  releaseAssets();
  return 0;
}
