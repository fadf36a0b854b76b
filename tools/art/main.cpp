// kestrix-art: writes the game's ten pictures as three-plane run-length PCX files.
//
//   kestrix-art FOLDER
//
// The artwork lives in the source (tools/art/sprites.cpp, tools/art/background.cpp), so
// the same files come out byte for byte on every run.
#include <filesystem>
#include <stdexcept>

#include "display/fatal_error.h"
#include "tools/art/art.h"
#include "tools/common/tool_output.h"
#include "tools/pcx_writer/pcx_writer.h"

int main(int argc, char** argv) {
  fatalErrorReporter = reportFatalErrorOnStandardError;
  fatalErrorProgramName = "kestrix-art";
  return toolMain("kestrix-art", [&] {
    if (argc != 2 || asksForHelp(argc, argv)) return showUsage("usage: kestrix-art FOLDER\n  writes the game's pictures (fondo.pcx, ...) into FOLDER\n", asksForHelp(argc, argv));
    if (argv[1][0] == '\0') throw std::runtime_error("cannot write into a folder with an empty name");
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const Picture& picture : gamePictures()) {
      writeFileBytes((folder / picture.name).string(),
                     encodePcx3(picture.pixels.data(), picture.width, picture.height, true));
    }
    return 0;
  });
}
