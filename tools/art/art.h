// The game's artwork, made in code: sprites drawn as text grids with a small palette each,
// and a background painted by a few integer formulas. Pure black is transparent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  std::string name;  // file name, e.g. "pompa.pcx"
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row-major
};

// The ten pictures of the game, in the order the game loads them.
std::vector<Picture> gamePictures();

// One sprite from its text: every row the same length, every character in the palette.
struct PaletteEntry {
  char key;
  std::uint32_t colour;
};
Picture pictureFromText(const std::string& name, const std::vector<std::string>& rows,
                        const std::vector<PaletteEntry>& palette);
// The same picture facing the other way.
Picture mirrored(const std::string& name, const Picture& picture);

// The 320×240 dusk sky with stars, a moon and two rows of hills.
Picture paintBackground(const std::string& name);
