// The sprites of the game as text: one character a pixel, '.' is transparent black.
#include <stdexcept>

#include "tools/art/art.h"

namespace {

const std::vector<PaletteEntry> playerPalette = {
    {'.', 0x000000}, {'K', 0x281830},  // outline
    {'H', 0xe04038}, {'h', 0xa02028},  // cap and its brim
    {'S', 0xf8c898}, {'s', 0xd89870},  // skin
    {'W', 0xffffff}, {'E', 0x202860},  // eye
    {'M', 0xa03040},                   // mouth
    {'B', 0x3878e0}, {'b', 0x2850a8},  // shirt
    {'P', 0x484080}, {'F', 0x704020},  // trousers, shoes
};

// Facing right; the left-facing pictures are these mirrored. The two walking pictures
// differ in the legs: striding, then passing.
const std::vector<std::string> walkStride = {
    "....KKKKKK......",
    "...KHHHHHHKK....",
    "..KHHHHHHHHHK...",
    "..KHHHHHHhhhhhK.",
    "..KhhhhhhKKKKK..",
    "..KSSSSSSSSSK...",
    "..KSSSSSSWWEK...",
    "..KsSSSSSWWEK...",
    "..KsSSSSSSSSSK..",
    "...KsSSSSSMMK...",
    "....KKKKKKKK....",
    "...KBBBBBBBSK...",
    "...KbBBBBBBK....",
    "..KPPK..KPPK....",
    ".KFFK....KFFK...",
    ".KKK......KKKK..",
};

const std::vector<std::string> walkPass = {
    "....KKKKKK......",
    "...KHHHHHHKK....",
    "..KHHHHHHHHHK...",
    "..KHHHHHHhhhhhK.",
    "..KhhhhhhKKKKK..",
    "..KSSSSSSSSSK...",
    "..KSSSSSSWWEK...",
    "..KsSSSSSWWEK...",
    "..KsSSSSSSSSSK..",
    "...KsSSSSSMMK...",
    "....KKKKKKKK....",
    "...KBBBBBBBK....",
    "...KbBBBBBSK....",
    "....KPPPPK......",
    "....KFFKFFK.....",
    "....KKKKKKKK....",
};

// Cheeks puffed and lips pursed: blowing a bubble.
const std::vector<std::string> blowing = {
    "....KKKKKK......",
    "...KHHHHHHKK....",
    "..KHHHHHHHHHK...",
    "..KHHHHHHhhhhhK.",
    "..KhhhhhhKKKKK..",
    "..KSSSSSSSSSK...",
    "..KSSSSSSWWEK...",
    "..KsSSSSSWWEKK..",
    "..KsSSSSSSSSMMK.",
    "...KsSSSSSSKMMK.",
    "....KKKKKKKKKK..",
    "...KBBBBBBBSSK..",
    "...KbBBBBBBKK...",
    "..KPPK..KPPK....",
    ".KFFK....KFFK...",
    ".KKK......KKKK..",
};

const std::vector<PaletteEntry> bubblePalette = {
    {'.', 0x000000}, {'c', 0x48a8e8}, {'C', 0x90e8ff}, {'d', 0x3070c0}, {'W', 0xffffff},
};

// A ring, lit from the top left, with a highlight; the inside lets the background through.
const std::vector<std::string> bubble = {
    ".....cccccc.....",
    "...ccCCCCCCcc...",
    "..cCWW......Cc..",
    ".cCWW........dc.",
    ".cCW.........dc.",
    "cCW...........dc",
    "cC............dc",
    "cC............dc",
    "cC............dc",
    "cC............dc",
    "cc...........ddc",
    ".cc.........ddc.",
    ".ccd.......dddc.",
    "..ccdd...dddcc..",
    "...cccddddccc...",
    ".....cccccc.....",
};

const std::vector<PaletteEntry> enemyPalette = {
    {'.', 0x000000}, {'K', 0x201028}, {'G', 0x60c050}, {'g', 0x388830},
    {'W', 0xffffff}, {'E', 0xc01010}, {'T', 0xf0f0d0},
};

const std::vector<std::string> enemy = {
    "................",
    ".....KKKKKK.....",
    "...KKGGGGGGKK...",
    "..KGGGGGGGGGGK..",
    ".KGGKKGGGGKKGGK.",
    ".KGGGWKGGKWGGGK.",
    "KGGGWEWGGWEWGGGK",
    "KGGGWWWGGWWWGGGK",
    "KGGGGGGGGGGGGGGK",
    "KGGKTKTKTKTKGGGK",
    "KGGGKKKKKKKKGGGK",
    "KgGGGGGGGGGGGGgK",
    "KggGGGGGGGGGGggK",
    ".KggggggggggggK.",
    ".KgKggKggKggKgK.",
    "..K.KK.KK.KK.K..",
};

const std::vector<PaletteEntry> brickPalette = {
    {'R', 0xb85030}, {'r', 0xe08050}, {'d', 0x883828}, {'m', 0x502820},
};

// Two courses of bricks with dark mortar; no black, so the block is solid.
const std::vector<std::string> brick = {
    "rrrrrrrm",
    "rRRRRRdm",
    "rRRRRRdm",
    "mmmmmmmm",
    "rrrmrrrr",
    "RRdmrRRR",
    "RRdmrRRR",
    "mmmmmmmm",
};

}  // namespace

Picture pictureFromText(const std::string& name, const std::vector<std::string>& rows,
                        const std::vector<PaletteEntry>& palette) {
  Picture picture{name, rows.empty() ? 0 : static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), {}};
  for (const std::string& row : rows) {
    if (static_cast<int>(row.size()) != picture.width) throw std::runtime_error(name + ": rows of different lengths");
    for (char key : row) {
      const PaletteEntry* entry = nullptr;
      for (const PaletteEntry& e : palette) {
        if (e.key == key) entry = &e;
      }
      if (entry == nullptr) throw std::runtime_error(name + ": no colour for '" + std::string(1, key) + "'");
      picture.pixels.push_back(entry->colour);
    }
  }
  return picture;
}

Picture mirrored(const std::string& name, const Picture& picture) {
  Picture out = picture;
  out.name = name;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      out.pixels[static_cast<std::size_t>(y * picture.width + x)] =
          picture.pixels[static_cast<std::size_t>(y * picture.width + picture.width - 1 - x)];
    }
  }
  return out;
}

std::vector<Picture> gamePictures() {
  const Picture rightStride = pictureFromText("pacod1.pcx", walkStride, playerPalette);
  const Picture rightPass = pictureFromText("pacod2.pcx", walkPass, playerPalette);
  const Picture rightBlowing = pictureFromText("pacodf.pcx", blowing, playerPalette);
  return {
      mirrored("pacoi1.pcx", rightStride),
      mirrored("pacoi2.pcx", rightPass),
      rightStride,
      rightPass,
      mirrored("pacoif.pcx", rightBlowing),
      rightBlowing,
      paintBackground("fondo.pcx"),
      pictureFromText("pompa.pcx", bubble, bubblePalette),
      pictureFromText("malo1.pcx", enemy, enemyPalette),
      pictureFromText("bloque.pcx", brick, brickPalette),
  };
}
