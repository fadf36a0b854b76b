#include "game/level_map.h"

#include <cstddef>

namespace {

// Rows 2–5 spell a banner in block letters inside the closed box of rows 0–6; the play
// area is rows 7–28 between the side walls, with the floor in row 29.
constexpr const char* mapRows[levelRows] = {
    "****************************************",  // 0
    "*                                      *",  // 1
    "*   **   *  **   **  *  *** ***  **    *",  // 2
    "*   * * * * * * *   * *  *  **  *      *",  // 3
    "*   **  *** **  *   * *  *  *     *    *",  // 4
    "*   *   * * * *  **  *   *  *** **     *",  // 5
    "****************************************",  // 6
    "*                                      *",  // 7
    "*                                      *",  // 8
    "*                                      *",  // 9
    "*                                      *",  // 10
    "*                                      *",  // 11
    "*                                      *",  // 12
    "*                                      *",  // 13
    "*    *****                    *****    *",  // 14
    "*        *                    *        *",  // 15
    "*        *                    *        *",  // 16
    "*        *                    *        *",  // 17
    "*        *                    *        *",  // 18
    "*        *                    *        *",  // 19
    "*        ***                ***        *",  // 20
    "*                                      *",  // 21
    "*                                      *",  // 22
    "*      **********            *****     *",  // 23
    "*                                      *",  // 24
    "*                                      *",  // 25
    "*      *****************   *******     *",  // 26
    "*                                      *",  // 27
    "*                                      *",  // 28
    "****************************************",  // 29
};

constexpr LevelMap buildMap() {
  LevelMap map{};  // zero-filled: every column 40 stays NUL
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      map[static_cast<std::size_t>(r * levelRowBytes + c)] = mapRows[r][c];
    }
  }
  return map;
}

}  // namespace

// Built at compile time; the header's extern declaration gives it external linkage.
constexpr LevelMap levelMap = buildMap();

char levelCell(int column, int row) {
  if (row < 0 || row >= levelRows || column < 0 || column > levelColumns) {
    return blankCell;
  }
  return levelMap[static_cast<std::size_t>(row * levelRowBytes + column)];
}
