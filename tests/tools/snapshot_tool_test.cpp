// kestrix-snapshot: the frame after a key script, as a PNG, is the game's own frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "display/resource.h"
#include "game/assets.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tools/trace/tick_driver.h"

namespace {

class SnapshotTool : public TempFolderTest {};

TEST_F(SnapshotTool, WritesTheFrameTheGameComposesAfterTheScript) {
  std::filesystem::copy_file(KESTRIX_ASSETS_DIR "/kestrix.pak", "kestrix.pak");
  writeBytes("script.txt", textBytes("RIGHT\nRIGHT SPACE\nSPACE\nUP\n\n\n"));
  const ToolRun run = runTool(KESTRIX_SNAPSHOT_PATH, "shot.png < script.txt");
  ASSERT_EQ(run.status, 0) << run.output;
  // ImageMagick reads the picture back as raw RGB.
  ASSERT_EQ(runTool("convert", "shot.png -depth 8 rgb:shot.rgb").status, 0);
  const Bytes rgb = readBytes("shot.rgb");
  ASSERT_EQ(rgb.size(), 320u * 240u * 3u);

  // The same frame made here, from the same archive and keys.
  archivePath = "kestrix.pak";
  loadAssets();
  {
    TickDriver driver(false);
    driver.startUp();
    for (const TickKeys& keys : {TickKeys{.right = true}, TickKeys{.right = true, .space = true},
                                 TickKeys{.space = true}, TickKeys{.up = true}, TickKeys{}, TickKeys{}}) {
      driver.tick(keys);
    }
  }
  const std::uint32_t* frame = composeFrame();
  int differences = 0;
  for (std::size_t i = 0; i < 320u * 240u; ++i) {
    differences += (static_cast<std::uint32_t>(rgb[3 * i]) << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]) != frame[i];
  }
  releaseAssets();
  EXPECT_EQ(differences, 0);
}

}  // namespace
