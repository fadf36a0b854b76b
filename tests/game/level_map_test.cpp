// The level map: its contents as drawn in the source, the NUL column and the bounded lookup.
#include <gtest/gtest.h>

#include "game/level_map.h"

namespace {

int blocksInRow(int row) {
  int n = 0;
  for (int c = 0; c < levelColumns; ++c) n += isBlock(levelCell(c, row)) ? 1 : 0;
  return n;
}

TEST(LevelMap, HoldsOnlyBlocksAndBlanksWithANulClosingEveryRow) {
  int blocks = 0;
  for (int r = 0; r < levelRows; ++r) {
    for (int c = 0; c < levelColumns; ++c) {
      const char cell = levelMap[static_cast<std::size_t>(r * levelRowBytes + c)];
      EXPECT_TRUE(cell == '*' || cell == ' ') << "row " << r << " column " << c;
      blocks += cell == '*';
    }
    EXPECT_EQ(levelMap[static_cast<std::size_t>(r * levelRowBytes + levelColumns)], '\0') << "row " << r;
  }
  EXPECT_EQ(blocks, 295);  // one tile per block is drawn in every frame
}

TEST(LevelMap, IsABoxWithSideWallsFloorAndPlatforms) {
  for (int row : {0, 6, 29}) EXPECT_EQ(blocksInRow(row), 40) << "row " << row;
  for (int row : {1, 7, 8, 13, 21, 22, 24, 25, 27, 28}) {
    EXPECT_EQ(blocksInRow(row), 2) << "row " << row;
    EXPECT_TRUE(isBlock(levelCell(0, row)));
    EXPECT_TRUE(isBlock(levelCell(39, row)));
  }
  // A few platform ends, where an off-by-one in the table would show.
  EXPECT_FALSE(isBlock(levelCell(4, 14)));
  EXPECT_TRUE(isBlock(levelCell(5, 14)));
  EXPECT_TRUE(isBlock(levelCell(9, 14)));
  EXPECT_FALSE(isBlock(levelCell(10, 14)));
  EXPECT_TRUE(isBlock(levelCell(23, 26)));
  EXPECT_FALSE(isBlock(levelCell(24, 26)));
  EXPECT_FALSE(isBlock(levelCell(26, 26)));
  EXPECT_TRUE(isBlock(levelCell(27, 26)));
  EXPECT_TRUE(isBlock(levelCell(33, 23)));
  EXPECT_FALSE(isBlock(levelCell(34, 23)));
}

TEST(LevelMap, PixelColumn320ReachesTheNulWhichIsNeitherBlockNorBlank) {
  EXPECT_TRUE(isBlock(levelCell(319 / 8, 10)));  // the right wall
  const char nul = levelCell(320 / 8, 10);
  EXPECT_EQ(nul, '\0');
  EXPECT_FALSE(isBlock(nul));
  EXPECT_FALSE(isBlank(nul));
  // The start position stands on the floor.
  EXPECT_TRUE(isBlock(levelCell(10 / 8, (231 + 1) / 8)));
  EXPECT_TRUE(isBlock(levelCell(25 / 8, (231 + 1) / 8)));
}

TEST(LevelMap, CellsOutsideTheMapAreOpenSky) {
  for (auto [c, r] : {std::pair{5, -1}, {5, -1000}, {-1, 10}, {41, 10}, {5, 30}, {-100000, -100000}}) {
    EXPECT_TRUE(isBlank(levelCell(c, r))) << c << "," << r;
  }
}

}  // namespace
