// KESTRIX_WINDOW, the window for development, under Xvfb (1024×768): the game shows in a
// window of twice the frame's size rather than over the screen, and the picture in it is
// the frame twice as large, on DirectDraw (whole 2×2 squares) and on Direct3D (its back
// buffer stretched to fill). What a setting asks for becomes a scale that fits, or none.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/win32/development_window.h"
#include "tests/e2e/frame_match.h"
#include "tests/e2e/game_session.h"

namespace e2e {
namespace {

struct Place {
  int x = 0, y = 0, width = 0, height = 0;
};

Place gameWindow() {
  Place place;
  if (std::FILE* pipe = popen("xdotool search --onlyvisible --name '^Ejemplo de Kestrix$' getwindowgeometry --shell"
                              " 2>/dev/null", "r")) {
    char line[64];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      std::sscanf(line, "X=%d", &place.x);
      std::sscanf(line, "Y=%d", &place.y);
      std::sscanf(line, "WIDTH=%d", &place.width);
      std::sscanf(line, "HEIGHT=%d", &place.height);
    }
    pclose(pipe);
  }
  return place;
}

Screen inside(const Screen& screen, const Place& place) {
  Screen part;
  part.width = place.width;
  part.height = place.height;
  for (int y = 0; y < place.height; ++y) {
    for (int x = 0; x < place.width; ++x) part.pixels.push_back(screen.at(place.x + x, place.y + y));
  }
  return part;
}

class DevelopmentWindow : public ::testing::TestWithParam<DisplayPath> {};

TEST_P(DevelopmentWindow, ShowsTheFrameTwiceAsLargeInAWindow) {
  const DisplayPath& path = GetParam();
  std::vector<std::string> settings = path.settings;
  settings.push_back("KESTRIX_WINDOW=2");
  GameSession game(SessionOptions{settings, allDataFiles()});
  ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
  const Place place = gameWindow();
  ASSERT_EQ(place.width, 640);
  ASSERT_EQ(place.height, 480);
  const Frame expected = asShownOn(composeFor(Player{}), path);
  int count = 0;
  for (const double end = nowSeconds() + 10; nowSeconds() < end && game.running(); sleepSeconds(0.02)) {
    count = mismatches(frameOnScreen(inside(takeScreenshot(), place), path), expected, path);
    if (count <= allowedMismatches(path)) break;
  }
  EXPECT_LE(count, allowedMismatches(path));
  game.key("Escape");
  EXPECT_EQ(game.waitForExit(), 0) << game.errorOutput();
}

INSTANTIATE_TEST_SUITE_P(GameInAWindow, DevelopmentWindow,
                         ::testing::Values(everyDisplayPath()[0], directDraw32()),
                         [](const auto& test) { return test.param.name; });

TEST(DevelopmentWindow, ASettingBecomesAScaleThatFitsOrFullScreen) {
  struct Case {
    const char* setting;
    int scale;
    bool complains;
  } cases[] = {{nullptr, 0, false}, {"", 0, false}, {"2", 2, false}, {"3", 3, false}, {"4", 3, true},
               {"99999999999", 3, true}, {"0", 0, true}, {"-2", 0, true}, {"2x", 0, true}, {"abc", 0, true}};
  for (const Case& c : cases) {
    std::string complaint;
    EXPECT_EQ(platform::windowScaleFor(c.setting, 1024, 768, complaint), c.scale) << (c.setting ? c.setting : "unset");
    EXPECT_EQ(!complaint.empty(), c.complains) << complaint;
  }
  std::string complaint;
  EXPECT_EQ(platform::windowScaleFor("1", 300, 768, complaint), 0) << "a screen narrower than the frame";
  EXPECT_FALSE(complaint.empty());
}

}  // namespace
}  // namespace e2e
