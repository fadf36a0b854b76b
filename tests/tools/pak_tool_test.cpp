// kestrix-pak as a person uses it: archives it makes are read by openResource, listings
// give each member's place and size, and extraction gives back what went in.
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
  const ToolRun create = pak("create kestrix.pak arte/Fondo.pcx pompa.pcx vacio");
  ASSERT_EQ(create.status, 0) << create.output;

  // Four entries (one the end), then the data in order.
  EXPECT_EQ(pak("list kestrix.pak").output,
            "Fondo.pcx 96 10\n"
            "pompa.pcx 106 6\n"
            "vacio 112 0\n");

  archivePath = "kestrix.pak";
  char name[] = "fondo.PCX";
  std::FILE* member = openResource(name, "rb");
  ASSERT_NE(member, nullptr);
  char text[11] = {};
  EXPECT_EQ(std::fread(text, 1, 10, member), 10u);
  std::fclose(member);
  EXPECT_STREQ(text, "background");

  ASSERT_EQ(pak("extract kestrix.pak POMPA.PCX out.bin").status, 0);
  EXPECT_EQ(readBytes("out.bin"), textBytes("bubble"));
  ASSERT_EQ(pak("extract kestrix.pak vacio out.bin").status, 0);
  EXPECT_TRUE(readBytes("out.bin").empty());
}

TEST_F(PakTool, SizesRunToTheNextMembersStartOrTheArchivesEnd) {
  // Members stored out of order, one beyond the end, and an entry after the directory's end.
  Bytes archive;
  appendEntry(archive, "late.bin", 124);
  appendEntry(archive, "early.bin", 120);
  appendEntry(archive, "lost.bin", 5000);
  appendEntry(archive, "", 0);
  appendEntry(archive, "hidden.bin", 120);
  appendText(archive, "EARLlate-and-more");
  writeBytes("odd.pak", archive);

  EXPECT_EQ(pak("list odd.pak").output,
            "late.bin 124 13\n"
            "early.bin 120 4\n"
            "lost.bin 5000 0\n");
  ASSERT_EQ(pak("extract odd.pak EARLY.BIN e.bin").status, 0);
  EXPECT_EQ(readBytes("e.bin"), textBytes("EARL"));
  EXPECT_NE(pak("extract odd.pak hidden.bin h.bin").status, 0);
  EXPECT_NE(pak("extract odd.pak lost.bin l.bin").status, 0);  // the opener refuses it too
  EXPECT_FALSE(std::filesystem::exists("h.bin"));
}

TEST_F(PakTool, RefusesWhatTheOpenerCouldNotFind) {
  writeBytes("sixteen-chars.pc", textBytes("x"));
  writeBytes("a.pcx", textBytes("a"));
  std::filesystem::create_directory("otra");
  writeBytes("otra/A.PCX", textBytes("b"));

  const ToolRun tooLong = pak("create k.pak a.pcx sixteen-chars.pc");
  EXPECT_NE(tooLong.status, 0);
  EXPECT_NE(tooLong.output.find("sixteen-chars.pc"), std::string::npos) << tooLong.output;
  const ToolRun twice = pak("create k.pak a.pcx otra/A.PCX");
  EXPECT_NE(twice.status, 0);
  EXPECT_NE(twice.output.find("A.PCX"), std::string::npos) << twice.output;
  EXPECT_NE(pak("create k.pak missing.pcx").status, 0);
  EXPECT_FALSE(std::filesystem::exists("k.pak"));

  EXPECT_NE(pak("list missing.pak").status, 0);
  EXPECT_EQ(pak("").status, 2);
  EXPECT_EQ(pak("create k.pak").status, 2);
  EXPECT_EQ(pak("extract k.pak").status, 2);
}

}  // namespace
