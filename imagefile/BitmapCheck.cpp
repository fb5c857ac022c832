// Reads a bitmap's headers into the layout of its pixel data, then walks that data: rows are
// measured against the file and their palette indexes looked at, run-length codes followed to
// their end, colour masks compared.
#include "imagefile/BitmapCheck.h"

#include <array>
#include <climits>
#include <optional>
#include <string>

#include "imagefile/LittleEndian.h"

namespace tq1 {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
// Information header sizes the readers know. The 12-byte one has 16-bit sides, no compression
// and 3-byte palette entries; the 64-byte one numbers its compressions past 2 differently.
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kExtendedCoreHeader = 64;
constexpr std::uint32_t kV4Header = 108;
constexpr std::uint32_t kV5Header = 124;
constexpr std::uint32_t kMaskBytes = 12;  // red, green, blue after a 40-byte header

enum Compression : std::uint32_t { kNone = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

struct Layout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = kNone;
  std::uint32_t paletteEntries = 0;      // with 1 to 8 bits a pixel
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha; with bit fields only
  std::size_t pixelStart = 0;
};

bool knownHeader(std::uint32_t size) {
  return size == kCoreHeader || size == kInfoHeader || size == kExtendedCoreHeader ||
         size == kV4Header || size == kV5Header;
}

bool knownCoding(std::uint32_t headerSize, std::uint32_t bits, std::uint32_t compression) {
  switch (compression) {
    case kNone:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8: return bits == 8;
    case kRle4: return bits == 4;
    case kBitFields: return (bits == 16 || bits == 32) && headerSize != kExtendedCoreHeader;
    default: return false;
  }
}

// Sides, depth and compression from either kind of information header; false for values the
// readers refuse on their own.
bool readImageFields(const std::uint8_t* info, std::uint32_t headerSize, Layout& layout) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t planes = 0;
  if (headerSize == kCoreHeader) {
    width = static_cast<std::int16_t>(readLe16(info + 4));
    height = static_cast<std::int16_t>(readLe16(info + 6));
    planes = readLe16(info + 8);
    layout.bits = readLe16(info + 10);
  } else {
    width = static_cast<std::int32_t>(readLe32(info + 4));
    height = static_cast<std::int32_t>(readLe32(info + 8));
    planes = readLe16(info + 12);
    layout.bits = readLe16(info + 14);
    layout.compression = readLe32(info + 16);
  }
  if (planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return false;
  if (!knownCoding(headerSize, layout.bits, layout.compression)) return false;
  layout.width = static_cast<std::uint32_t>(width);
  layout.topDown = height < 0;
  layout.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
  return true;
}

std::optional<Layout> readLayout(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFileHeaderBytes + 4 || bytes[0] != 'B' || bytes[1] != 'M') return {};
  const std::uint8_t* info = bytes.data() + kFileHeaderBytes;
  const std::uint32_t headerSize = readLe32(info);
  if (!knownHeader(headerSize) || bytes.size() < kFileHeaderBytes + headerSize) return {};
  Layout layout;
  if (!readImageFields(info, headerSize, layout)) return {};

  std::size_t headersEnd = kFileHeaderBytes + headerSize;
  if (layout.compression == kBitFields) {
    const std::uint8_t* masks = info + kInfoHeader;
    if (headerSize == kInfoHeader) {
      if (bytes.size() < headersEnd + kMaskBytes) return {};
      headersEnd += kMaskBytes;
    } else {
      layout.masks[3] = readLe32(masks + 12);
    }
    for (std::size_t i = 0; i < 3; ++i) layout.masks[i] = readLe32(masks + 4 * i);
  }
  std::size_t paletteEnd = headersEnd;
  if (layout.bits <= 8) {
    const std::uint32_t used = headerSize == kCoreHeader ? 0 : readLe32(info + 32);
    layout.paletteEntries = used != 0 ? used : 1u << layout.bits;
    if (layout.paletteEntries > 256) return {};
    paletteEnd += std::size_t{layout.paletteEntries} * (headerSize == kCoreHeader ? 3 : 4);
  }
  // An offset inside the palette is taken as stated: old files end a palette early and start
  // their pixels there. One inside the headers cannot be meant; the pixels then follow the
  // palette, which is where the readers look for them.
  const std::size_t offset = readLe32(bytes.data() + 10);
  layout.pixelStart = offset >= headersEnd ? offset : paletteEnd;
  return layout;
}

std::string position(std::uint64_t x, std::uint64_t y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

ImageFileStatus paletteIndexOutside(std::uint64_t x, std::uint64_t y, std::uint32_t index,
                                    const Layout& layout) {
  return ImageFileStatus::failure(
      ImageFileError::PaletteIndexOutside,
      "pixel " + position(x, y) + " uses palette entry " + std::to_string(index) +
          ", but the palette has " + std::to_string(layout.paletteEntries) + " entries");
}

bool indexesAreChecked(const Layout& layout) {
  return layout.bits <= 8 && layout.paletteEntries < (1u << layout.bits);
}

const char* const kChannelNames[] = {"red", "green", "blue", "alpha"};

ImageFileStatus checkMasks(const Layout& layout) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (layout.masks[i] == 0) {
      return ImageFileStatus::failure(ImageFileError::BitFieldEmpty,
                                      std::string("the ") + kChannelNames[i] +
                                          " bit field is empty: the pixels hold no " +
                                          kChannelNames[i]);
    }
  }
  for (std::size_t i = 0; i < layout.masks.size(); ++i) {
    for (std::size_t j = i + 1; j < layout.masks.size(); ++j) {
      if ((layout.masks[i] & layout.masks[j]) == 0) continue;
      return ImageFileStatus::failure(ImageFileError::BitFieldsOverlap,
                                      std::string("the ") + kChannelNames[i] + " and " +
                                          kChannelNames[j] + " bit fields share bits");
    }
  }
  return ImageFileStatus::success();
}

// The palette index of pixel x in a row of 1, 4 or 8 bits a pixel, leftmost in the high bits.
std::uint32_t indexAt(const std::uint8_t* row, std::uint64_t x, std::uint32_t bits) {
  const std::uint64_t bit = x * bits;
  const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
  return (row[bit / 8] >> shift) & ((1u << bits) - 1);
}

ImageFileStatus checkRows(std::span<const std::uint8_t> bytes, const Layout& layout) {
  const std::uint64_t rowBytes = (std::uint64_t{layout.width} * layout.bits + 31) / 32 * 4;
  const std::uint64_t available =
      layout.pixelStart < bytes.size() ? bytes.size() - layout.pixelStart : 0;
  // Whole rows, padding included: the readers take a row only when all its bytes are there, so
  // a last row without its padding would be lost as surely as one without its pixels.
  if (available / rowBytes < layout.height) {
    return ImageFileStatus::failure(
        ImageFileError::PixelDataCutShort,
        "the pixel data is cut short: the file holds " + std::to_string(available / rowBytes) +
            " of the image's " + std::to_string(layout.height) + " rows");
  }
  if (!indexesAreChecked(layout)) return ImageFileStatus::success();
  for (std::uint64_t row = 0; row < layout.height; ++row) {
    const std::uint8_t* pixels = bytes.data() + layout.pixelStart + row * rowBytes;
    for (std::uint64_t x = 0; x < layout.width; ++x) {
      const std::uint32_t index = indexAt(pixels, x, layout.bits);
      if (index < layout.paletteEntries) continue;
      const std::uint64_t y = layout.topDown ? row : layout.height - 1 - row;
      return paletteIndexOutside(x, y, index, layout);
    }
  }
  return ImageFileStatus::success();
}

// Follows run-length codes: a count and a value fill that many pixels; a zero count introduces
// an end of row (0), the end of the image (1), a move right and up (2), or a stretch of that
// many literal pixels padded to an even number of bytes. Rows run bottom-up; x and y here
// count from the first stored row, messages give image positions.
class RunLengthWalk {
 public:
  RunLengthWalk(std::span<const std::uint8_t> bytes, const Layout& layout)
      : bytes_(bytes), layout_(layout), at_(layout.pixelStart) {}

  ImageFileStatus run() {
    while (at_ + 2 <= bytes_.size()) {
      const std::uint32_t count = bytes_[at_];
      const std::uint32_t value = bytes_[at_ + 1];
      at_ += 2;
      if (count != 0) {
        if (auto status = repeat(count, value); !status) return status;
        continue;
      }
      switch (value) {
        case 0:
          x_ = 0;
          ++y_;
          break;
        case 1: return ImageFileStatus::success();
        case 2:
          if (auto status = move(); !status) return status;
          break;
        default:
          if (auto status = literal(value); !status) return status;
      }
    }
    // Codes that end without the end-of-image mark are whole only if every row was reached.
    if (y_ >= layout_.height || (y_ + 1 == layout_.height && x_ >= layout_.width)) {
      return ImageFileStatus::success();
    }
    return ImageFileStatus::failure(ImageFileError::RunLengthEndsEarly,
                                    "the run-length data ends before the image is complete: " +
                                        missingFrom());
  }

 private:
  bool fourBits() const { return layout_.compression == kRle4; }
  std::uint64_t imageRow() const { return layout_.height - 1 - y_; }
  std::string here() const { return position(x_, imageRow()); }

  // Room in the current row for `count` more pixels.
  ImageFileStatus makeRoom(std::uint32_t count) const {
    if (y_ >= layout_.height) {
      return ImageFileStatus::failure(
          ImageFileError::RunLengthPastImage,
          "a run-length code writes past the last row, at byte " + std::to_string(at_));
    }
    if (x_ + count > layout_.width) {
      return ImageFileStatus::failure(
          ImageFileError::RunLengthPastRow,
          "a run-length code of " + std::to_string(count) + " pixels at " + here() +
              " runs past the end of the row, which is " + std::to_string(layout_.width) +
              " pixels wide");
    }
    return ImageFileStatus::success();
  }

  ImageFileStatus checkIndex(std::uint32_t index, std::uint32_t offset) const {
    if (index < layout_.paletteEntries) return ImageFileStatus::success();
    return paletteIndexOutside(x_ + offset, imageRow(), index, layout_);
  }

  ImageFileStatus repeat(std::uint32_t count, std::uint32_t value) {
    if (auto status = makeRoom(count); !status) return status;
    if (fourBits()) {
      // Four-bit runs alternate the value's high and low halves.
      if (auto status = checkIndex(value >> 4, 0); !status) return status;
      if (count > 1) {
        if (auto status = checkIndex(value & 0xf, 1); !status) return status;
      }
    } else if (auto status = checkIndex(value, 0); !status) {
      return status;
    }
    x_ += count;
    return ImageFileStatus::success();
  }

  ImageFileStatus move() {
    if (at_ + 2 > bytes_.size()) return endsInsideCode();
    const std::uint32_t right = bytes_[at_];
    const std::uint32_t up = bytes_[at_ + 1];
    at_ += 2;
    if (x_ + right > layout_.width) {
      return ImageFileStatus::failure(ImageFileError::RunLengthPastRow,
                                      "a run-length move of " + std::to_string(right) +
                                          " pixels from " + here() + " goes past the row's end");
    }
    if (y_ + up > layout_.height) {
      return ImageFileStatus::failure(ImageFileError::RunLengthPastImage,
                                      "a run-length move of " + std::to_string(up) +
                                          " rows from " + here() + " goes past the last row");
    }
    x_ += right;
    y_ += up;
    return ImageFileStatus::success();
  }

  ImageFileStatus literal(std::uint32_t count) {
    if (auto status = makeRoom(count); !status) return status;
    const std::size_t dataBytes = fourBits() ? (count + 1) / 2 : count;
    if (at_ + dataBytes > bytes_.size()) return endsInsideCode();
    if (indexesAreChecked(layout_)) {
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t index = indexAt(bytes_.data() + at_, i, layout_.bits);
        if (auto status = checkIndex(index, i); !status) return status;
      }
    }
    at_ += (dataBytes + 1) / 2 * 2;
    x_ += count;
    return ImageFileStatus::success();
  }

  ImageFileStatus endsInsideCode() const {
    return ImageFileStatus::failure(ImageFileError::RunLengthEndsEarly,
                                    "the run-length data ends inside a code: " + missingFrom());
  }

  // The first pixel the codes never reached, at the start of the next row once one is full.
  std::string missingFrom() const {
    const bool rowFull = x_ >= layout_.width;
    return "pixel " + position(rowFull ? 0 : x_, rowFull ? imageRow() - 1 : imageRow()) +
           " and those after it are missing";
  }

  std::span<const std::uint8_t> bytes_;
  const Layout& layout_;
  std::size_t at_;
  std::uint64_t x_ = 0;
  std::uint64_t y_ = 0;
};

}  // namespace

ImageFileStatus checkBitmapStructure(std::span<const std::uint8_t> bytes,
                                     const ImageLimits& limits) {
  const std::optional<Layout> layout = readLayout(bytes);
  if (!layout || !limits.fits(layout->width, layout->height)) return ImageFileStatus::success();
  const bool runLength = layout->compression == kRle8 || layout->compression == kRle4;
  if (runLength && layout->topDown) {
    return ImageFileStatus::failure(
        ImageFileError::RunLengthTopDown,
        "the pixels are run-length coded but stored top-down, an order such codes cannot have");
  }
  if (layout->compression == kBitFields) {
    if (auto status = checkMasks(*layout); !status) return status;
  }
  if (runLength) return RunLengthWalk(bytes, *layout).run();
  return checkRows(bytes, *layout);
}

}  // namespace tq1
