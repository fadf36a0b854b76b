// The level: a fixed 40×30 map of 8×8-pixel cells, '*' a block and ' ' empty, each row
// followed by a NUL byte in column 40. It drives both collision and the drawing of tiles.
#pragma once

#include <array>

constexpr int levelColumns = 40;
constexpr int levelRows = 30;
constexpr int levelRowBytes = levelColumns + 1;  // the cells and the row's NUL
constexpr int levelCellSize = 8;                  // pixels per cell side

constexpr char blockCell = '*';
constexpr char blankCell = ' ';

// Row r starts at index r * levelRowBytes; column c of it is index r * levelRowBytes + c.
using LevelMap = std::array<char, levelRows * levelRowBytes>;
extern const LevelMap levelMap;

// The cell at column c (0–40) and row r (0–29). Anything outside the map is open sky, a
// blank cell: neither a block nor ground. The map's own walls keep the player inside, but
// a player climbing on his own bubbles rises above row 0, and this keeps his probes safe.
char levelCell(int column, int row);

inline bool isBlock(char cell) { return cell == blockCell; }
inline bool isBlank(char cell) { return cell == blankCell; }
