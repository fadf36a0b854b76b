// Non-regular files: a FIFO or a device where a picture, the archive or a sound is expected
// is refused at once, never waited on. Opening a FIFO for reading the ordinary way waits for
// a writer for ever, so each check runs in a child process that an alarm ends.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "display/resource.h"
#include "platform/bass/file_bytes.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

std::string openedText(const char* requested) {
  std::string name = requested;
  std::FILE* stream = openResource(name.data(), "rb");
  if (stream == nullptr) return "<null>";
  std::string text;
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  std::fclose(stream);
  return text;
}

void expectInTime(const std::function<bool()>& check) {
  EXPECT_EXIT(
      {
        alarm(10);
        std::_Exit(check() ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

using NonRegularFiles = TempFolderTest;

TEST_F(NonRegularFiles, APictureThatIsNoRegularFileIsNotFound) {
  struct Case {
    const char* stored;
    const char* requested;
    bool fifo;  // else a link to a device
  };
  for (const Case& c : {Case{"fondo.pcx", "fondo.pcx", true}, Case{"Fondo.pcx", "FONDO.PCX", true},
                         Case{"fondo.pcx", "fondo.pcx", false}}) {
    SCOPED_TRACE(c.stored);
    ASSERT_EQ(c.fifo ? mkfifo(c.stored, 0600) : symlink("/dev/zero", c.stored), 0);
    expectInTime([&] { return openedText(c.requested) == "<null>"; });
    std::remove(c.stored);
  }
}

TEST_F(NonRegularFiles, AnArchiveThatIsNoRegularFileIsNoArchive) {
  ASSERT_EQ(mkfifo("kestrix.pak", 0600), 0);
  writeBytes("fondo.pcx", textBytes("plain"));
  archivePath = "kestrix.pak";
  expectInTime([] { return openedText("fondo.pcx") == "plain"; });
}

TEST_F(NonRegularFiles, ASoundThatIsNoRegularFileIsSilent) {
  ASSERT_EQ(mkfifo("cagadon.it", 0600), 0);
  expectInTime([] { return !readAudioFile("cagadon.it", 0, 0); });
}

}  // namespace
