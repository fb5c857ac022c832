// Fuzz entry: an image and coding parameters made from the bytes, encoded, decoded and
// previewed; all three must show the same image.
#include <algorithm>
#include <vector>

#include "codec/Codec.h"
#include "fuzz/FuzzEntries.h"

namespace tq1::fuzz {

namespace {

// Reads the input front to back; past its end every byte is 0.
class ByteSource {
 public:
  explicit ByteSource(std::span<const std::uint8_t> data) : data_(data) {}
  std::uint8_t next() noexcept { return at_ < data_.size() ? data_[at_++] : 0; }
  [[nodiscard]] std::span<const std::uint8_t> rest() const noexcept { return data_.subspan(at_); }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
};

constexpr std::uint32_t kMaxCells = 1u << 14;

// Header: width and height (two bytes each), tolerance, smoothing threshold, three bit
// counts and a pixel mode. Mode 0 takes raw colours from the rest of the bytes; any other
// mode paints with a palette of (mode % 16 + 1) colours, so that blocks form, indexing it
// with the bytes run-length style (one byte: colour, one byte: run).
Grid imageFrom(ByteSource& in, std::uint8_t mode, std::uint32_t width, std::uint32_t height) {
  Grid grid(width, height);
  std::span<const std::uint8_t> rest = in.rest();
  const std::size_t cells = std::size_t{width} * height;
  if (mode == 0) {
    for (std::size_t i = 0; i < cells; ++i) {
      const std::size_t at = 3 * i;
      auto byte = [&](std::size_t k) { return at + k < rest.size() ? rest[at + k] : std::uint8_t{0}; };
      grid.cells()[i] = rgbColour(byte(0), byte(1), byte(2));
    }
    return grid;
  }
  const std::size_t paletteSize = mode % 16 + 1;
  std::vector<PackedColour> palette(paletteSize);
  for (auto& colour : palette) {
    const std::uint8_t red = in.next();
    const std::uint8_t green = in.next();
    colour = rgbColour(red, green, in.next());
  }
  std::size_t cell = 0;
  while (cell < cells) {
    const PackedColour colour = palette[in.next() % paletteSize];
    const std::size_t run = std::size_t{in.next()} + 1;
    for (std::size_t k = 0; k < run && cell < cells; ++k) {
      // Raster order across rows, so runs make horizontal bands and rectangles.
      grid.at(static_cast<std::uint32_t>(cell % width), static_cast<std::uint32_t>(cell / width)) =
          colour;
      ++cell;
    }
  }
  return grid;
}

}  // namespace

std::string encodeDecodeRoundTrip(std::span<const std::uint8_t> data) {
  ByteSource in(data);
  // One statement per byte: the order of reading must not depend on the compiler.
  auto side = [&in] {
    const std::uint32_t low = in.next();
    const std::uint32_t high = in.next();
    return 1 + ((low | (high << 8)) % 1024);
  };
  std::uint32_t width = side();
  std::uint32_t height = side();
  while (width * height > kMaxCells) (width > height ? width : height) /= 2;
  CodecParams params;
  params.tolerance = in.next();
  params.smoothThreshold = in.next();
  for (std::size_t c = 0; c < 3; ++c) params.bits[c] = static_cast<std::uint8_t>(in.next() % 9);
  const std::uint8_t mode = in.next();
  const Grid image = imageFrom(in, mode, width, height);

  CodecContext encoded;
  if (!prepareForEncoding(encoded, image, params).ok()) return "a valid image is refused";
  std::uint64_t encodeDone = 0;
  bool wrongEncodeProgress = false;
  encoded.progress = [&](std::uint64_t done, std::uint64_t total) {
    wrongEncodeProgress = wrongEncodeProgress || done < encodeDone || done > total;
    encodeDone = done;
  };
  if (CodecStatus status = encodeToBytes(encoded); !status) {
    return "a small image fails to encode: " + status.message();
  }
  if (wrongEncodeProgress || encodeDone != encoded.progressTotal) {
    return "encoding progress is not sound";
  }

  CodecContext decoded;
  // Progress of a sound file only grows, never passes the total and ends at it.
  std::uint64_t lastDone = 0;
  bool wrongProgress = false;
  decoded.progress = [&](std::uint64_t done, std::uint64_t total) {
    wrongProgress = wrongProgress || done < lastDone || done > total;
    lastDone = done;
  };
  if (CodecStatus status = decodeBytes(decoded, encoded.stream); !status) {
    return "an encoded file fails to decode: " + status.message();
  }
  if (wrongProgress || lastDone != decoded.progressTotal) return "decoding progress is not sound";
  if (decoded.pixels != encoded.pixels) return "decode(encode(x)) differs from the encoder's image";
  if (decoded.flatPixels != encoded.flatPixels) return "the unsmoothed grids differ";

  CodecContext preview;
  if (!prepareForEncoding(preview, image, params).ok()) return "a valid image is refused";
  if (CodecStatus status = previewRoundTrip(preview); !status) {
    return "the preview fails: " + status.message();
  }
  if (preview.pixels != encoded.pixels) return "the preview differs from the encoded image";

  // Without quantisation, tolerance or smoothing the codec is lossless.
  const bool lossless = params.tolerance == 0 && params.smoothThreshold == 0 &&
                        params.bits == std::array<std::uint8_t, 3>{8, 8, 8};
  if (lossless && decoded.pixels != image) return "a lossless setting lost pixels";
  return {};
}

}  // namespace tq1::fuzz
