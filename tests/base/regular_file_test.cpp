// Input files: only regular files, and pipes where a reader asks, are opened; nothing waits;
// a file is read whole or in part only within its limit. Opening a FIFO the ordinary way
// waits for a writer for ever, so the openers are tried in a child process that an alarm ends.
#include "base/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/bass/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

std::string outcome(const base::OpenedFile& opened) {
  if (opened.stream == nullptr) return opened.wrongKind != nullptr ? opened.wrongKind : std::strerror(opened.error);
  std::fclose(opened.stream);
  return "opened, " + std::to_string(opened.size) + " bytes";
}

std::string outcome(const base::FileBytes& file) {
  if (file.ok()) return "\"" + std::string(file.bytes.begin(), file.bytes.end()) + "\"";
  return file.tooLarge ? "too large" : file.tooShort ? "too short" : "error";
}

// In the child: how many openings came out otherwise than they should, each told on stderr.
// Each caller goes through the opener: the picture's case-blind search, the archive (none
// here, so the plain file) and the sounds.
int wrongOpenings() {
  alarm(10);
  int wrong = 0;
  for (const auto& [name, pipes, expected] : std::vector<std::tuple<const char*, bool, std::string>>{
           {"plain", false, "opened, 10 bytes"}, {"link", false, "opened, 10 bytes"},
           {"folder", true, "it is a folder"}, {"fifo", false, "it is a FIFO"}, {"fifo", true, "opened, 0 bytes"},
           {"device", true, "it is a device"}, {"missing", false, std::strerror(ENOENT)}}) {
    const std::string got = outcome(base::openForReading(name, pipes));
    if (got != expected) std::cerr << name << " " << pipes << ": " << got << "\n", ++wrong;
  }
  archivePath = "kestrix.pak";
  std::string fondo = "FONDO.PCX", pompa = "pompa.pcx";
  if (openResource(fondo.data(), "rb") || !openResource(pompa.data(), "rb") || readAudioFile("fifo", 0, 0)) {
    std::cerr << "a caller waits or opens what it should not\n", ++wrong;
  }
  return wrong;
}

using InputFiles = TempFolderTest;

TEST_F(InputFiles, OnlyRegularFilesAndPipesWhereAskedAreOpenedAndNothingWaits) {
  writeBytes("plain", textBytes("0123456789"));
  writeBytes("pompa.pcx", textBytes("plain"));
  for (const char* fifo : {"fifo", "Fondo.pcx", "kestrix.pak"}) ASSERT_EQ(mkfifo(fifo, 0600), 0);
  ASSERT_EQ(symlink("plain", "link") | symlink("/dev/zero", "device") | mkdir("folder", 0700), 0);
  EXPECT_EXIT(std::_Exit(wrongOpenings()), ::testing::ExitedWithCode(0), "");
}

TEST_F(InputFiles, ReadTheRangeAskedForWithinTheLimitOrNothing) {
  writeBytes("plain", textBytes("0123456789"));
  writeBytes("empty", {});
  // Length 0 reads to the end; a rest beyond the limit, or fewer bytes than asked, is nothing.
  for (const auto& [maxBytes, offset, length, expected] : std::vector<std::tuple<int, int, int, std::string>>{
           {10, 0, 0, "\"0123456789\""}, {9, 0, 0, "too large"}, {3, 7, 0, "\"789\""}, {100, 3, 4, "\"3456\""},
           {3, 0, 4, "too large"}, {100, 8, 5, "too short"}, {100, 10, 0, "\"\""}, {100, 11, 0, "too short"}}) {
    EXPECT_EQ(outcome(base::readFile("plain", maxBytes, offset, length)), expected) << offset << "+" << length;
  }
  // A pipe has no size: it is skipped by reading, and read no further than the limit.
  for (const auto& [maxBytes, offset, expected] :
       std::vector<std::tuple<int, int, std::string>>{{100, 2, "\"23456789\""}, {9, 0, "too large"}}) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "0123456789", 10), 10);
    close(ends[1]);
    EXPECT_EQ(outcome(base::readFile(("/dev/fd/" + std::to_string(ends[0])).c_str(), maxBytes, offset, 0, true)), expected);
    close(ends[0]);
  }
  EXPECT_FALSE(readAudioFile("empty", 0, 0));  // a sound is never empty
  EXPECT_FALSE(readAudioFile(nullptr, 0, 0));
}

}  // namespace
