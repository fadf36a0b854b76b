// A picture drawn onto a rectangle with a linear filter, as a texture on a screen-aligned
// quad is sampled: each target pixel's centre maps back into the source, and the 2×2
// texels around that point are mixed by their distances (8-bit weights). Texels beyond
// the source's edges repeat the edge. Used where the renderer would do the same in
// software, two to three times slower. Allocates only when the target grows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/directx/linear_stretch_rows.h"
#include "platform/directx/pixel_plane.h"

namespace platform::directx {

// A rectangle in fractional pixels (or texels): left and top inside, right and bottom not.
struct FloatRect {
  float left = 0;
  float top = 0;
  float right = 0;
  float bottom = 0;
};

class LinearStretch {
 public:
  // Draws the part `from` of `source` (at least 2×2 texels) onto `to` of `target`: every
  // target pixel whose centre lies in `to` and in `clip`.
  void draw(const PixelPlane& source, const FloatRect& from, const PixelPlane& target, const FloatRect& to,
            const PixelArea& clip);

 private:
  struct ColumnsFor {
    int left = 0;
    int width = 0;
    float to0 = 0, to1 = 0, from0 = 0, from1 = 0;
    int size = 0;
    bool operator==(const ColumnsFor&) const = default;
  };
  std::vector<StretchTap> columns_;
  ColumnsFor columnsFor_;  // what columns_ were made for
  std::vector<std::uint32_t> widened_;  // two source rows at the target's width
};

// The taps of `count` target pixels from `first` on, along one axis: the source span
// [from0, from1) drawn onto the target span [to0, to1), `size` texels in all.
void stretchTaps(int first, int count, float to0, float to1, float from0, float from1, int size, StretchTap* taps);

}  // namespace platform::directx
