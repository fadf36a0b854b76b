// What the game should show, and where on the screen each display path shows it: the
// expected 320×240 frame for a game state, composed by the game's own code and carried
// through the path's pixel format, and the frame read back from a screenshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "tests/e2e/game_session.h"

namespace e2e {

using Frame = std::vector<std::uint32_t>;  // 320 × 240, 0x00RRGGBB

struct DisplayPath {
  std::string name;
  std::vector<std::string> settings;  // for the game's environment
  int depth;                          // 0 for Direct3D
  bool rgb555;
};
std::vector<DisplayPath> everyDisplayPath();
const DisplayPath& directDraw32();

// Loads the pictures from the committed archive (once).
void loadExpectedPictures();
// The frame the game composes for this player, with every bubble slot free but those given.
Frame composeFor(const Player& state, const std::vector<Bubble>& bubbles = {});
// The frame as the path shows it: DirectDraw's conversion to the mode's depth and back to
// RGB as the screen shows it; Direct3D leaves the pixels as they are.
Frame asShownOn(const Frame& frame, const DisplayPath& path);
// The frame read back from the screen: DirectDraw scales each pixel to a whole square,
// Direct3D the 800×600 device (filtered) to the whole screen keeping its aspect.
Frame frameOnScreen(const Screen& screen, const DisplayPath& path);
// Pixels shown otherwise than expected: exactly, on DirectDraw; on Direct3D, whose scaling
// filters, outside the colours of the expected pixel's neighbourhood.
int mismatches(const Frame& shown, const Frame& expected, const DisplayPath& path);
// How many mismatches a path may have where the frame is the expected one.
int allowedMismatches(const DisplayPath& path);

// The player's position on a shown frame: the state among those searched whose frame
// matches best (x and y in the ranges, either facing, blowing or not).
struct PlayerSeen {
  Player state;
  int mismatches = 1 << 30;
};
PlayerSeen findPlayer(const Frame& shown, const DisplayPath& path, int xLow, int xHigh, int yLow, int yHigh);
// The same for a player standing on the floor (y 231) wherever he walked: his columns are
// found against the frame without him first, so that only a few positions are searched.
PlayerSeen findPlayerOnTheFloor(const Frame& shown, const DisplayPath& path);

// Where the bubble sprite shows on the frame, if anywhere: every non-black pixel of the
// sprite at the position matches.
bool bubbleShown(const Frame& shown);

}  // namespace e2e
