// The tools' file safety, under real faults: a file size limit, a full device, FIFOs, a
// display that could show a box. Every tool writes a file through a temporary one beside it
// (platform/files), so a failed or killed write keeps the old file; a device or a FIFO is
// written through and stays; every failure, standard output's too, ends in a message and
// exit code 1. The figures of a run (KESTRIX_STATS) are written the same way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/output_file.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::files::OutputFile;

std::string tool(const char* path) { return std::string("'") + path + "'"; }
const std::string pak = tool(KESTRIX_PAK_PATH);
const std::string pcx = tool(KESTRIX_PCX_PATH);
const std::string snapshot = tool(KESTRIX_SNAPSHOT_PATH);

// The temporary files are hidden (".NAME.PID-N.part"); none may stay behind.
std::vector<std::string> hiddenFiles() {
  std::vector<std::string> hidden;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(".")) {
    if (entry.path().filename().string()[0] == '.') hidden.push_back(entry.path().string());
  }
  return hidden;
}

bool makeDevice(const char* name, unsigned minor) {  // a private copy of /dev/null (3) or /dev/full (7)
  return mknod(name, S_IFCHR | 0666, makedev(1, minor)) == 0;
}

class OutputFiles : public TempFolderTest {};

TEST_F(OutputFiles, ARegularFileIsReplacedAndAnythingElseWrittenThrough) {
  if (!makeDevice("null", 3)) GTEST_SKIP() << "no right to make a device node here";
  writeBytes("plain", {});  // the mode a plain creation gives under this umask
  writeBytes("kept", textBytes("old"));
  fs::permissions("kept", fs::perms(0640));
  writeBytes("pointed", textBytes("old"));
  fs::create_symlink("pointed", "link");
  fs::create_symlink("made", "dangling");

  // Each target, and where the bytes must land.
  for (const auto& [target, landing] : std::vector<std::pair<std::string, std::string>>{
           {"new", "new"}, {"kept", "kept"}, {"link", "pointed"}, {"dangling", "made"}, {"null", ""}}) {
    platform::files::writeFile(target, "new", 3);
    if (!landing.empty()) {
      EXPECT_EQ(readBytes(landing), textBytes("new")) << target;
    }
  }
  EXPECT_EQ(fs::status("new").permissions(), fs::status("plain").permissions());
  EXPECT_EQ(fs::status("kept").permissions(), fs::perms(0640));
  EXPECT_TRUE(fs::is_symlink("link"));
  EXPECT_TRUE(fs::is_symlink("dangling"));
  EXPECT_TRUE(fs::is_character_file(fs::symlink_status("null")));
  EXPECT_EQ(hiddenFiles(), std::vector<std::string>{});
}

TEST_F(OutputFiles, NothingWaitsAndAnUnfinishedWriteChangesNothing) {
  writeBytes("kept", textBytes("old"));
  {
    OutputFile out("kept");
    out.write("new", 3);
  }  // never committed
  EXPECT_EQ(readBytes("kept"), textBytes("old"));

  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  for (const char* target : {"folder", "fifo", "missing/file"}) {  // the FIFO has no reader
    EXPECT_THROW(OutputFile{target}, std::runtime_error) << target;
  }
  // With a reader, a FIFO is written through.
  const int reader = open("fifo", O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  platform::files::writeFile("fifo", "new", 3);
  char got[4] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 3);
  close(reader);
  EXPECT_STREQ(got, "new");
  EXPECT_TRUE(fs::is_fifo("fifo"));
  EXPECT_EQ(hiddenFiles(), std::vector<std::string>{});
}

class ToolFiles : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const char* name : {"kestrix.pak", "fondo.pcx", "bloque.pcx"}) {
      fs::copy_file(std::string(KESTRIX_ASSETS_DIR "/") + name, name);
    }
  }
};

TEST_F(ToolFiles, AFailedWriteKeepsTheOldFileAndSaysSo) {
  ASSERT_EQ(runShell(pcx + " to-ppm fondo.pcx in.ppm").status, 0);
  fs::create_directory("art");
  // Every tool that writes a file, and the file it writes, under a size limit of 512 bytes.
  const std::vector<std::pair<std::string, std::string>> writes = {
      {pak + " create out fondo.pcx", "out"},
      {pak + " extract kestrix.pak FONDO.PCX out", "out"},
      {pcx + " to-ppm fondo.pcx out", "out"},
      {pcx + " to-pcx in.ppm out", "out"},
      {tool(KESTRIX_ART_PATH) + " art", "art/pacod1.pcx"},  // the first it writes
      {tool(KESTRIX_MUSIC_PATH) + " out", "out"},
      {tool(KESTRIX_SOUND_PATH) + " out", "out"},
      {snapshot + " out < /dev/null", "out"},
  };
  const Bytes old = textBytes("\x89PNG\r\n\x1a\n old");  // a PNG's start, which kestrix-snapshot may replace
  for (const auto& [command, file] : writes) {
    writeBytes(file, old);
    EXPECT_TRUE(refused(runShell("trap '' XFSZ; ulimit -f 1; " + command), "File too large")) << command;
    EXPECT_EQ(readBytes(file), old) << command;
  }
  // Killed while writing, by the limit's own signal: the old file stays whole as well.
  EXPECT_EQ(runShell("ulimit -f 1; " + pak + " create out fondo.pcx").status, 128 + SIGXFSZ);
  EXPECT_EQ(readBytes("out"), old);
  const std::vector<std::string> leftOver = hiddenFiles();  // only the killed one's temporary file
  ASSERT_EQ(leftOver.size(), 1u);
  EXPECT_EQ(leftOver[0].rfind("./.out.", 0), 0u) << leftOver[0];
}

TEST_F(ToolFiles, DevicesAndStandardOutputAreWrittenThroughAndChecked) {
  if (!makeDevice("full", 7)) GTEST_SKIP() << "no right to make a device node here";
  fs::create_symlink("full", "link");
  for (const std::string& command : {tool(KESTRIX_TRACE_PATH) + " < /dev/null > /dev/full",
                                     pak + " list kestrix.pak > /dev/full", pcx + " to-ppm bloque.pcx full",
                                     pak + " create link bloque.pcx"}) {
    EXPECT_TRUE(refused(runShell(command), "No space left on device")) << command;
  }
  EXPECT_TRUE(fs::is_character_file(fs::symlink_status("full")));
  EXPECT_TRUE(fs::is_symlink("link"));
}

TEST_F(ToolFiles, ARefusedInputEndsOnStandardErrorEvenWithADisplay) {
  writeBytes("bad.pcx", textBytes("junk"));
  fs::resize_file("kestrix.pak", 5000);
  for (const auto& [command, prefix] : std::vector<std::pair<std::string, std::string>>{
           {pcx + " to-ppm bad.pcx o.ppm", "kestrix-pcx: EL FICHERO bad.pcx NO ES DE FORMATO PCX"},
           {snapshot + " o.png < /dev/null", "kestrix-snapshot: "}}) {
    // A box would wait for ever: the time limit turns that into a failure.
    EXPECT_TRUE(refused(runShell("timeout -k 5 60 xvfb-run -a " + command), prefix)) << command;
  }
}

TEST_F(ToolFiles, RunFiguresNeverReplaceAnotherFileAndTellTheirFailures) {
  writeBytes("old.txt", textBytes("frames 3\n"));
  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  // The game, without a display, ends at once; it writes its figures on the way out.
  for (const auto& [target, written] :
       std::vector<std::pair<std::string, bool>>{{"kestrix.pak", false}, {"old.txt", true}, {"folder", false},
                                                 {"fifo", false}}) {
    const ToolRun run = runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "
                                 "KESTRIX_STATS=" + target + " timeout 20 " + tool(KESTRIX_GAME_PATH));
    EXPECT_NE(run.status, 124) << target;  // a FIFO without a reader must not hold the exit
    EXPECT_EQ(run.output.find("KESTRIX_STATS: ") == std::string::npos, written) << target << "\n" << run.output;
  }
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));
  const Bytes figures = readBytes("old.txt");
  EXPECT_EQ(std::string(figures.begin(), figures.begin() + std::min<std::ptrdiff_t>(9, std::ssize(figures))),
            "frames 0\n");
}

}  // namespace
