// fatalError: the formatted message in a box captioned "Error" (and on standard error),
// cut to fit 1024 bytes, then exit code 1.
#include <gtest/gtest.h>

#include <string>

#include "display/fatal_error.h"
#include "tests/support/headless_video.h"

namespace {

TEST(FatalErrorDeathTest, ShowsTheFormattedMessageThenExitsWithOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(fatalError("No encuentro el fichero \"%s\" (%d)", "fondo.pcx", 3), ::testing::ExitedWithCode(1),
              "^Error: No encuentro el fichero \"fondo.pcx\" \\(3\\)\n$");
  EXPECT_EXIT(fatalError("SetCooperativeLevel FAILED"), ::testing::ExitedWithCode(1),
              "^Error: SetCooperativeLevel FAILED\n$");
  EXPECT_EXIT(fatalError("%s", ""), ::testing::ExitedWithCode(1), "^Error: \n$");
}

TEST(FatalErrorDeathTest, CutsALongMessageToFitTheBuffer) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string fits(1023, 'a');
  const std::string tooLong(5000, 'b');
  EXPECT_EXIT(fatalError("%s", fits.c_str()), ::testing::ExitedWithCode(1), "^Error: a{1023}\n$");
  EXPECT_EXIT(fatalError("%s", tooLong.c_str()), ::testing::ExitedWithCode(1), "^Error: b{1023}\n$");
  EXPECT_EXIT(fatalError("%s!", fits.c_str()), ::testing::ExitedWithCode(1), "^Error: a{1023}\n$");
}

}  // namespace
