// The stored place of a window: its outer rectangle and show state, keyed by window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tq1 {

enum class ShowState : std::int32_t { Maximised = 10, Minimised = 11, Normal = 12 };

// The windows that keep a place; the numbers are the keys' stable identities.
enum class WindowKey : int {
  Main = 1,
  SetupCodec = 2,
  About = 3,
  List = 4,
  SetupInterface = 5,
  Dirlist = 6,
};

// Five 32-bit signed fields stored little-endian in this order; height precedes width.
struct PositionRecord {
  std::int32_t left = 0;   // outer rectangle, screen coordinates
  std::int32_t top = 0;
  std::int32_t height = 0;
  std::int32_t width = 0;
  ShowState showState = ShowState::Normal;  // may hold any value read from the file

  friend bool operator==(const PositionRecord&, const PositionRecord&) = default;
};

inline constexpr std::size_t kPositionRecordSize = 20;

// What ReadPosition gives when no usable record is stored: left 10 and top 10. The zero
// width and height tell the main window that it has no stored size and picks its own.
inline constexpr PositionRecord kMissingPosition{10, 10, 0, 0, ShowState::Normal};

// The key name in the "Position" section: "Main", "Setup_codec", "About", "List",
// "Setup_interface", "Dirlist".
[[nodiscard]] std::string_view windowKeyName(WindowKey key) noexcept;

// The record of a window with the given outer geometry; maximised wins over minimised.
[[nodiscard]] PositionRecord CapturePosition(int left, int top, int width, int height,
                                             bool maximised, bool minimised) noexcept;

[[nodiscard]] std::array<std::uint8_t, kPositionRecordSize> positionToBytes(
    const PositionRecord& record) noexcept;
// A span of any length other than 20 gives nothing.
[[nodiscard]] std::optional<PositionRecord> positionFromBytes(
    std::span<const std::uint8_t> bytes) noexcept;

}  // namespace tq1
