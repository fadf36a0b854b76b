// The real game under Xvfb, driven with xdotool and read back from screenshots: the start
// and a walk on every display path; on DirectDraw at 32 bits a jump, a minimised spell and a
// bubble; and how it ends without pictures or a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/resource.h"
#include "game/assets.h"
#include "game/game_state.h"
#include "tests/e2e/expected_screen.h"
#include "tests/e2e/game_session.h"

namespace e2e {
namespace {

using expected::Frame;
using expected::height;
using expected::width;

constexpr double tickSeconds = 0.014;

struct DisplayPath {
  std::string name;
  std::vector<std::string> settings;  // for the game's environment
  int depth;                          // 0 for Direct3D
  bool rgb555;
};
const DisplayPath directDraw32{"DirectDraw32", {"KESTRIX_DIRECT3D=0"}, 32, false};

// The frame the game composes for this player (and no bubble), as the path shows it.
Frame expectedFor(const Player& state, const DisplayPath& path) {
  if (assets == nullptr) {
    static const std::string archive = std::string(KESTRIX_ASSETS_DIR) + "/kestrix.pak";
    archivePath = archive.c_str();
    loadAssets();
  }
  *player = state;
  for (Bubble& slot : bubblePool->slots) slot = Bubble{freeSlotMarker, freeSlotMarker, 0, 0};
  const std::uint32_t* frame = composeFrame();
  const Frame composed(frame, frame + width * height);
  return path.depth == 0 ? composed : expected::screenAt(composed, path.depth, path.rgb555);
}

Player at(int x, int y) {
  Player p;
  p.x = x;
  p.y = y;
  return p;
}

// Where the frame lies on the screen: DirectDraw scales each pixel to a whole square, centred;
// Direct3D its 800×600 device (2.5 device pixels a frame pixel) to the whole screen, keeping
// its aspect.
struct Placement {
  double left, top, scale;  // scale: screen pixels to a frame pixel
};
Placement placementOn(const Screen& screen, const DisplayPath& path) {
  const double scale = path.depth == 0 ? 2.5 * std::min(screen.width / 800.0, screen.height / 600.0)
                                       : std::max(1, std::min(screen.width / width, screen.height / height));
  return {(screen.width - width * scale) / 2, (screen.height - height * scale) / 2, scale};
}

// The frame read back from the middle of each frame pixel on the screen.
Frame frameOnScreen(const Screen& screen, const DisplayPath& path) {
  const Placement place = placementOn(screen, path);
  Frame frame(width * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      frame[y * width + x] = screen.at(std::min(static_cast<int>(place.left + (x + 0.5) * place.scale), screen.width - 1),
                                       std::min(static_cast<int>(place.top + (y + 0.5) * place.scale), screen.height - 1));
    }
  }
  return frame;
}

// Screen pixels around the frame that are not black.
int strayPixels(const Screen& screen, const DisplayPath& path) {
  const Placement place = placementOn(screen, path);
  int count = 0;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      const bool inside = x >= place.left && x < place.left + width * place.scale && y >= place.top &&
                          y < place.top + height * place.scale;
      count += !inside && screen.at(x, y) != 0;
    }
  }
  return count;
}

// Pixels shown otherwise than expected: exactly, on DirectDraw; on Direct3D, whose scaling
// filters, a channel outside the range of that channel around the expected pixel, give or take 8.
int mismatches(const Frame& shown, const Frame& expected, const DisplayPath& path) {
  int count = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = shown[y * width + x];
      if (path.depth != 0 || pixel == expected[y * width + x]) {
        count += pixel != expected[y * width + x];
        continue;
      }
      for (int shift = 0; shift < 24; shift += 8) {
        int low = 255;
        int high = 0;
        for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
          for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
            low = std::min(low, static_cast<int>(expected[ny * width + nx] >> shift & 0xFF));
            high = std::max(high, static_cast<int>(expected[ny * width + nx] >> shift & 0xFF));
          }
        }
        const int value = static_cast<int>(pixel >> shift & 0xFF);
        if (value < low - 8 || value > high + 8) {
          ++count;
          break;
        }
      }
    }
  }
  return count;
}

int allowedMismatches(const DisplayPath& path) { return path.depth == 0 ? width * height / 200 : 0; }

// Of the players made by player(low..high), the one whose frame the shown one matches best.
struct Seen {
  int at = -1;
  int mismatches = 1 << 30;
};
template <typename PlayerAt>
Seen bestMatch(const Frame& shown, const DisplayPath& path, int low, int high, PlayerAt playerAt) {
  Seen best;
  for (int i = low; i <= high; ++i) {
    const int count = mismatches(shown, expectedFor(playerAt(i), path), path);
    if (count < best.mismatches) best = Seen{i, count};
  }
  return best;
}

// Polls the screen until the frame shown passes the check: that frame, or the last one
// looked at when none did in time.
template <typename Check>
Frame waitForScreen(GameSession& game, const DisplayPath& path, Check passes, double seconds = 10) {
  const double end = nowSeconds() + seconds;
  Frame shown;
  do {
    shown = frameOnScreen(takeScreenshot(), path);
    if (passes(shown)) break;
    sleepSeconds(0.02);
  } while (nowSeconds() < end && game.running());
  return shown;
}

// The frame once nothing moves any more: the same twice, two ticks apart.
Frame waitForStill(GameSession& game, const DisplayPath& path) {
  Frame previous;
  return waitForScreen(game, path, [&previous](const Frame& shown) {
    const bool still = shown == previous;
    previous = shown;
    if (!still) sleepSeconds(2 * tickSeconds);
    return still;
  });
}

void endWithEscape(GameSession& game) {
  game.xdotool("key Escape");
  EXPECT_EQ(game.waitForExit(), 0) << game.errorOutput();
}

class EveryDisplayPath : public ::testing::TestWithParam<DisplayPath> {};

TEST_P(EveryDisplayPath, ShowsTheStartAndWalksWhileRightIsHeld) {
  const DisplayPath& path = GetParam();
  GameSession game({path.settings, allDataFiles()});
  ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
  // The first frame: the level, and the player standing at (10, 231) facing right.
  const Frame start = expectedFor(Player{}, path);
  const auto isStart = [&](const Frame& shown) { return mismatches(shown, start, path) <= allowedMismatches(path); };
  EXPECT_TRUE(isStart(waitForScreen(game, path, isStart))) << "the first frame is not the start";
  EXPECT_EQ(strayPixels(takeScreenshot(), path), 0) << "the screen around the frame is not black";

  // The key is held for at least (released − pressed) and at most (after release − before
  // press); the player walks one pixel in every tick that sees it down.
  const double beforePress = nowSeconds();
  game.xdotool("keydown Right");
  const double pressed = nowSeconds();
  sleepSeconds(1.0);
  const double released = nowSeconds();
  game.xdotool("keyup Right");
  const double afterRelease = nowSeconds();
  const int fewest = static_cast<int>((released - pressed) / tickSeconds) - 3;
  const int most = static_cast<int>((afterRelease - beforePress) / tickSeconds) + 3;
  const Seen seen = bestMatch(waitForStill(game, path), path, 10, 10 + 2 * most, [](int x) { return at(x, 231); });
  EXPECT_LE(seen.mismatches, allowedMismatches(path));
  EXPECT_GT(seen.at, 10);
  // Only DirectDraw at 32 bits draws fast enough for its key events to keep to the tick
  // under load; the other paths only have to walk.
  if (path.depth == 32) {
    EXPECT_GE(seen.at - 10, fewest) << "held " << released - pressed << " s";
    EXPECT_LE(seen.at - 10, most) << "held at most " << afterRelease - beforePress << " s";
  }
  endWithEscape(game);
}

INSTANTIATE_TEST_SUITE_P(
    GameOnScreen, EveryDisplayPath,
    ::testing::Values(
        DisplayPath{"Direct3D", {}, 0, false}, directDraw32,
        DisplayPath{"DirectDraw24", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=24,16,8"}, 24, false},
        DisplayPath{"DirectDraw16", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=16,8"}, 16, false},
        DisplayPath{"DirectDraw16_555", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=16", "KESTRIX_16BIT=555"}, 16,
                    true},
        DisplayPath{"DirectDraw8", {"KESTRIX_DIRECT3D=0", "KESTRIX_DISPLAY_DEPTHS=8"}, 8, false}),
    [](const auto& test) { return test.param.name; });

// Where the bubble sprite shows whole (every pixel of it that is not black) on the frame.
bool bubbleShown(const Frame& shown) {
  for (int top = 0; top + spriteSize <= height; ++top) {
    for (int left = 0; left + spriteSize <= width; ++left) {
      bool whole = true;
      for (int i = 0; i < spriteSize * spriteSize && whole; ++i) {
        whole = assets->bubble[i] == 0 || shown[(top + i / spriteSize) * width + left + i % spriteSize] == assets->bubble[i];
      }
      if (whole) return true;
    }
  }
  return false;
}

// Without its sound files, so its jumps run silent too.
TEST(GameOnScreen, JumpsKeepsTickingWhileMinimisedAndBlowsABubble) {
  GameSession game({directDraw32.settings, {"kestrix.pak"}});
  ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
  const Frame start = waitForStill(game, directDraw32);
  // The height of the player over his start (x 10, facing right) on a frame.
  const auto heightOn = [](const Frame& shown) {
    return bestMatch(shown, directDraw32, 150, 231, [](int y) { return at(10, y); });
  };
  // Up is held until the player leaves the floor: a press between two ticks would be missed.
  const auto jump = [&] {
    game.xdotool("keydown Up");
    waitForScreen(game, directDraw32, [&start](const Frame& shown) { return shown != start; });
    game.xdotool("keyup Up");
  };

  jump();
  int top = 231;
  for (const double end = nowSeconds() + 3; nowSeconds() < end;) {
    const Frame shown = frameOnScreen(takeScreenshot(), directDraw32);
    if (shown == start) break;  // landed
    const Seen seen = heightOn(shown);
    if (seen.mismatches == 0) top = std::min(top, seen.at);
  }
  EXPECT_LT(top, 231 - spriteSize) << "the player never rose a sprite's height";
  EXPECT_TRUE(waitForScreen(game, directDraw32, [&start](const Frame& shown) { return shown == start; }) == start)
      << "the player did not land again";

  jump();  // and minimised while he rises: the jump lasts about 0.95 s
  const double jumped = nowSeconds();
  game.xdotool("windowunmap --sync " + game.window());
  // Once the game has seen it, its main thread sleeps: a fifth of a second under 2 ms of CPU.
  bool asleep = false;
  for (const double end = nowSeconds() + 5; !asleep && nowSeconds() < end;) {
    const std::int64_t from = game.mainThreadCpuNs();
    sleepSeconds(0.2);
    asleep = game.mainThreadCpuNs() - from < 2'000'000;
  }
  EXPECT_TRUE(asleep) << "minimised, the main thread keeps working";
  sleepSeconds(std::max(0.0, jumped + 1.5 - nowSeconds()));  // minimised for longer than the jump
  // Without a window manager nobody gives the mapped window the keyboard; a manager would.
  game.xdotool("windowmap --sync " + game.window() + " windowfocus --sync " + game.window());
  // The ticks went on meanwhile: the first frame shown again has the player on the floor.
  const Frame back = waitForScreen(game, directDraw32, [&](const Frame& shown) { return heightOn(shown).mismatches == 0; });
  EXPECT_EQ(heightOn(back).at, 231) << "the first frame after the restore shows the player in the air";

  game.xdotool("keydown space");  // held until the bubble shows, as Up is
  EXPECT_TRUE(bubbleShown(waitForScreen(game, directDraw32, bubbleShown)));
  game.xdotool("keyup space");
  endWithEscape(game);
}

TEST(GameEnds, WithoutPicturesOrADisplayItSaysWhyAndEndsWithCode1) {
  const std::pair<SessionOptions, std::string> cases[] = {
      // No X server needed: the message goes to standard error as well as into the box.
      {{{"SDL_VIDEODRIVER=dummy", "KESTRIX_DIRECT3D=0"}, {"cagadon.it", "saltito.mp3"}},
       "Error: No encuentro el fichero \"pacoi1.pcx\""},
      // Rather than running unseen on SDL's off-screen driver, which no one could end.
      {{{"-DISPLAY", "-WAYLAND_DISPLAY", "-SDL_VIDEODRIVER"}, allDataFiles()}, "Error: ERROR: no puedo crear la ventana"},
  };
  for (const auto& [options, message] : cases) {
    GameSession game(options);
    EXPECT_EQ(game.waitForExit(), 1) << message;
    EXPECT_NE(game.errorOutput().find(message), std::string::npos) << game.errorOutput();
  }
}

}  // namespace
}  // namespace e2e
