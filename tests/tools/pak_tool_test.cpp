// kestrix-pak as a person uses it: archives it makes are read by openResource, listings
// give each member's place and size, and extraction gives back what went in. Its refusals
// are in tool_files_test.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "display/resource.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

namespace {

ToolRun pak(const std::string& arguments) { return runTool(KESTRIX_PAK_PATH, arguments); }

class PakTool : public TempFolderTest {};

TEST_F(PakTool, ArchivesItMakesAreReadByTheOpenerAndComeBackWhole) {
  std::filesystem::create_directory("arte");
  writeBytes("arte/Fondo.pcx", textBytes("background"));
  writeBytes("pompa.pcx", textBytes("bubble"));
  writeBytes("vacio", Bytes{});
  const ToolRun create = pak("create kestrix.pak arte/Fondo.pcx vacio pompa.pcx");
  ASSERT_EQ(create.status, 0) << create.output;
  // Four entries (one the end), then the data in order; the empty member starts where the
  // next one does.
  EXPECT_EQ(pak("list kestrix.pak").output, "Fondo.pcx 96 10\nvacio 106 0\npompa.pcx 106 6\n");

  archivePath = "kestrix.pak";
  char name[] = "fondo.PCX";
  std::FILE* file = openResource(name, "rb");
  ASSERT_NE(file, nullptr);
  char text[11] = {};
  EXPECT_EQ(std::fread(text, 1, 10, file), 10u);
  std::fclose(file);
  EXPECT_STREQ(text, "background");
  for (const auto& [member, data] : {std::pair{"POMPA.PCX", "bubble"}, {"vacio", ""}}) {
    ASSERT_EQ(pak("extract kestrix.pak " + std::string(member) + " out.bin").status, 0);
    EXPECT_EQ(readBytes("out.bin"), textBytes(data));
  }
}

TEST_F(PakTool, SizesRunToTheNextMembersStartOrTheArchivesEnd) {
  // Members stored out of order, and an entry after the directory's end.
  Bytes archive;
  appendEntry(archive, "late.bin", 100);
  appendEntry(archive, "early.bin", 96);
  appendEntry(archive, "", 0);
  appendEntry(archive, "hidden.bin", 96);
  appendText(archive, "EARLlate-and-more");
  writeBytes("odd.pak", archive);
  EXPECT_EQ(pak("list odd.pak").output, "late.bin 100 13\nearly.bin 96 4\n");
  ASSERT_EQ(pak("extract odd.pak EARLY.BIN e.bin").status, 0);
  EXPECT_EQ(readBytes("e.bin"), textBytes("EARL"));
  EXPECT_TRUE(refused(pak("extract odd.pak hidden.bin h.bin"), "no member \"hidden.bin\""));
  EXPECT_FALSE(std::filesystem::exists("h.bin"));
}

}  // namespace
