// The size that an uncompressed bitmap's headers declare, against the bytes that came.
#include "cli/CutBitmap.h"

#include <cstdint>
#include <cstdlib>

namespace tq1::cli {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;  // the oldest variant, with 16-bit sides
constexpr std::uint32_t kInfoHeaderBytes = 40;
// Compression values whose pixel rows are stored uncompressed: none, bit fields, and bit
// fields with alpha.
constexpr std::uint32_t kUncompressed[] = {0, 3, 6};

std::uint32_t little(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

struct Declared {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bitCount = 0;
  bool uncompressed = false;
};

bool readDeclared(std::span<const std::uint8_t> bytes, Declared& declared) {
  const std::uint32_t headerBytes = little(bytes, kFileHeaderBytes, 4);
  if (headerBytes == kCoreHeaderBytes) {
    declared = {little(bytes, 18, 2), little(bytes, 20, 2), little(bytes, 24, 2), true};
    return true;
  }
  if (headerBytes < kInfoHeaderBytes || bytes.size() < kFileHeaderBytes + kInfoHeaderBytes) return false;
  declared.width = static_cast<std::int32_t>(little(bytes, 18, 4));
  declared.height = std::abs(std::int64_t{static_cast<std::int32_t>(little(bytes, 22, 4))});
  declared.bitCount = little(bytes, 28, 2);
  const std::uint32_t compression = little(bytes, 30, 4);
  for (const std::uint32_t plain : kUncompressed) declared.uncompressed |= compression == plain;
  return true;
}

}  // namespace

std::string cutBitmapMessage(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFileHeaderBytes + kCoreHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') return {};
  Declared declared;
  if (!readDeclared(bytes, declared) || !declared.uncompressed) return {};
  const std::uint32_t bits = declared.bitCount;
  if (declared.width <= 0 || declared.height <= 0 || bits == 0 || bits > 64) return {};
  // Sides below 2^31 and at most 64 bits a pixel: a row fits 64 bits easily; the rows
  // together are checked by division.
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(declared.width) * bits + 31) / 32 * 4;
  const auto rows = static_cast<std::uint64_t>(declared.height);
  if (rowBytes > (UINT64_MAX - 0xFFFFFFFFu) / rows) return "the bitmap declares more pixel data than any file holds";
  const std::uint64_t needed = little(bytes, 10, 4) + rowBytes * rows;
  if (bytes.size() >= needed) return {};
  return "the bitmap is cut short: its header declares " + std::to_string(needed) +
         " bytes, " + std::to_string(bytes.size()) + " arrived";
}

}  // namespace tq1::cli
