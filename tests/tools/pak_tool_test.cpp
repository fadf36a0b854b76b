// kestrix-pak as a person uses it: archives it makes are read by openResource, listings
// give each member's place and size, and extraction gives back what went in. What it
// cannot read soundly (a cut or foreign archive, a FIFO, a device, a file too large, a name
// that would steer a terminal, its own input as its output) it refuses with a message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "display/resource.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

namespace {

// A run that waits (on a FIFO, say) ends in failure instead of holding the test up.
ToolRun pak(const std::string& arguments) { return runShell("timeout 30 '" KESTRIX_PAK_PATH "' " + arguments); }

bool hasControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c != '\n' && (c < 0x20 || c == 0x7F); });
}

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
  EXPECT_EQ(pak("list kestrix.pak").output,
            "Fondo.pcx 96 10\n"
            "vacio 106 0\n"
            "pompa.pcx 106 6\n");

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
  // Members stored out of order, and an entry after the directory's end.
  Bytes archive;
  appendEntry(archive, "late.bin", 100);
  appendEntry(archive, "early.bin", 96);
  appendEntry(archive, "", 0);
  appendEntry(archive, "hidden.bin", 96);
  appendText(archive, "EARLlate-and-more");
  writeBytes("odd.pak", archive);

  EXPECT_EQ(pak("list odd.pak").output,
            "late.bin 100 13\n"
            "early.bin 96 4\n");
  ASSERT_EQ(pak("extract odd.pak EARLY.BIN e.bin").status, 0);
  EXPECT_EQ(readBytes("e.bin"), textBytes("EARL"));
  EXPECT_NE(pak("extract odd.pak hidden.bin h.bin").status, 0);
  EXPECT_FALSE(std::filesystem::exists("h.bin"));
}

TEST_F(PakTool, ACutOrForeignArchiveIsReportedNeverListed) {
  const Bytes game = readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak");
  Bytes past;  // a member that starts past the end of the file
  appendEntry(past, "lost.bin", 5000);
  appendEntry(past, "", 0);
  Bytes steering;  // a name that would clear the screen
  appendEntry(steering, "\x1b[2J.pcx", 48);
  appendEntry(steering, "", 48);
  const std::vector<std::pair<Bytes, std::string>> files = {
      {Bytes(game.begin(), game.begin() + 5000), "cut short"},  // inside a member's data
      {Bytes(game.begin(), game.begin() + 58), "cut short"},    // inside the directory
      {past, "cut short"},
      {readBytes(KESTRIX_ASSETS_DIR "/fondo.pcx"), "not an archive"},
      {steering, "not an archive"},
  };
  for (const auto& [bytes, why] : files) {
    writeBytes("t.pak", bytes);
    for (const char* command : {"list t.pak", "extract t.pak FONDO.PCX out"}) {
      const ToolRun run = pak(command);
      EXPECT_TRUE(refused(run, "kestrix-pak: t.pak: ")) << command;
      EXPECT_TRUE(refused(run, why)) << command;
      EXPECT_FALSE(hasControlCharacter(run.output)) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists("out"));
  }
  EXPECT_NE(pak("list .").output.find("it is a folder"), std::string::npos);
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
  for (const char* steering : {"\x1b[2J.pcx", "new\nline"}) {
    writeBytes(steering, textBytes("x"));
    const ToolRun run = pak("create k.pak '" + std::string(steering) + "'");
    EXPECT_TRUE(refused(run, "printable"));
    EXPECT_FALSE(hasControlCharacter(run.output)) << run.output;
  }
  EXPECT_FALSE(std::filesystem::exists("k.pak"));

  EXPECT_NE(pak("list missing.pak").status, 0);
  EXPECT_EQ(pak("").status, 2);
  EXPECT_EQ(pak("create k.pak").status, 2);
  EXPECT_EQ(pak("extract k.pak").status, 2);
}

TEST_F(PakTool, ReadsOnlyRegularFilesOfSoundSizesAndNeverReplacesItsInput) {
  writeBytes("a.pcx", textBytes("a"));
  ASSERT_EQ(pak("create k.pak a.pcx").status, 0);
  const Bytes archive = readBytes("k.pak");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  std::filesystem::create_symlink("a.pcx", "again");
  writeBytes("huge", {});
  std::filesystem::resize_file("huge", std::uint64_t{2200} << 20);  // sparse: nothing to read
  const std::vector<std::pair<std::string, std::string>> refusals = {
      {"create n.pak fifo", "it is a FIFO"},
      {"create n.pak /dev/zero", "it is a device"},
      {"create n.pak huge", "2 GiB"},
      {"create a.pcx a.pcx", "it is the input"},
      {"create again a.pcx", "it is the input"},
      {"extract k.pak A.PCX k.pak", "it is the input"},
  };
  for (const auto& [command, why] : refusals) EXPECT_TRUE(refused(pak(command), why)) << command;
  EXPECT_EQ(readBytes("a.pcx"), textBytes("a"));
  EXPECT_EQ(readBytes("k.pak"), archive);
  EXPECT_FALSE(std::filesystem::exists("n.pak"));
}

}  // namespace
