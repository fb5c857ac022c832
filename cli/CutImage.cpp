// Whether a JPEG image came whole: a walk over its segments to its end marker.
#include "cli/CutImage.h"

#include <cstdint>

namespace tq1::cli {

namespace {

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
  return {};
}

}  // namespace tq1::cli
