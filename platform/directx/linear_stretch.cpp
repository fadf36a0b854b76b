#include "platform/directx/linear_stretch.h"

#include <algorithm>
#include <cmath>

#include "base/cpu_features.h"

namespace platform::directx {
namespace {

using MixRows = void (*)(const std::uint32_t*, const std::uint32_t*, int, std::uint32_t*, int);
const MixRows mixRows = base::hasAvx2() ? mixRowsAvx2 : mixRowsSse2;

}  // namespace

void stretchTaps(int first, int count, float to0, float to1, float from0, float from1, int size, StretchTap* taps) {
  const double scale = (static_cast<double>(from1) - from0) / (static_cast<double>(to1) - to0);
  for (int i = 0; i < count; ++i) {
    // The pixel's centre in source texels, measured from the first texel's centre.
    const double at = from0 + (first + i + 0.5 - to0) * scale - 0.5;
    const double clamped = std::clamp(at, 0.0, static_cast<double>(size - 1));
    int texel = static_cast<int>(clamped);
    int weight = static_cast<int>(std::lround((clamped - texel) * 256));
    if (texel == size - 1) {  // the last texel: as the one before it, weighing all
      texel = size - 2;
      weight = 256;
    }
    taps[i] = makeTap(texel, weight);
  }
}

void LinearStretch::draw(const PixelPlane& source, const FloatRect& from, const PixelPlane& target,
                         const FloatRect& to, const PixelArea& clip) {
  // A vertex with a w near 0 lands at infinity or nowhere (NaN): nothing to draw.
  for (float edge : {from.left, from.top, from.right, from.bottom, to.left, to.top, to.right, to.bottom}) {
    if (!std::isfinite(edge)) return;
  }
  if (source.width < 2 || source.height < 2 || !(to.right > to.left) || !(to.bottom > to.top)) return;
  // Pixels whose centre x + 0.5 lies in [left, right): x from ceil(left − 0.5) on. Edges
  // beyond the target are brought to just outside it first, so that they fit an int.
  const auto firstCentre = [](float edge, int size) {
    return static_cast<int>(std::ceil(std::clamp(edge, -1.0f, static_cast<float>(size) + 1.0f) - 0.5f));
  };
  const int left = std::max({firstCentre(to.left, target.width), clip.x, 0});
  const int right = std::min({firstCentre(to.right, target.width), clip.x + clip.w, target.width});
  const int top = std::max({firstCentre(to.top, target.height), clip.y, 0});
  const int bottom = std::min({firstCentre(to.bottom, target.height), clip.y + clip.h, target.height});
  if (left >= right || top >= bottom) return;

  const int width = right - left;
  if (widened_.size() < 2 * static_cast<std::size_t>(width)) widened_.resize(2 * static_cast<std::size_t>(width));
  // The columns' taps stay while the drawing's place does, as it does frame after frame.
  const ColumnsFor wanted{left, width, to.left, to.right, from.left, from.right, source.width};
  if (!(wanted == columnsFor_)) {
    columns_.resize(static_cast<std::size_t>(width));
    stretchTaps(left, width, to.left, to.right, from.left, from.right, source.width, columns_.data());
    columnsFor_ = wanted;
  }
  int widenedRow[2] = {-1, -1};  // the source row each half holds

  for (int y = top; y < bottom; ++y) {
    StretchTap row;
    stretchTaps(y, 1, to.top, to.bottom, from.top, from.bottom, source.height, &row);
    std::uint32_t* halves[2];
    for (int k = 0; k < 2; ++k) {
      const int sourceRow = row.texel + k;
      const int half = sourceRow & 1;
      halves[k] = widened_.data() + static_cast<std::size_t>(half) * width;
      if (widenedRow[half] != sourceRow) {
        widenRowSse2(source.row(sourceRow), columns_.data(), halves[k], width);
        widenedRow[half] = sourceRow;
      }
    }
    mixRows(halves[0], halves[1], row.weights[4], target.row(y) + left, width);
  }
}

}  // namespace platform::directx
