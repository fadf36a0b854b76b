// The tools' file safety, under real faults: a file size limit, a full device, FIFOs, a
// display that could show a box. Every tool writes a file through a temporary one beside it
// (platform/files), so a failed or killed write keeps the old file; a device or a FIFO is
// written through and stays; every failure, standard output's too, ends in a message and
// exit code 1. What a tool cannot read soundly it refuses, echoing names only quoted and cut.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/output_file.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::files::OutputFile;
using Rows = std::vector<std::pair<std::string, std::string>>;

std::string tool(const char* path) { return std::string("'") + path + "' "; }
const std::string pak = tool(KESTRIX_PAK_PATH), pcx = tool(KESTRIX_PCX_PATH), snapshot = tool(KESTRIX_SNAPSHOT_PATH);
const std::string trace = tool(KESTRIX_TRACE_PATH);

// The temporary files are hidden (".NAME.PID-N.part"); none may stay behind.
std::vector<std::string> hiddenFiles() {
  std::vector<std::string> hidden;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(".")) {
    if (entry.path().filename().string()[0] == '.') hidden.push_back(entry.path().string());
  }
  return hidden;
}

class ToolFiles : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const std::string name : {"kestrix.pak", "fondo.pcx", "bloque.pcx"}) {
      fs::copy_file(KESTRIX_ASSETS_DIR "/" + name, name);
    }
  }
};

TEST_F(ToolFiles, ARegularFileIsReplacedAndAnythingElseWrittenThroughAndChecked) {
  // Private copies of /dev/null and /dev/full.
  if (mknod("null", S_IFCHR | 0666, makedev(1, 3)) != 0 || mknod("full", S_IFCHR | 0666, makedev(1, 7)) != 0) {
    GTEST_SKIP() << "no right to make a device node here";
  }
  fs::create_symlink("full", "to-full");
  for (const std::string& command : {trace + "< /dev/null > /dev/full", pak + "list kestrix.pak > /dev/full",
                                     pcx + "to-ppm bloque.pcx full", pak + "create to-full bloque.pcx"}) {
    EXPECT_TRUE(refused(runShell(command), "No space left on device")) << command;
  }
  writeBytes("plain", {});  // the mode a plain creation gives under this umask
  writeBytes("kept", textBytes("old"));
  fs::permissions("kept", fs::perms(0640));
  writeBytes("pointed", textBytes("old"));
  fs::create_symlink("pointed", "link");
  fs::create_symlink("made", "dangling");
  // Each target, and where the bytes must land.
  for (const auto& [target, landing] : Rows{{"new", "new"}, {"kept", "kept"}, {"link", "pointed"}, {"dangling", "made"},
                                            {"null", ""}}) {
    platform::files::writeFile(target, "new", 3);
    EXPECT_TRUE(landing.empty() || readBytes(landing) == textBytes("new")) << target;
  }
  EXPECT_EQ(fs::status("new").permissions(), fs::status("plain").permissions());
  EXPECT_EQ(fs::status("kept").permissions(), fs::perms(0640));
  EXPECT_TRUE(fs::is_symlink("link") && fs::is_symlink("dangling") && fs::is_symlink("to-full"));
  EXPECT_TRUE(fs::is_character_file(fs::symlink_status("null")) && fs::is_character_file(fs::symlink_status("full")));
  OutputFile("kept").write("old", 3);  // never committed
  EXPECT_EQ(readBytes("kept"), textBytes("new"));

  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  for (const char* target : {"folder", "fifo", "missing/file"}) {  // the FIFO has no reader
    EXPECT_THROW(OutputFile{target}, std::runtime_error) << target;
  }
  const int reader = open("fifo", O_RDONLY | O_NONBLOCK);  // with a reader, written through
  ASSERT_GE(reader, 0);
  platform::files::writeFile("fifo", "new", 3);
  char got[4] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 3);
  close(reader);
  EXPECT_STREQ(got, "new");
  EXPECT_TRUE(fs::is_fifo("fifo"));
  EXPECT_EQ(hiddenFiles(), std::vector<std::string>{});
}

TEST_F(ToolFiles, AFailedWriteKeepsTheOldFileAndSaysSo) {
  ASSERT_EQ(runShell(pcx + "to-ppm fondo.pcx in.ppm").status, 0);
  fs::create_directory("art");
  const Bytes old = textBytes("\x89PNG\r\n\x1a\n old");  // a PNG's start, which kestrix-snapshot may replace
  // Every tool that writes a file, and the file it writes, under a size limit of 512 bytes.
  for (const auto& [command, file] : Rows{{pak + "create out fondo.pcx", "out"},
                                          {pak + "extract kestrix.pak FONDO.PCX out", "out"},
                                          {pcx + "to-ppm fondo.pcx out", "out"}, {pcx + "to-pcx in.ppm out", "out"},
                                          {tool(KESTRIX_ART_PATH) + "art", "art/pacod1.pcx"},  // the first it writes
                                          {tool(KESTRIX_MUSIC_PATH) + "out", "out"},
                                          {tool(KESTRIX_SOUND_PATH) + "out", "out"}, {snapshot + "out < /dev/null", "out"}}) {
    writeBytes(file, old);
    EXPECT_TRUE(refused(runShell("trap '' XFSZ; ulimit -f 1; " + command), "File too large")) << command;
    EXPECT_EQ(readBytes(file), old) << command;
  }
  // Killed while writing, by the limit's own signal: the old file stays whole as well.
  EXPECT_EQ(runShell("ulimit -f 1; " + pak + "create out fondo.pcx").status, 128 + SIGXFSZ);
  EXPECT_EQ(readBytes("out"), old);
  const std::vector<std::string> leftOver = hiddenFiles();  // only the killed one's temporary file
  ASSERT_EQ(leftOver.size(), 1u);
  EXPECT_EQ(leftOver[0].rfind("./.out.", 0), 0u) << leftOver[0];
}

TEST_F(ToolFiles, WhatCannotBeReadSoundlyIsRefusedWithAMessageThatCannotSteerTheTerminal) {
  const Bytes game = readBytes("kestrix.pak");
  Bytes past, steering;  // a member past the end of the file; a name that would clear the screen
  appendEntry(past, "lost.bin", 5000);
  appendEntry(past, "", 0);
  appendEntry(steering, "\x1b[2J.pcx", 48);
  appendEntry(steering, "", 48);
  // Pictures claim sizes far beyond what their bytes could hold, even run-length encoded (a
  // code and its value give at most 63 bytes).
  fs::create_directory("otra");
  for (const auto& [name, bytes] : std::vector<std::pair<std::string, Bytes>>{
           {"cut.pak", Bytes(game.begin(), game.begin() + 5000)},  // inside a member's data
           {"cutdir.pak", Bytes(game.begin(), game.begin() + 58)},  // inside the directory
           {"past.pak", past}, {"steering.pak", steering}, {"a.pcx", textBytes("a")}, {"otra/A.PCX", textBytes("b")},
           {"\x1b[2J.pcx", textBytes("x")}, {"new\nline", textBytes("x")}, {"sixteen-chars.pc", textBytes("x")},
           {"four.pcx", pcxFile({.bitsPerPixel = 4})}, {"short.pcx", pcxFile({.width = 4, .height = 4}, {1, 2, 3})},
           {"huge.pcx", pcxFile({.width = 65535, .height = 16000})},
           {"runs.pcx", pcxFile({.width = 4000, .height = 4000}, {0xFF, 1, 0xFF, 2, 0xFF, 3, 0xFF, 4})},
           {"raw.pcx", pcxFile({.width = 100, .height = 100, .planes = 1, .encoding = 0}, {1, 2, 3, 4, 5, 6, 7, 8})},
           {"in.ppm", textBytes("P6 1 1 255\nabc")}, {"long.txt", textBytes("LEFT\n" + std::string(10 << 20, 'A'))}}) {
    writeBytes(name, bytes);
  }
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  fs::create_symlink("a.pcx", "again");
  writeBytes("huge", {});
  fs::resize_file("huge", std::uint64_t{2200} << 20);  // sparse: nothing to read

  struct Refusal {
    std::string command, reason;
    int status = 1;
  };
  for (const Refusal& r : std::vector<Refusal>{
           {pak + "list cut.pak", "kestrix-pak: cut.pak: "}, {pak + "extract cut.pak FONDO.PCX out", "cut short"},
           {pak + "list cutdir.pak", "cut short"}, {pak + "list past.pak", "cut short"},
           {pak + "list fondo.pcx", "not an archive"}, {pak + "list steering.pak", "not an archive"},
           {pak + "list .", "it is a folder"}, {pak + "create out a.pcx sixteen-chars.pc", "sixteen-chars.pc"},
           {pak + "create out a.pcx otra/A.PCX", "A.PCX"}, {pak + "create out missing.pcx", "missing.pcx"},
           {pak + "create out '\x1b[2J.pcx'", "printable"}, {pak + "create out 'new\nline'", "printable"},
           {pak + "create out fifo", "it is a FIFO"}, {pak + "create out /dev/zero", "it is a device"},
           {pak + "create out huge", "2 GiB"}, {pak + "create a.pcx a.pcx", "it is the input"},
           {pak + "create again a.pcx", "it is the input"}, {pak + "extract kestrix.pak A kestrix.pak", "it is the input"},
           {pcx + "to-ppm four.pcx out", "UNICAMENTE IMPLEMENTADO 8 BITS POR PIXEL Y PLANO."},
           {pcx + "to-ppm short.pcx out", "EL FICHERO short.pcx ESTA INCOMPLETO"},
           {pcx + "to-ppm huge.pcx out", "kestrix-pcx: huge.pcx: a 65535 x 16000"},
           {pcx + "to-ppm runs.pcx out", "kestrix-pcx: runs.pcx: 8 bytes of image data cannot hold the 4000 x 4000"},
           {pcx + "to-ppm raw.pcx out", "cannot hold the 100 x 100"},
           {pcx + "to-ppm fifo out", "NO ES DE FORMATO PCX"},  // nobody writes it: it reads as empty
           {pcx + "to-ppm /dev/zero out", "it is a device"}, {pcx + "to-pcx in.ppm in.ppm", "it is the input"},
           {"printf 'P3\\n1 1\\n255\\n1 2 3\\n' | " + pcx + "to-pcx /dev/stdin out", "not a binary PPM"},
           {"printf 'P6\\n2 2\\n255\\nabc' | " + pcx + "to-pcx /dev/stdin out", "ends before its last pixel"},
           {"printf 'P6\\n1 1\\n0\\nabc' | " + pcx + "to-pcx /dev/stdin out", "maximum value is not"},
           {"printf 'P6\\n0 1\\n255\\n' | " + pcx + "to-pcx /dev/stdin out", "has no pixels"},
           {"printf 'P6\\n1 1\\n2\\n\\1\\2\\3' | " + pcx + "to-pcx /dev/stdin out", "above the maximum"},
           {snapshot + "kestrix.pak < /dev/null", "not a PNG picture"},
           {"printf 'LEFT\\nJUMP\\n' | " + trace, "line 2: unknown key \"JUMP\"", 2},
           {"printf 'JUMP\\033[31m\\007%0500d' 0 | " + trace, "line 1: ", 2},
           {trace + "< long.txt", "line 2 is longer", 2}, {"head -c 5000 /dev/zero | " + trace, "line 1 is longer", 2},
           {pak, "usage", 2}, {pak + "create out", "usage", 2}, {pcx + "to-ppm out", "usage", 2}}) {
    const ToolRun run = runShell(r.command);
    EXPECT_TRUE(refused(run, r.reason, r.status)) << r.command;
    std::size_t line = 0;
    for (const char c : run.output) {
      EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << r.command << ": " << run.output.substr(0, 200);
      line = c == '\n' ? 0 : line + 1;
      ASSERT_LT(line, 200u) << r.command;
    }
  }
  EXPECT_FALSE(fs::exists("out"));
  EXPECT_EQ(readBytes("a.pcx"), textBytes("a"));
  EXPECT_EQ(readBytes("in.ppm"), textBytes("P6 1 1 255\nabc"));
  EXPECT_EQ(readBytes("kestrix.pak"), game);
}

TEST_F(ToolFiles, ARefusedInputEndsOnStandardErrorEvenWithADisplay) {
  fs::create_directory("empty");  // no pictures here
  writeBytes("empty/bad.pcx", textBytes("junk"));
  for (const auto& [command, message] :
       Rows{{pcx + "to-ppm bad.pcx o.ppm", "kestrix-pcx: EL FICHERO bad.pcx NO ES DE FORMATO PCX"},
            {snapshot + "o.png < /dev/null", "kestrix-snapshot: No encuentro el fichero \"pacoi1.pcx\""}}) {
    // A box would wait for ever: the time limit turns that into a failure.
    EXPECT_TRUE(refused(runShell("cd empty && timeout -k 5 60 xvfb-run -a " + command), message)) << command;
  }
  EXPECT_FALSE(fs::exists("empty/o.png") || fs::exists("empty/o.ppm"));
}

TEST_F(ToolFiles, RunFiguresNeverReplaceAnotherFileAndTellTheirFailures) {
  writeBytes("old.txt", textBytes("frames 3\n"));
  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  // The game, without a display, ends at once; it writes its figures on the way out.
  for (const auto& [target, written] : std::vector<std::pair<std::string, bool>>{
           {"kestrix.pak", false}, {"old.txt", true}, {"folder", false}, {"fifo", false}}) {
    const ToolRun run = runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "
                                 "KESTRIX_STATS=" + target + " timeout 20 " + tool(KESTRIX_GAME_PATH));
    EXPECT_NE(run.status, 124) << target;  // a FIFO without a reader must not hold the exit
    EXPECT_EQ(run.output.find("KESTRIX_STATS: ") == std::string::npos, written) << target << "\n" << run.output;
  }
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));
  const Bytes figures = readBytes("old.txt");
  EXPECT_EQ(std::string(figures.begin(), figures.end()).substr(0, 9), "frames 0\n");
}

}  // namespace
