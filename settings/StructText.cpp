// Hex-with-checksum text form of binary records.
#include "settings/StructText.h"

namespace tq1 {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void appendHexByte(QByteArray& out, std::uint8_t byte) {
  out.append(kHexDigits[byte >> 4]);
  out.append(kHexDigits[byte & 0x0F]);
}

// The byte written by the digit pair at `at`, or -1 for a non-hex digit.
int hexByteAt(QByteArrayView text, qsizetype at) noexcept {
  const int high = hexValue(text[at]);
  const int low = hexValue(text[at + 1]);
  if (high < 0 || low < 0) return -1;
  return high * 16 + low;
}

}  // namespace

QByteArray encodeStructText(std::span<const std::uint8_t> bytes) {
  QByteArray text;
  text.reserve(static_cast<qsizetype>(2 * bytes.size() + 2));
  std::uint8_t sum = 0;
  for (std::uint8_t byte : bytes) {
    appendHexByte(text, byte);
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  appendHexByte(text, sum);
  return text;
}

std::optional<std::vector<std::uint8_t>> decodeStructText(QByteArrayView text,
                                                          std::size_t expectedSize) {
  text = text.trimmed();
  if (static_cast<std::size_t>(text.size()) != 2 * expectedSize + 2) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(expectedSize);
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < expectedSize; ++i) {
    const int byte = hexByteAt(text, static_cast<qsizetype>(2 * i));
    if (byte < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(byte));
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  const int stored = hexByteAt(text, static_cast<qsizetype>(2 * expectedSize));
  if (stored != sum) return std::nullopt;
  return bytes;
}

}  // namespace tq1
