// A FIFO or a device where a picture, the archive or a sound is expected is refused at once,
// never waited on. Opening a FIFO the ordinary way waits for a writer for ever, so each
// check runs in a child process that an alarm ends.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "display/resource.h"
#include "platform/bass/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

bool opens(const char* requested) {
  std::string name = requested;
  std::FILE* stream = openResource(name.data(), "rb");
  if (stream != nullptr) std::fclose(stream);
  return stream != nullptr;
}

void expectInTime(const std::function<bool()>& check) {
  EXPECT_EXIT((alarm(10), std::_Exit(check() ? 0 : 2)), ::testing::ExitedWithCode(0), "");
}

using NonRegularFiles = TempFolderTest;

TEST_F(NonRegularFiles, AreRefusedAtOnce) {
  ASSERT_EQ(mkfifo("Fondo.pcx", 0600), 0);  // found by name and through the case-blind search
  ASSERT_EQ(symlink("/dev/zero", "bloque.pcx"), 0);
  ASSERT_EQ(mkfifo("kestrix.pak", 0600), 0);
  ASSERT_EQ(mkfifo("cagadon.it", 0600), 0);
  writeBytes("pompa.pcx", textBytes("plain"));
  expectInTime([] { return !opens("Fondo.pcx") && !opens("FONDO.PCX") && !opens("bloque.pcx"); });
  archivePath = "kestrix.pak";  // no archive: the plain file
  expectInTime([] { return opens("pompa.pcx") && !readAudioFile("cagadon.it", 0, 0); });
}

}  // namespace
