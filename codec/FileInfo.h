// What a .tq1 file declares, read from its header and level tables without decoding the image.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "CodecStatus.h"
#include "FileHeader.h"
#include "PackedColour.h"

namespace tq1 {

struct FileInfo {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::array<std::uint8_t, 4> magic{};  // kFileMagic in files this program writes
  std::uint8_t tolerance = 0;
  std::uint8_t smoothThreshold = 0;
  std::array<std::uint32_t, 4> levelCount{};
  std::uint32_t symbolCount = 0;  // coded symbols, control symbols included
  std::uint32_t tokenCount = 0;
  std::array<PackedColour, 3> controlValue{};
  std::array<std::uint32_t, 3> controlIndex{};
  std::uint64_t fileBytes = 0;

  [[nodiscard]] bool usualMagic() const noexcept { return magic == kFileMagic; }
  [[nodiscard]] double bitsPerPixel() const noexcept {
    return static_cast<double>(fileBytes) * 8.0 /
           (static_cast<double>(width) * static_cast<double>(height));
  }
};

// Reads the fixed header and checks that the tables it declares fit in the data; Truncated
// when they do not (the header's fields are filled in all the same).
CodecStatus readFileInfo(std::span<const std::uint8_t> bytes, FileInfo& info);

}  // namespace tq1
