// Whether an image came whole: the size an uncompressed bitmap's headers declare against the
// bytes that came, and a walk over a JPEG image's segments to its end marker.
#include "cli/CutImage.h"

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

std::string cutBitmapMessage(std::span<const std::uint8_t> bytes) {
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

// JPEG markers: FF and a code. These stand alone; every other one but the end starts a
// segment with a 16-bit big-endian length that counts itself.
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;

bool standsAlone(std::uint8_t code) { return code == 0x01 || (code >= 0xD0 && code <= 0xD8); }

// After a scan's header: its entropy-coded data, where FF 00 is a data byte and restart
// markers (FF D0 to FF D7) and fill bytes (FF FF) belong to the data. Returns the position
// of the FF of the marker after the data, or the size when the data runs to the end.
std::size_t skipScanData(std::span<const std::uint8_t> bytes, std::size_t at) {
  for (; at + 1 < bytes.size(); ++at) {
    if (bytes[at] != 0xFF) continue;
    const std::uint8_t next = bytes[at + 1];
    if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7)) return at;
  }
  return bytes.size();
}

std::string cutJpegMessage(std::span<const std::uint8_t> bytes) {
  const std::string cut = "the JPEG image is cut short: it ends before its end marker";
  std::size_t at = 2;
  while (true) {
    while (at < bytes.size() && bytes[at] == 0xFF && at + 1 < bytes.size() && bytes[at + 1] == 0xFF) ++at;
    if (at + 1 >= bytes.size()) return cut;
    if (bytes[at] != 0xFF) return {};  // not a marker where one belongs: the reader judges
    const std::uint8_t code = bytes[at + 1];
    if (code == kEndOfImage) return {};
    if (standsAlone(code)) {
      at += 2;
      continue;
    }
    if (at + 3 >= bytes.size()) return cut;
    const std::size_t length = (std::size_t{bytes[at + 2]} << 8) | bytes[at + 3];
    if (length < 2) return {};
    at += 2 + length;
    if (at > bytes.size()) return cut;
    if (code == kStartOfScan) at = skipScanData(bytes, at);
  }
}

}  // namespace

std::string cutImageMessage(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == kStartOfImage) return cutJpegMessage(bytes);
  if (bytes.size() < kFileHeaderBytes + kCoreHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') return {};
  return cutBitmapMessage(bytes);
}

}  // namespace tq1::cli
