// Peak signal-to-noise ratio of two grids.
#include "ImageMetrics.h"

#include <cmath>
#include <cstdint>

namespace tq1 {

std::optional<double> psnr(const Grid& original, const Grid& coded) {
  if (original.width() != coded.width() || original.height() != coded.height() ||
      original.empty()) {
    return std::nullopt;
  }
  std::uint64_t squaredError = 0;
  const auto a = original.cells();
  const auto b = coded.cells();
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (unsigned c = 0; c < 3; ++c) {
      const int d = int{channelOf(a[i], c)} - int{channelOf(b[i], c)};
      squaredError += static_cast<std::uint64_t>(d * d);
    }
  }
  if (squaredError == 0) return std::nullopt;
  const double meanSquared = static_cast<double>(squaredError) / (3.0 * static_cast<double>(a.size()));
  return 10.0 * std::log10(255.0 * 255.0 / meanSquared);
}

}  // namespace tq1
