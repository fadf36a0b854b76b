// make-brushes: writes the paint example's sprite sheet, six 16×16 brushes side by side on
// black (the keyed colour), as a binary PPM on standard output for kestrix-pcx to convert:
//   make-brushes | kestrix-pcx to-pcx /dev/stdin brushes.pcx
#include <cstdio>
#include <cstdlib>

int main() {
  constexpr int size = 16, count = 6;
  const unsigned colours[count] = {0xE03020, 0x20A040, 0x2050E0, 0xF0C000, 0x8030C0, 0x303030};
  std::printf("P6\n%d %d\n255\n", size * count, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size * count; ++x) {
      const int brush = x / size, dx = 2 * (x % size) - 15, dy = 2 * y - 15;  // from the cell's centre, doubled
      const int d2 = dx * dx + dy * dy, ax = std::abs(dx), ay = std::abs(dy);
      bool on = false;
      switch (brush) {
        case 0: on = d2 <= 15 * 15; break;                              // round
        case 1: on = d2 <= 15 * 15 && d2 >= 9 * 9; break;               // ring
        case 2: on = ax <= 11 && ay <= 11; break;                       // square
        case 3: on = ax + ay <= 15; break;                              // diamond
        case 4: on = ax <= 3 || ay <= 3; break;                         // cross
        default: on = d2 <= 15 * 15 && (3 * x + 7 * y) % 5 == 0; break;  // sprayed
      }
      const unsigned c = on ? colours[brush] : 0;
      const unsigned char pixel[3] = {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                      static_cast<unsigned char>(c)};
      if (std::fwrite(pixel, 1, 3, stdout) != 3) return 1;
    }
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("make-brushes: cannot write the picture\n", stderr);
    return 1;
  }
  return 0;
}
