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
    sleepSeconds(0.05);
  } while (nowSeconds() < end && game.running());
  return count;
}

Frame startFrame(const DisplayPath& path) { return asShownOn(composeFor(Player{}), path); }

void endWithEscape(GameSession& game) {
  game.key("Escape");
  EXPECT_EQ(game.waitForExit(), 0) << game.errorOutput();
}

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
  sleepSeconds(0.2);

  const PlayerSeen seen = findPlayer(frameOnScreen(takeScreenshot(), directDraw32()), directDraw32(), 10, 200, 231, 231);
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
  ASSERT_EQ(waitForFrame(game, directDraw32(), startFrame(directDraw32())), 0);

  // A press longer than a tick, so that the tick sees it.
  game.keyDown("Up");
  sleepSeconds(0.05);
  game.keyUp("Up");
  int highest = 231;
  for (int look = 0; look < 8; ++look) {
    const PlayerSeen seen = findPlayer(frameOnScreen(takeScreenshot(), directDraw32()), directDraw32(), 10, 10, 150, 231);
    ASSERT_EQ(seen.mismatches, 0);
    highest = std::min(highest, seen.state.y);
    sleepSeconds(0.05);
  }
  EXPECT_LT(highest, 231 - 16) << "the player never rose a sprite's height";
  sleepSeconds(1.0);
  EXPECT_EQ(findPlayer(frameOnScreen(takeScreenshot(), directDraw32()), directDraw32(), 10, 10, 150, 231).state.y, 231)
      << "the player did not land again";

  game.keyDown("space");
  sleepSeconds(0.05);
  game.keyUp("space");
  bool bubble = false;
  for (int look = 0; look < 10 && !bubble; ++look) bubble = bubbleShown(frameOnScreen(takeScreenshot(), directDraw32()));
  EXPECT_TRUE(bubble);
  endWithEscape(game);
}

TEST(GameOnScreen, MinimisedItStopsDrawingButKeepsTicking) {
  GameSession game(optionsFor(directDraw32()));
  ASSERT_TRUE(game.waitForWindow());
  ASSERT_EQ(waitForFrame(game, directDraw32(), startFrame(directDraw32())), 0);

  const std::int64_t drawingFrom = game.mainThreadCpuNs();
  sleepSeconds(1.0);
  const std::int64_t drawing = game.mainThreadCpuNs() - drawingFrom;

  // Jump, and minimise while rising: the jump lasts about 0.7 s.
  game.keyDown("Up");
  sleepSeconds(0.05);
  game.keyUp("Up");
  game.minimise();
  sleepSeconds(0.2);
  const std::int64_t minimisedFrom = game.mainThreadCpuNs();
  sleepSeconds(1.0);
  const std::int64_t minimised = game.mainThreadCpuNs() - minimisedFrom;
  // Asleep in WaitMessage: no composition, no presentation.
  EXPECT_LT(minimised * 5, drawing) << "main thread CPU per second: " << minimised << " ns minimised, " << drawing
                                    << " ns drawing";

  game.restore();
  // The ticks went on meanwhile: the jump is over, the player is back on the floor. Had
  // they stopped, the 68 ticks of the jump would still keep him in the air for 0.8 s.
  const Frame landed = startFrame(directDraw32());
  EXPECT_EQ(waitForFrame(game, directDraw32(), landed, 0.5), 0);
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
  sleepSeconds(0.1);
  const PlayerSeen seen = findPlayer(frameOnScreen(takeScreenshot(), path), path, 10, 60, 231, 231);
  EXPECT_LE(seen.mismatches, allowedMismatches(path));
  EXPECT_GT(seen.state.x, 20);
  endWithEscape(game);
}

INSTANTIATE_TEST_SUITE_P(GameOnScreen, EveryDisplayPath, ::testing::ValuesIn(everyDisplayPath()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace e2e
