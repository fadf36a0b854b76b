// The real game under Xvfb, driven with xdotool and read back from screenshots: what it
// shows at start, walking, jumping and blowing, minimised, on every display path, and how
// it ends (Escape, a missing picture, missing sounds).
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/frame_match.h"
#include "tests/e2e/game_session.h"

namespace e2e {
namespace {

constexpr double tickSeconds = 0.014;

SessionOptions optionsFor(const DisplayPath& path, std::vector<std::string> files = allDataFiles()) {
  return SessionOptions{path.settings, std::move(files)};
}

// Polls the screen until the shown frame is the expected one; the mismatches of the last look.
int waitForFrame(GameSession& game, const DisplayPath& path, const Frame& expected, double seconds = 10) {
  const double end = nowSeconds() + seconds;
  int count = 0;
  do {
    count = mismatches(frameOnScreen(takeScreenshot(), path), expected, path);
    if (count <= allowedMismatches(path)) break;
    sleepSeconds(0.02);
  } while (nowSeconds() < end && game.running());
  return count;
}

// Polls the screen until the frame shown passes the check; that frame, or the last one
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

Frame startFrame(const DisplayPath& path) { return asShownOn(composeFor(Player{}), path); }

void endWithEscape(GameSession& game) {
  game.key("Escape");
  EXPECT_EQ(game.waitForExit(), 0) << game.errorOutput();
}

// The player where he stands or rises above the start, found on a frame (x 10, either way).
PlayerSeen playerAboveTheStart(const Frame& shown) { return findPlayer(shown, directDraw32(), 10, 10, 150, 231); }

TEST(GameOnScreen, FirstFrameShowsTheLevelAndThePlayerAtHisStart) {
  GameSession game(optionsFor(directDraw32()));
  ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
  // DirectDraw at 32 bits shows the composed frame exactly: every pixel of background,
  // blocks and player, the player standing at (10, 231) facing right.
  EXPECT_EQ(waitForFrame(game, directDraw32(), startFrame(directDraw32())), 0);
  endWithEscape(game);
}

TEST(GameOnScreen, HoldingRightWalksOnePixelPerTickHeld) {
  GameSession game(optionsFor(directDraw32()));
  ASSERT_TRUE(game.waitForWindow());
  ASSERT_EQ(waitForFrame(game, directDraw32(), startFrame(directDraw32())), 0);

  // The key is held for at least (released − pressed) and at most (after release − before
  // press); the player walks one pixel in every tick that sees it down.
  const double beforePress = nowSeconds();
  game.keyDown("Right");
  const double pressed = nowSeconds();
  sleepSeconds(1.0);
  const double released = nowSeconds();
  game.keyUp("Right");
  const double afterRelease = nowSeconds();

  const PlayerSeen seen = findPlayerOnTheFloor(waitForStill(game, directDraw32()), directDraw32());
  EXPECT_EQ(seen.mismatches, 0);
  EXPECT_EQ(seen.state.facing, 1);
  const int fewest = static_cast<int>((released - pressed) / tickSeconds) - 1;
  const int most = static_cast<int>((afterRelease - beforePress) / tickSeconds) + 1;
  const int walked = seen.state.x - 10;
  EXPECT_GE(walked, fewest - 2) << "held " << released - pressed << " s";
  EXPECT_LE(walked, most + 2) << "held at most " << afterRelease - beforePress << " s";
  endWithEscape(game);
}

TEST(GameOnScreen, AJumpAndABubbleShowOnScreen) {
  GameSession game(optionsFor(directDraw32()));
  ASSERT_TRUE(game.waitForWindow());
  const Frame start = startFrame(directDraw32());
  ASSERT_EQ(waitForFrame(game, directDraw32(), start), 0);

  // Up is held until the player leaves the floor: a press shorter than a tick, or one the
  // game reads in the same turn as its release, would not be seen by the tick.
  game.keyDown("Up");
  waitForScreen(game, directDraw32(), [&start](const Frame& shown) { return shown != start; });
  game.keyUp("Up");
  // The frames of the jump, read as fast as they come: the player's top row is the first
  // that differs from the start frame in his columns; the highest frame is searched.
  const auto topRow = [&start](const Frame& shown) {
    for (int y = 0; y < 240; ++y) {
      for (int x = 10; x < 10 + spriteSize; ++x) {
        if (shown[y * 320 + x] != start[y * 320 + x]) return y;
      }
    }
    return 240;
  };
  Frame highest = start;
  for (const double end = nowSeconds() + 3; nowSeconds() < end;) {
    Frame shown = frameOnScreen(takeScreenshot(), directDraw32());
    if (shown == start) break;  // back on the floor
    if (topRow(shown) < topRow(highest)) highest = std::move(shown);
  }
  const PlayerSeen seen = playerAboveTheStart(highest);
  EXPECT_EQ(seen.mismatches, 0);
  EXPECT_LT(seen.state.y, 231 - 16) << "the player never rose a sprite's height";
  EXPECT_EQ(waitForFrame(game, directDraw32(), start), 0) << "the player did not land again";

  game.keyDown("space");  // held until the bubble shows, for the same reason as Up
  const Frame blown = waitForScreen(game, directDraw32(), [](const Frame& shown) { return bubbleShown(shown); });
  game.keyUp("space");
  EXPECT_TRUE(bubbleShown(blown));
  endWithEscape(game);
}

TEST(GameOnScreen, MinimisedItStopsDrawingButKeepsTicking) {
  GameSession game(optionsFor(directDraw32()));
  ASSERT_TRUE(game.waitForWindow());
  const Frame start = startFrame(directDraw32());
  ASSERT_EQ(waitForFrame(game, directDraw32(), start), 0);

  const std::int64_t drawingFrom = game.mainThreadCpuNs();
  sleepSeconds(1.0);
  const std::int64_t drawing = game.mainThreadCpuNs() - drawingFrom;

  // Jump, and minimise while rising: the jump lasts about 0.95 s.
  game.keyDown("Up");
  waitForScreen(game, directDraw32(), [&start](const Frame& shown) { return shown != start; });
  game.keyUp("Up");
  game.minimise();
  // Once the game has seen it, the main thread sleeps: a tenth of a second without a
  // millisecond of its time (or the deadline, after which the figure below tells).
  for (const double end = nowSeconds() + 5; nowSeconds() < end;) {
    const std::int64_t from = game.mainThreadCpuNs();
    sleepSeconds(0.1);
    if (game.mainThreadCpuNs() - from < 1'000'000) break;
  }
  const std::int64_t minimisedFrom = game.mainThreadCpuNs();
  sleepSeconds(1.0);
  const std::int64_t minimised = game.mainThreadCpuNs() - minimisedFrom;
  // Asleep in WaitMessage: no composition, no presentation.
  EXPECT_LT(minimised * 5, drawing) << "main thread CPU per second: " << minimised << " ns minimised, " << drawing
                                    << " ns drawing";

  game.restore();
  // The ticks went on meanwhile: the first frame the game shows again has the player back
  // on the floor. Had they stopped, the rest of the jump would keep him in the air for
  // most of a second.
  const Frame back =
      waitForScreen(game, directDraw32(), [](const Frame& shown) { return playerAboveTheStart(shown).mismatches == 0; });
  const PlayerSeen seen = playerAboveTheStart(back);
  EXPECT_EQ(seen.mismatches, 0);
  EXPECT_EQ(seen.state.y, 231) << "the first frame after the restore shows the player in the air";
  endWithEscape(game);
}

TEST(GameEnds, EachMissingPictureEndsItWithItsMessageAndCode1) {
  for (const std::string& missing : pictureFiles()) {
    std::vector<std::string> files = {"cagadon.it", "saltito.mp3"};
    for (const std::string& picture : pictureFiles()) {
      if (picture != missing) files.push_back(picture);
    }
    // No X server needed: the message goes to standard error as well.
    GameSession game(SessionOptions{{"SDL_VIDEODRIVER=dummy", "KESTRIX_DIRECT3D=0"}, files});
    EXPECT_EQ(game.waitForExit(), 1) << missing;
    EXPECT_NE(game.errorOutput().find("Error: No encuentro el fichero \"" + missing + "\""), std::string::npos)
        << missing << ": " << game.errorOutput();
  }
}

TEST(GameEnds, WithoutADisplayItSaysSoAndEndsWithCode1) {
  // Rather than running unseen on SDL's off-screen driver, which no one could end.
  GameSession game(SessionOptions{{"-DISPLAY", "-WAYLAND_DISPLAY", "-SDL_VIDEODRIVER"}, allDataFiles()});
  EXPECT_EQ(game.waitForExit(), 1);
  EXPECT_NE(game.errorOutput().find("Error: ERROR: no puedo crear la ventana"), std::string::npos)
      << game.errorOutput();
}

TEST(GameEnds, WithoutItsSoundFilesItRunsSilentAndEndsWithEscape) {
  GameSession game(SessionOptions{directDraw32().settings, {"kestrix.pak"}});
  ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
  EXPECT_EQ(waitForFrame(game, directDraw32(), startFrame(directDraw32())), 0);
  game.keyDown("Up");  // the jump sound is missing too
  sleepSeconds(0.1);
  game.keyUp("Up");
  sleepSeconds(0.3);
  EXPECT_TRUE(game.running());
  endWithEscape(game);
}

class EveryDisplayPath : public ::testing::TestWithParam<DisplayPath> {};

TEST_P(EveryDisplayPath, ShowsTheGameAndTakesKeys) {
  const DisplayPath& path = GetParam();
  GameSession game(optionsFor(path));
  ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
  const int count = waitForFrame(game, path, startFrame(path));
  EXPECT_LE(count, allowedMismatches(path));

  game.keyDown("Right");
  sleepSeconds(0.3);
  game.keyUp("Right");
  const PlayerSeen seen = findPlayerOnTheFloor(waitForStill(game, path), path);
  EXPECT_LE(seen.mismatches, allowedMismatches(path));
  EXPECT_GT(seen.state.x, 20);
  endWithEscape(game);
}

INSTANTIATE_TEST_SUITE_P(GameOnScreen, EveryDisplayPath, ::testing::ValuesIn(everyDisplayPath()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace e2e
