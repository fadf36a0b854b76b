// A scripted session of the real game for the sanitizer builds, whose reports end it non-zero.
#include <gtest/gtest.h>

#include "tests/e2e/game_session.h"

namespace e2e {
namespace {

void playScript(const std::vector<std::string>& settings) {
  GameSession game({settings, allDataFiles()});
  ASSERT_TRUE(game.waitForWindow(30)) << game.errorOutput();
  // Each set of keys held for some ticks, the last all at once.
  for (const char* keys : {"Right", "Up", "space", "Left", "space", "Up", "Right", "space", "Right Up space"}) {
    game.xdotool(std::string("keydown ") + keys);
    sleepSeconds(0.15);
    game.xdotool(std::string("keyup ") + keys);
  }
  game.xdotool("key Escape");
  EXPECT_EQ(game.waitForExit(30), 0) << game.errorOutput();
}

// On SDL's software renderer: the OpenGL driver's own threads and memory are not what this
// session checks.
TEST(ScriptedSession, Direct3DEndsCleanlyWithEscape) { playScript({"SDL_RENDER_DRIVER=software"}); }
TEST(ScriptedSession, DirectDraw32EndsCleanlyWithEscape) { playScript({"KESTRIX_DIRECT3D=0"}); }

}  // namespace
}  // namespace e2e
