// Shared helpers of the image file tests: seeded random pixels and little-endian field reads.
#pragma once

#include <QFile>
#include <QImage>
#include <QString>

#include <cstdint>
#include <random>
#include <vector>

#include "codec/Grid.h"

namespace tq1::testing {

// A grid of random colours with 0 in the fourth channel, the same for the same seed.
inline Grid randomGrid(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  std::mt19937 random(seed);
  Grid grid(width, height);
  for (PackedColour& cell : grid.cells()) cell = random() & 0x00ffffffu;
  return grid;
}

inline QImage randomImage(int width, int height, std::uint32_t seed) {
  std::mt19937 random(seed);
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) line[x] = 0xff000000u | (random() & 0x00ffffffu);
  }
  return image;
}

inline std::uint32_t readLe32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return std::uint32_t{bytes.at(at)} | std::uint32_t{bytes.at(at + 1)} << 8 |
         std::uint32_t{bytes.at(at + 2)} << 16 | std::uint32_t{bytes.at(at + 3)} << 24;
}

inline std::vector<std::uint8_t> fileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = file.readAll();
  return {data.begin(), data.end()};
}

inline bool writeBytes(const QString& path, const QByteArray& data) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

}  // namespace tq1::testing
