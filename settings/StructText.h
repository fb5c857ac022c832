// The text form of a binary record in tq1.ini: two upper-case hex digits per byte, then two
// hex digits of the byte sum modulo 256 as a check against damaged or hand-edited values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

namespace tq1 {

[[nodiscard]] QByteArray encodeStructText(std::span<const std::uint8_t> bytes);

// The record's bytes when `text` (surrounding blanks ignored) holds exactly `expectedSize`
// bytes plus a matching checksum; nothing when the length, a digit or the checksum is wrong.
// Lower-case digits are accepted, since they name the same value.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> decodeStructText(QByteArrayView text,
                                                                        std::size_t expectedSize);

}  // namespace tq1
