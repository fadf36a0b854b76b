// The tools: what each makes, their refusals (on standard error, names quoted and cut), file safety under faults.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display/resource.h"
#include "game/assets.h"
#include "base/output_file.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/pcx_bytes.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"
#include "tools/art/art.h"
#include "tools/music/it_writer.h"
#include "tools/pcx_writer/pcx_writer.h"
#include "tools/trace/tick_driver.h"

namespace {

namespace fs = std::filesystem;
using base::OutputFile;
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

// A tool as a process of its own, standard output to /dev/null.
pid_t start(const std::vector<std::string>& command) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  if (std::freopen("/dev/null", "w", stdout) != nullptr) execv(argv[0], argv.data());
  _exit(127);
}

// The most memory a successful run held, in KiB; -1 for a failed one.
long peakKiB(const std::vector<std::string>& command) {
  int status = 0;
  rusage usage{};
  wait4(start(command), &status, 0, &usage);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

class Tools : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    for (const std::string name : {"kestrix.pak", "fondo.pcx", "bloque.pcx"}) {
      fs::copy_file(KESTRIX_ASSETS_DIR "/" + name, name);
    }
  }
};

TEST_F(Tools, ARegularFileIsReplacedAndAnythingElseWrittenThroughAndChecked) {
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
  const bool chowned = chown("kept", 1234, 1235) == 0;  // as root: another user's file
  writeBytes("pointed", textBytes("old"));
  fs::create_symlink("pointed", "link");
  fs::create_symlink("made", "dangling");
  for (const auto& [target, landing] : Rows{{"new", "new"}, {"kept", "kept"}, {"link", "pointed"}, {"dangling", "made"},
                                            {"null", ""}}) {
    base::writeFile(target, "new", 3);
    EXPECT_TRUE(landing.empty() || readBytes(landing) == textBytes("new")) << target;
  }
  EXPECT_EQ(fs::status("new").permissions(), fs::status("plain").permissions());
  EXPECT_EQ(fs::status("kept").permissions(), fs::perms(0640));
  struct stat owner {};
  EXPECT_TRUE(!chowned || (stat("kept", &owner) == 0 && owner.st_uid == 1234 && owner.st_gid == 1235));
  EXPECT_TRUE(fs::is_symlink("link") && fs::is_symlink("dangling") && fs::is_symlink("to-full"));
  EXPECT_TRUE(fs::is_character_file(fs::symlink_status("null")) && fs::is_character_file(fs::symlink_status("full")));

  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  for (const char* target : {"folder", "fifo", "missing/file"}) {  // the FIFO has no reader
    EXPECT_THROW(OutputFile{target}, std::runtime_error) << target;
  }
  const int reader = open("fifo", O_RDONLY | O_NONBLOCK);  // with a reader, written through
  ASSERT_GE(reader, 0);
  base::writeFile("fifo", "new", 3);
  char got[4] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 3);
  close(reader);
  EXPECT_STREQ(got, "new");
  EXPECT_TRUE(fs::is_fifo("fifo"));
  EXPECT_EQ(hiddenFiles(), std::vector<std::string>{});
}

TEST_F(Tools, AFailedWriteKeepsTheOldFileAndSaysSo) {
  ASSERT_EQ(runShell(pcx + "to-ppm fondo.pcx in.ppm").status, 0);
  fs::create_directory("art");
  const Bytes old = textBytes("\x89PNG\r\n\x1a\n old");  // a PNG's start, which kestrix-snapshot may replace
  // Every tool that writes a file, under a size limit of 512 bytes, says so.
  for (const auto& [command, file] : Rows{
           {pak + "create out fondo.pcx", "out"}, {pak + "extract kestrix.pak FONDO.PCX out", "out"},
           {pcx + "to-ppm fondo.pcx out", "out"}, {pcx + "to-pcx in.ppm out", "out"}, {snapshot + "out < /dev/null", "out"},
           {tool(KESTRIX_ART_PATH) + "art", "art/pacod1.pcx"},  // the first it writes
           {tool(KESTRIX_MUSIC_PATH) + "out", "out"}, {tool(KESTRIX_SOUND_PATH) + "out", "out"}}) {
    writeBytes(file, old);
    EXPECT_TRUE(refused(runShell("ulimit -f 1; " + command), "File too large")) << command;
    EXPECT_EQ(readBytes(file), old) << command;
  }
  // A termination request while writing ends the tool by that signal, the old file whole.
  writeBytes("big", {});
  fs::resize_file("big", 256 << 20);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t pid = start({KESTRIX_PAK_PATH, "create", "out", "big"});
    EXPECT_TRUE(testsupport::waitUntil([] { return !hiddenFiles().empty(); })) << signal;
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
    EXPECT_EQ(readBytes("out"), old);
    EXPECT_EQ(hiddenFiles(), std::vector<std::string>{});
  }
}

TEST_F(Tools, WhatCannotBeReadSoundlyIsRefusedWithAMessageThatCannotSteerTheTerminal) {
  const Bytes game = readBytes("kestrix.pak");
  // Pictures claim more than their bytes could hold, even run-length encoded (63 bytes a code).
  fs::create_directory("otra");
  for (const auto& [name, bytes] : std::vector<std::pair<std::string, Bytes>>{
           {"cut.pak", Bytes(game.begin(), game.begin() + 5000)},  // inside a member's data
           {"cutdir.pak", Bytes(game.begin(), game.begin() + 58)},  // inside the directory
           {"past.pak", archiveBytes({{"lost.bin", 5000}, {"", 0}})},  // a member past the end
           {"empty", {}}, {"a.pcx", textBytes("a")}, {"otra/A.PCX", textBytes("b")},
           {"\x1b[2J.pcx", textBytes("x")}, {"new\nline", textBytes("x")}, {"sixteen-chars.pc", textBytes("x")},
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

  const auto ppm = [](const std::string& text) { return "printf '" + text + "' | " + pcx + "to-pcx /dev/stdin out"; };
  struct Refusal {
    std::string command, reason;
    int status = 1;
  };
  for (const Refusal& r : std::vector<Refusal>{
           {pak + "list cut.pak", "kestrix-pak: cut.pak: "}, {pak + "extract cut.pak FONDO.PCX out", "cut short"},
           {pak + "list cutdir.pak", "cut short"}, {pak + "list past.pak", "cut short"},
           {pak + "list fondo.pcx", "not an archive"}, {pak + "create out a.pcx empty", "\"empty\" is empty"},
           {pak + "create out a.pcx sixteen-chars.pc", "sixteen-chars.pc"}, {pak + "create out a.pcx otra/A.PCX", "A.PCX"},
           {pak + "create out missing.pcx", "missing.pcx"}, {pak + "create out fifo", "it is a FIFO"},
           {pak + "create out '\x1b[2J.pcx'", "printable"}, {pak + "create out 'new\nline'", "printable"},
           {pcx + "to-ppm '\x1b[2J.pcx' out", "\\x1B[2J.pcx NO ES"},
           {pcx + "to-ppm fondo.pcx 'missing/\x1b[2J'", "cannot write missing/\\x1B[2J"},
           {pak + "create '' a.pcx", "empty name"}, {tool(KESTRIX_ART_PATH) + "''", "empty name"},  // an unset $OUT
           {pak + "create out huge", "2 GiB"},
           {pak + "create again a.pcx", "it is the input"}, {pak + "extract kestrix.pak A kestrix.pak", "it is the input"},
           {pcx + "to-ppm huge.pcx out", "kestrix-pcx: huge.pcx: a 65535 x 16000"},
           {pcx + "to-ppm runs.pcx out", "kestrix-pcx: runs.pcx: 8 bytes of image data cannot hold the 4000 x 4000"},
           {pcx + "to-ppm raw.pcx out", "cannot hold the 100 x 100"},
           {pcx + "to-ppm /dev/zero out", "it is a device"}, {pcx + "to-pcx in.ppm in.ppm", "it is the input"},
           {ppm("P3\\n1 1\\n255\\n1 2 3\\n"), "not a binary PPM"}, {ppm("P6\\n0 1\\n255\\n"), "has no pixels"},
           {ppm("P6\\n2 2\\n255\\nabc"), "ends before its last pixel"}, {ppm("P6\\n1 1\\n0\\nabc"), "maximum value is not"},
           {ppm("P6\\n1 1\\n2\\n\\1\\2\\3"), "above the maximum"}, {snapshot + "kestrix.pak < /dev/null", "not a PNG picture"},
           {"printf 'LEFT\\nJUMP\\n' | " + trace, "line 2: unknown key \"JUMP\"", 2},
           {"printf 'JUMP\\033[31m\\007%0500d' 0 | " + trace, "line 1: ", 2},
           {trace + "< long.txt", "line 2 is longer", 2}, {"head -c 5000 /dev/zero | " + trace, "line 1 is longer", 2},
           {pak, "usage", 2}, {pak + "create out", "usage", 2}, {pcx + "to-ppm out", "usage", 2}}) {
    const ToolRun run = runShell(r.command);
    EXPECT_TRUE(refused(run, r.reason, r.status)) << r.command;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_TRUE(line.size() < 200 && std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
          << r.command << ": " << line.substr(0, 200);
    }
  }
  EXPECT_FALSE(fs::exists("out"));
  EXPECT_EQ(readBytes("a.pcx"), textBytes("a"));
  EXPECT_EQ(readBytes("in.ppm"), textBytes("P6 1 1 255\nabc"));
  EXPECT_EQ(readBytes("kestrix.pak"), game);
}

// -h and --help are never taken for a file or folder name.
TEST_F(Tools, HelpIsTheUsageOnStandardOutput) {
  for (const char* path : {KESTRIX_PAK_PATH, KESTRIX_PCX_PATH, KESTRIX_ART_PATH, KESTRIX_MUSIC_PATH, KESTRIX_SOUND_PATH,
                           KESTRIX_SNAPSHOT_PATH, KESTRIX_TRACE_PATH}) {
    const ToolRun run = runShell(tool(path) + "--help 2>/dev/null");
    EXPECT_TRUE(run.status == 0 && run.output.starts_with("usage: ")) << path << ": " << run.output;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator{}), 3);  // the three copied files
}

TEST_F(Tools, ARefusedInputEndsOnStandardErrorEvenWithADisplay) {
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

TEST_F(Tools, RunFiguresNeverReplaceAnotherFileAndTellTheirFailures) {
  writeBytes("old.txt", textBytes("frames 3\n"));
  // The game, without a display, ends at once; it writes its figures on the way out.
  for (const auto& [target, written] :
       std::vector<std::pair<std::string, bool>>{{"kestrix.pak", false}, {"old.txt", true}}) {
    const ToolRun run = runShell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "
                                 "KESTRIX_STATS=" + target + " timeout 20 " + tool(KESTRIX_GAME_PATH));
    EXPECT_EQ(run.output.find("KESTRIX_STATS: ") == std::string::npos, written) << target << "\n" << run.output;
  }
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));
  const Bytes figures = readBytes("old.txt");
  EXPECT_EQ(std::string(figures.begin(), figures.end()).substr(0, 9), "frames 0\n");
}

TEST_F(Tools, TheScreenFileReplacesOnlyAnEarlierPictureAndNothingAFileNameLeadsTo) {
  writeBytes("shot.ppm", textBytes("P6\n1 1\n255\nabc"));
  writeBytes("victim", textBytes("victim"));  // where links planted at the old fixed temporary names lead
  fs::create_symlink("shot.ppm", "link");
  for (const char* planted : {"link.part", "shot.ppm.part"}) fs::create_symlink("victim", planted);
  // The game on its own X server until it has written a screen or said why not.
  for (const auto& [target, written] : Rows{{"kestrix.pak", "test -s err"}, {"link", "test $(stat -L -c %s link) -gt 15"}}) {
    runShell("xvfb-run -a sh -c 'SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy KESTRIX_SCREEN_FILE=" + target + " " +
             KESTRIX_GAME_PATH + " 2>>err & n=0; while [ $n -lt 3000 ] && kill -0 $! && ! " + written +
             "; do sleep 0.01; n=$((n+1)); done; kill -KILL $!; wait'");
  }
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));
  EXPECT_EQ(runShell("grep -c 'kestrix.pak: holds something else' err").output, "1\n");
  const Bytes shot = readBytes("shot.ppm");
  EXPECT_TRUE(fs::is_symlink("link") && shot.size() > 15 && std::string(shot.begin(), shot.begin() + 3) == "P6\n");
  EXPECT_EQ(readBytes("victim"), textBytes("victim"));
}

Bytes joined(const std::string& head, const Bytes& tail) {
  Bytes bytes = textBytes(head);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

TEST_F(Tools, TheyRemakeTheCommittedAssets) {
  for (const auto& [program, name] : {std::pair{KESTRIX_MUSIC_PATH, "cagadon.it"}, {KESTRIX_SOUND_PATH, "saltito.mp3"}}) {
    ASSERT_EQ(runTool(program, name).status, 0) << program;
    EXPECT_EQ(readBytes(name), readBytes(std::string(KESTRIX_ASSETS_DIR "/") + name)) << name;
  }
  ASSERT_EQ(runShell(tool(KESTRIX_ART_PATH) + ".").status, 0);
  std::string members;
  for (const Picture& picture : gamePictures()) {  // in the order the game loads them
    EXPECT_EQ(readBytes(picture.name), readBytes(KESTRIX_ASSETS_DIR "/" + picture.name)) << picture.name;
    members += " " + picture.name;
  }
  ASSERT_EQ(runShell(pak + "create kestrix.pak" + members).status, 0);
  EXPECT_EQ(readBytes("kestrix.pak"), readBytes(KESTRIX_ASSETS_DIR "/kestrix.pak"));
}

TEST_F(Tools, PakListsAndExtractsWhatWentInEachMemberRunningToTheNextOnesStart) {
  fs::create_directory("arte");
  writeBytes("arte/Fondo.pcx", textBytes("background"));
  writeBytes("pompa.pcx", textBytes("bubble"));
  ASSERT_EQ(runShell(pak + "create made.pak arte/Fondo.pcx pompa.pcx").status, 0);
  // Out of order, shared offsets, names shown escaped, an entry after the directory's end.
  writeBytes("odd.pak", archiveBytes({{"late.bin", 148}, {"early.bin", 144}, {"caf\xE9", 144}, {"\x1b[2J", 148}, {"", 0},
                                      {"hidden.bin", 144}}, "EARLlate-and-more"));
  writeBytes("alias.pak", archiveBytes({{"uno", 72}, {"dos", 72}, {"", 75}}, "abcrest"));
  EXPECT_EQ(runShell(pak + "list made.pak").output, "Fondo.pcx 72 10\npompa.pcx 82 6\n");
  EXPECT_EQ(runShell(pak + "list odd.pak").output,
            "late.bin 148 13\nearly.bin 144 4\ncaf\\xE9 144 4\n\\x1B[2J 148 13\n");
  EXPECT_EQ(runShell(pak + "list alias.pak").output, "uno 72 3\ndos 72 3\n");
  for (const auto& [archive, member, data] : {std::tuple{"made.pak", "POMPA.PCX", "bubble"},
                                              {"made.pak", "fondo.PCX", "background"}, {"odd.pak", "EARLY.BIN", "EARL"},
                                              {"odd.pak", "CAF\xE9", "EARL"}, {"odd.pak", "caf\\xe9", "EARL"},
                                              {"odd.pak", "\\x1B[2j", "late-and-more"}, {"alias.pak", "DOS", "abc"}}) {
    ASSERT_EQ(runShell(pak + "extract " + archive + " '" + member + "' out").status, 0) << member;
    EXPECT_EQ(readBytes("out"), textBytes(data)) << member;
  }
  EXPECT_TRUE(refused(runShell(pak + "extract odd.pak hidden.bin h.bin"), "no member \"hidden.bin\""));

  // 200,000 entries take no more memory to list than two.
  Bytes many;
  const std::uint32_t data = 200001 * 24;
  for (std::uint32_t i = 0; i < 200000; ++i) appendEntry(many, "m" + std::to_string(i), data + i);
  appendEntry(many, "", data + 200000);
  many.resize(many.size() + 200000, 'x');
  writeBytes("many.pak", many);
  const long few = peakKiB({KESTRIX_PAK_PATH, "list", "made.pak"}), lots = peakKiB({KESTRIX_PAK_PATH, "list", "many.pak"});
  EXPECT_TRUE(few > 0 && lots > 0 && lots < few + 1024) << few << " KiB, then " << lots << " KiB";
}

TEST_F(Tools, PcxMakesAPictureOfAPpmAndAPpmOfAnyPictureAsTheGameSeesIt) {
  // A comment in the header; 16-bit samples, scaled to 8 bits.
  for (const auto& [ppm, pixels] : std::vector<std::pair<Bytes, std::vector<std::uint32_t>>>{
           {joined("P6\n# made by hand\n3 1\n255\n", {0, 15, 30, 45, 60, 75, 225, 240, 255}), {0x000F1E, 0x2D3C4B, 0xE1F0FF}},
           {joined("P6 1 1 65535\n", {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00}), {0xFF8000}}}) {
    writeBytes("in.ppm", ppm);
    ASSERT_EQ(runShell(pcx + "to-pcx in.ppm out.pcx").status, 0);
    EXPECT_EQ(decodePixels(readBytes("out.pcx"), pixels.size()), pixels);
  }
  // Read once, from a pipe; one-plane pictures through their palette, or as grey.
  const std::uint8_t indices[] = {0, 1, 2};
  const std::uint32_t rgb[] = {0x000F1E, 0x2D3C4B, 0xE1F0FF};
  Bytes palette(768, 0);
  palette[3] = 0xAA;  // entry 1: red
  palette[8] = 0xBB;  // entry 2: blue
  for (const auto& [picture, ppm] : std::vector<std::pair<Bytes, Bytes>>{
           {encodePcx3(rgb, 1, 3, true), joined("P6\n1 3\n255\n", {0, 15, 30, 45, 60, 75, 225, 240, 255})},
           {encodePcx1(indices, 3, 1, true, palette.data()), joined("P6\n3 1\n255\n", {0, 0, 0, 0xAA, 0, 0, 0, 0, 0xBB})},
           {encodePcx1(indices, 3, 1, false, nullptr), joined("P6\n3 1\n255\n", {0, 0, 0, 1, 1, 1, 2, 2, 2})}}) {
    writeBytes("in.pcx", picture);
    ASSERT_EQ(runShell("cat in.pcx | " + pcx + "to-ppm /dev/stdin out.ppm").status, 0);
    EXPECT_EQ(readBytes("out.ppm"), ppm);
  }
}

TEST_F(Tools, TracePrintsTheStartUpStepAndOneLinePerTickOfTheScript) {
  // Names in any case, commas or blanks between them; Windows line ends; no final newline.
  for (const auto& [script, lines] :
       {std::pair{"\nright\nUP SPACE\n\nleft,space\n",
                  "0 10 231 1 0 0 0\n1 10 231 1 0 0 0\n2 11 231 1 0 0 0\n3 11 231 1 34 10 1\n"
                  "4 11 230 1 33 9 0 0:16,230,30\n5 10 229 -1 32 8 0 0:18,230,29\n"},
        {"RIGHT\r\nRIGHT", "0 10 231 1 0 0 0\n1 11 231 1 0 0 0\n2 12 231 1 0 0 0\n"}}) {
    writeBytes("keys.txt", textBytes(script));
    EXPECT_EQ(runShell(trace + "< keys.txt; echo exit $?").output, std::string(lines) + "exit 0\n");
  }
}

TEST_F(Tools, SnapshotWritesTheFrameTheGameComposesAfterTheScript) {
  writeBytes("script.txt", textBytes("RIGHT\nRIGHT SPACE\nSPACE\nUP\n\n\n"));
  ASSERT_EQ(runShell(snapshot + "shot.png < script.txt").status, 0);
  ASSERT_EQ(runTool("convert", "shot.png -depth 8 rgb:shot.rgb").status, 0);  // ImageMagick reads it back
  const Bytes rgb = readBytes("shot.rgb");
  ASSERT_EQ(rgb.size(), 320u * 240u * 3u);
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

TEST(PcxWriter, PicturesComeBackThroughTheLoader) {
  for (const std::uint32_t w : {1, 2, 63, 64, 65, 127, 320, 3001}) {  // 3001: past a row buffer of 2048
    for (const bool runLength : {true, false}) {
      SCOPED_TRACE(testing::Message() << "width " << w << " rle " << runLength);
      // Long runs, short runs, and values at and above 0xC0.
      std::vector<std::uint32_t> rgb;
      for (std::uint32_t i = 0; i < w * 6; ++i) {
        const std::uint32_t x = i % w, y = i / w;
        rgb.push_back(y < 2 ? ((x / 40) % 2 ? 0x00FF00u : 0x102030u) : y < 4 ? (x / 2 * 3 % 256) << 16 | y << 8 | 0xC0
                                                                         : (x * 73856093u ^ y * 2654435761u) >> 8);
      }
      const int width = static_cast<int>(w);
      EXPECT_EQ(decodePixels(encodePcx3(rgb.data(), width, 6, runLength), rgb.size()), rgb);
      std::vector<std::uint8_t> indices(rgb.begin(), rgb.end()), got(rgb.size());  // the low bytes
      std::vector<unsigned char> palette(768), gotPalette(768);
      for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<unsigned char>(i * 11);
      decodePcx(encodePcx1(indices.data(), width, 6, runLength, palette.data()), got.data(), got.size(), gotPalette.data());
      EXPECT_EQ(got, indices);
      EXPECT_EQ(gotPalette, palette);
    }
  }
}

TEST(PcxWriter, RowsArePaddedToAnEvenLengthAndSizesTheHeaderCannotHoldRefused) {
  const std::uint8_t indices[] = {1, 1, 1, 2, 2, 2};  // 3 × 2
  const std::vector<unsigned char> file = encodePcx1(indices, 3, 2, true, nullptr);
  EXPECT_EQ(file[66] | file[67] << 8, 4);
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 128, file.end()),
            (std::vector<unsigned char>{0xC3, 1, 0, 0xC3, 2, 0}));  // a run stays in its row
  const std::uint32_t pixel = 0;
  EXPECT_THROW(encodePcx3(&pixel, 0, 1, true), std::invalid_argument);
  EXPECT_THROW(encodePcx3(&pixel, 1, 65537, true), std::invalid_argument);
}

ItModule oneNote() {
  ItModule m;
  m.channels = 3;
  std::vector<std::int16_t> square(50, 12000);
  square.resize(100, -12000);
  m.samples.push_back(ItSample{.name = "", .pcm = square, .c5Speed = 26163, .loop = true, .loopEnd = 100});
  m.patterns.emplace_back(32, 3);
  m.patterns[0].at(0, 1) = ItCell{itMiddleC, 1, 64, 0, 0};
  m.patterns[0].at(0, 2) = ItCell{itNoteCut, 0, -1, 0, 0};
  m.patterns[0].at(1, 0) = ItCell{itNoNote, 0, 20, 19, 0xC3};  // volume 20, effect S, parameter C3
  m.orders = {0, 0};
  return m;
}

TEST(ItWriter, WritesWhatLibopenmptReadsAsMadeAndPlaysWithoutComplaint) {
  const auto b = writeIt(oneNote());
  std::vector<std::string> log;
  const auto collect = [](const char* text, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(text); };
  openmpt_module* m = openmpt_module_create_from_memory2(b.data(), b.size(), collect, &log, openmpt_error_func_ignore,
                                                         nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(log.empty()) << log.front();
  for (const auto& [row, channel, cell] : std::vector<std::tuple<int, int, std::string>>{
           {0, 0, "... .. .. ..."}, {0, 1, "C-5 01v40 ..."}, {0, 2, "^^^ .. .. ..."}, {1, 0, "... ..v14 SC3"}}) {
    const char* text = openmpt_module_format_pattern_row_channel(m, 0, row, channel, 0, 1);
    EXPECT_EQ(text, cell) << row << " " << channel;
    openmpt_free_string(text);
  }
  // Two rounds of 32 rows at speed 6, tempo 125: 7.68 s.
  EXPECT_NEAR(openmpt_module_get_duration_seconds(m), 7.68, 0.01);
  openmpt_module_destroy(m);
}

TEST(ItWriter, RefusesWhatTheFormatCannotHold) {
  for (const auto& change : std::vector<void (*)(ItModule&)>{
           [](ItModule& m) { m.orders = {1}; }, [](ItModule& m) { m.patterns[0].at(3, 0).sample = 2; },
           [](ItModule& m) { m.patterns[0].at(3, 0).note = 120; }, [](ItModule& m) { m.samples[0].loopEnd = 101; },
           [](ItModule& m) { m.channels = 65; }, [](ItModule& m) { m.patterns[0] = ItPattern(201, 3); }}) {
    ItModule m = oneNote();
    change(m);
    EXPECT_THROW(writeIt(m), std::invalid_argument);
  }
}

}  // namespace
