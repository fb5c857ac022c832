// Shrinking a decoded grid by averaging boxes of cells.
#include "thumbnailer/BoxScale.h"

#include <array>
#include <cstdint>
#include <new>
#include <vector>

#include "codec/PackedColour.h"

namespace tq1 {

namespace {

// For each of `cells` source positions, the index of the box (of `boxes`) that holds it; box
// k spans [k * cells / boxes, (k + 1) * cells / boxes).
std::vector<std::uint32_t> boxOfCell(std::uint32_t cells, std::uint32_t boxes) {
  std::vector<std::uint32_t> box(cells);
  for (std::uint32_t k = 0; k < boxes; ++k) {
    const auto begin = static_cast<std::uint32_t>(std::uint64_t{k} * cells / boxes);
    const auto end = static_cast<std::uint32_t>(std::uint64_t{k + 1} * cells / boxes);
    for (std::uint32_t i = begin; i < end; ++i) box[i] = k;
  }
  return box;
}

}  // namespace

QImage boxScaled(const Grid& grid, QSize size) {
  if (size.isEmpty() || grid.empty() || std::uint32_t(size.width()) > grid.width() ||
      std::uint32_t(size.height()) > grid.height()) {
    return {};
  }
  const auto columns = static_cast<std::uint32_t>(size.width());
  const auto rows = static_cast<std::uint32_t>(size.height());
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return {};
  try {
    const std::vector<std::uint32_t> rowBox = boxOfCell(grid.height(), rows);
    std::vector<std::uint32_t> rowCount(rows, 0);
    for (const std::uint32_t box : rowBox) ++rowCount[box];
    // Channel sums of the boxes of the column of boxes being filled; a box holds at most
    // 2^32 cells of 255, which 64 bits hold.
    std::vector<std::array<std::uint64_t, 3>> sums(rows);
    std::uint32_t x = 0;
    for (std::uint32_t column = 0; column < columns; ++column) {
      sums.assign(rows, {0, 0, 0});
      const auto end = static_cast<std::uint32_t>(std::uint64_t{column + 1} * grid.width() / columns);
      const std::uint32_t width = end - x;
      for (; x < end; ++x) {
        const std::span<const PackedColour> cells = grid.column(x);
        for (std::uint32_t y = 0; y < cells.size(); ++y) {
          auto& sum = sums[rowBox[y]];
          sum[0] += cells[y] & 0xff;
          sum[1] += (cells[y] >> 8) & 0xff;
          sum[2] += (cells[y] >> 16) & 0xff;
        }
      }
      for (std::uint32_t row = 0; row < rows; ++row) {
        const std::uint64_t count = std::uint64_t{width} * rowCount[row];
        const auto mean = [&](int channel) {
          return static_cast<unsigned>((sums[row][channel] + count / 2) / count);
        };
        reinterpret_cast<QRgb*>(image.scanLine(int(row)))[column] = qRgb(mean(0), mean(1), mean(2));
      }
    }
  } catch (const std::bad_alloc&) {
    return {};
  }
  return image;
}

}  // namespace tq1
