// Bitmap files of any depth and compression, built byte by byte, for tests that need files the
// program's own writer never makes: palettes, run-length codes, colour masks, and damage.
#pragma once

#include <cstdint>
#include <vector>

namespace tq1::testing {

using BitmapBytes = std::vector<std::uint8_t>;

struct BitmapSpec {
  std::int32_t width = 4;
  std::int32_t height = 2;  // negative: rows stored top-down
  std::uint16_t bits = 8;
  std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  std::uint32_t paletteEntries = 0;  // written and stated as the colours used
  std::vector<std::uint32_t> masks;  // written after the header (bit fields)
  BitmapBytes pixels;                // the pixel data exactly as stored
};

// The colour of palette entry i in built files, as red, green, blue.
struct PaletteColour {
  std::uint8_t red, green, blue;
};
inline PaletteColour paletteColour(std::uint32_t i) {
  return {static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(2 * i),
          static_cast<std::uint8_t>(i)};
}

inline void putLe(BitmapBytes& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// File header, 40-byte information header, masks, palette, pixels; the size fields are right.
inline BitmapBytes buildBitmap(const BitmapSpec& spec) {
  BitmapBytes bytes(54, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  putLe(bytes, 14, 40, 4);
  putLe(bytes, 18, static_cast<std::uint32_t>(spec.width), 4);
  putLe(bytes, 22, static_cast<std::uint32_t>(spec.height), 4);
  putLe(bytes, 26, 1, 2);
  putLe(bytes, 28, spec.bits, 2);
  putLe(bytes, 30, spec.compression, 4);
  putLe(bytes, 34, static_cast<std::uint32_t>(spec.pixels.size()), 4);
  putLe(bytes, 46, spec.paletteEntries, 4);
  for (const std::uint32_t mask : spec.masks) {
    bytes.resize(bytes.size() + 4);
    putLe(bytes, bytes.size() - 4, mask, 4);
  }
  for (std::uint32_t i = 0; i < spec.paletteEntries; ++i) {
    const PaletteColour colour = paletteColour(i);
    bytes.insert(bytes.end(), {colour.blue, colour.green, colour.red, 0});
  }
  putLe(bytes, 10, static_cast<std::uint32_t>(bytes.size()), 4);
  bytes.insert(bytes.end(), spec.pixels.begin(), spec.pixels.end());
  putLe(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
  return bytes;
}

// Stored rows of palette indexes (1, 4 or 8 bits), bottom-up, each padded to 4 bytes;
// indexes[y][x] is the pixel at (x, y) with y counted from the top.
inline BitmapBytes indexedRows(const std::vector<std::vector<std::uint8_t>>& indexes,
                               unsigned bits) {
  BitmapBytes rows;
  for (auto row = indexes.rbegin(); row != indexes.rend(); ++row) {
    const std::size_t rowBytes = (row->size() * bits + 31) / 32 * 4;
    BitmapBytes stored(rowBytes, 0);
    for (std::size_t x = 0; x < row->size(); ++x) {
      const std::size_t bit = x * bits;
      stored[bit / 8] |= static_cast<std::uint8_t>((*row)[x] << (8 - bits - bit % 8));
    }
    rows.insert(rows.end(), stored.begin(), stored.end());
  }
  return rows;
}

}  // namespace tq1::testing
