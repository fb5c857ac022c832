// Byte layout, key names and capture of window position records.
#include "settings/PositionRecord.h"

#include "settings/LittleEndian.h"

namespace tq1 {

std::string_view windowKeyName(WindowKey key) noexcept {
  switch (key) {
    case WindowKey::Main: return "Main";
    case WindowKey::SetupCodec: return "Setup_codec";
    case WindowKey::About: return "About";
    case WindowKey::List: return "List";
    case WindowKey::SetupInterface: return "Setup_interface";
    case WindowKey::Dirlist: return "Dirlist";
  }
  return "Main";  // unreachable for the enumerators above
}

PositionRecord CapturePosition(int left, int top, int width, int height, bool maximised,
                               bool minimised) noexcept {
  PositionRecord record;
  record.left = left;
  record.top = top;
  record.height = height;
  record.width = width;
  record.showState = maximised   ? ShowState::Maximised
                     : minimised ? ShowState::Minimised
                                 : ShowState::Normal;
  return record;
}

std::array<std::uint8_t, kPositionRecordSize> positionToBytes(const PositionRecord& r) noexcept {
  std::array<std::uint8_t, kPositionRecordSize> bytes{};
  detail::storeLe32(bytes, 0, r.left);
  detail::storeLe32(bytes, 4, r.top);
  detail::storeLe32(bytes, 8, r.height);
  detail::storeLe32(bytes, 12, r.width);
  detail::storeLe32(bytes, 16, static_cast<std::int32_t>(r.showState));
  return bytes;
}

std::optional<PositionRecord> positionFromBytes(std::span<const std::uint8_t> bytes) noexcept {
  if (bytes.size() != kPositionRecordSize) return std::nullopt;
  PositionRecord r;
  r.left = detail::loadLe32(bytes, 0);
  r.top = detail::loadLe32(bytes, 4);
  r.height = detail::loadLe32(bytes, 8);
  r.width = detail::loadLe32(bytes, 12);
  r.showState = static_cast<ShowState>(detail::loadLe32(bytes, 16));
  return r;
}

}  // namespace tq1
