// The fixed header at the start of every .tq1 file, read and written in one place: the image
// extents, the parameters, the level counts, the table sizes and the three control symbols.
#pragma once

#include <array>
#include <cstdint>

#include "BitReader.h"
#include "BitWriter.h"
#include "CodecStatus.h"
#include "PackedColour.h"

namespace tq1 {

// "TQ", then format version 1.0. Readers do not check it: files of other versions with the
// same layout decode all the same.
inline constexpr std::array<std::uint8_t, 4> kFileMagic{0x54, 0x51, 1, 0};

struct FileHeader {
  std::array<std::uint8_t, 4> magic = kFileMagic;
  std::uint32_t maxX = 0;  // width - 1
  std::uint32_t maxY = 0;  // height - 1
  std::uint8_t tolerance = 0;
  std::uint8_t smoothThreshold = 0;
  std::array<std::uint32_t, 4> levelCount{};  // levels per channel, 1-256
  std::uint32_t lastSymbol = 0;  // symbols - 1, control symbols included
  std::uint32_t lastToken = 0;   // tokens - 1
  std::array<PackedColour, 3> controlValue{};    // x-marker, y-marker, escape
  std::array<std::uint32_t, 3> controlIndex{};   // their places in the symbol table

  // The bits that the header, the level tables and the counts take, and the tokens at one
  // bit each at least: no valid file is shorter.
  [[nodiscard]] std::uint64_t leastFileBits() const noexcept;
};

// Reads the header from the start of `in`: Truncated when the data is shorter than a header.
// Nothing else is checked here: whether the rest fits is for the caller to ask.
CodecStatus readFileHeader(BitReader& in, FileHeader& header);

// Writes the header; every field must fit its width (the encoder checks the format's limits
// before).
void writeFileHeader(const FileHeader& header, BitWriter& out);

// Whether the data holds everything the header declares (see leastFileBits); Truncated if not.
// Checked before anything is allocated, this bounds the tables and token lists a reader makes
// by the size of its input.
CodecStatus checkDeclaredSizes(const FileHeader& header, std::uint64_t totalBits);

}  // namespace tq1
