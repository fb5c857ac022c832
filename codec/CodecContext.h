// One image's codec state: its grids, the coding parameters, the quantiser's tables, the token
// sequence and the symbol table. A caller of the drivers (see Codec.h) creates one context per
// operation, fills it, runs one driver and reads the result out of `pixels`.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "CodecStatus.h"
#include "Grid.h"
#include "Limits.h"
#include "PackedColour.h"
#include "SymbolTable.h"

namespace tq1 {

// Called with (cells done, cells in all) after every block that a walk emits or fills.
using ProgressCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

// The parameters a person chooses, in one place, with their ranges.
struct CodecParams {
  std::uint8_t tolerance = 0;        // largest per-channel spread inside one block (UI: 0-50)
  std::uint8_t smoothThreshold = 0;  // largest neighbour difference that is blended (UI: 0-150)
  std::array<std::uint8_t, 3> bits{8, 8, 8};  // bits kept per colour component, 0-8

  [[nodiscard]] CodecStatus validate() const;
  friend bool operator==(const CodecParams&, const CodecParams&) = default;
};

// The parameters from values of any size, as settings, list files and sliders hold them: each
// brought into the range people choose it from (see Limits.h).
[[nodiscard]] CodecParams clampedParams(std::int64_t tolerance, std::int64_t smoothing,
                                        const std::array<std::int64_t, 3>& bits) noexcept;

// What the drivers leave in a context beyond the file bytes or the decoded image.
enum class CodecOutputs {
  // Everything: the rebuilt image after encoding, the unsmoothed grid `flatPixels` and the
  // decoded `tokens`; what previews, the app's display and the tests look at.
  Everything,
  // Only the result: encoding releases `pixels` and leaves `flatPixels` empty, decoding keeps
  // no tokens and no unsmoothed grid, and does not record the colours of the symbols.
  // Converters that write the result and forget it use this: it saves a grid, the token list
  // and, when encoding, the rebuild and smoothing.
  ResultOnly,
};

// How many threads a decode may use. With two, a second thread reads the token stream while
// the calling thread fills and smooths the grid; the progress callback is called from the
// calling thread either way. `Auto` takes two for images of some size on machines with more
// than one processor; callers that keep every processor busy already, as a batch with several
// workers does, ask for `One`. `OneUnlessLarge` takes two only for images of some megapixels:
// for programs that make one conversion and end, in which a second thread saves a photo's
// decode only a few per cent, for a third more processor time.
enum class DecodeThreads { Auto, One, Two, OneUnlessLarge };

struct CodecContext {
  CodecOutputs outputs = CodecOutputs::Everything;
  std::uint32_t maxX = 0;  // image width - 1
  std::uint32_t maxY = 0;  // image height - 1
  std::uint64_t progressDone = 0;
  std::uint64_t progressTotal = 0;
  std::uint8_t tolerance = 0;
  std::uint8_t smoothThreshold = 0;
  std::array<std::uint32_t, 4> levelCount{};  // levels per channel after quantisation, 1-256
  std::array<std::uint8_t, 4> maxLevel{255, 255, 255, 255};  // largest level index allowed
  std::array<std::uint8_t, 4> literalBits{};  // width of a level index in a literal colour
  std::uint32_t lastSymbol = 0;
  std::uint32_t lastToken = 0;
  std::uint32_t currentSymbol = 0;
  PackedColour markerX = MarkerXToken;
  PackedColour markerY = MarkerYToken;
  PackedColour escapeSymbol = 0;
  std::uint64_t markerXCount = 0;
  std::uint64_t markerYCount = 0;
  std::uint64_t singletonCount = 0;
  std::array<PackedColour, 3> controlValue{};
  std::array<std::array<std::int64_t, 256>, 4> histogram{};
  std::array<std::array<std::uint8_t, 256>, 4> levelValue{};
  std::array<std::array<std::uint8_t, 256>, 4> channelMap{};
  std::vector<PackedColour> tokens;
  // Per block, in walk order: the rank of its colour among the distinct block colours, and its
  // doubling exponents, x in the low byte and y in the high byte (set by the encoder, used by
  // the file writer).
  std::vector<std::uint32_t> blockColourRank;
  std::vector<std::uint16_t> blockShapes;
  std::size_t cursor = 0;
  Grid pixels;
  Grid flatPixels;
  SymbolTable symbols;
  std::vector<std::uint8_t> stream;  // the bytes of the file written
  ProgressCallback progress;
  std::uint64_t maxPixels = kDefaultMaxPixels;  // refuse larger images before allocating
  DecodeThreads decodeThreads = DecodeThreads::Auto;  // only result-only decodes use two

  [[nodiscard]] std::uint32_t width() const noexcept { return maxX + 1; }
  [[nodiscard]] std::uint32_t height() const noexcept { return maxY + 1; }
  [[nodiscard]] std::uint64_t cellCount() const noexcept {
    return std::uint64_t{maxX + 1} * (std::uint64_t{maxY} + 1);
  }
  // A damaged file may hold blocks that overlap cells filled before them, which would count
  // those cells twice: the count stops at the total, so nobody is shown more than all the
  // work done.
  void reportProgress(std::uint64_t cells) {
    progressDone += cells;
    if (progressTotal != 0 && progressDone > progressTotal) progressDone = progressTotal;
    if (progress) progress(progressDone, progressTotal);
  }
};

// Sets tolerance, smoothThreshold and maxLevel from the parameters.
void applyParams(CodecContext& context, const CodecParams& params);

// Checks maxX + 1 by maxY + 1 cells against the format's sides and maxPixels.
CodecStatus checkImageExtents(const CodecContext& context);

// Allocates the grids for maxX + 1 by maxY + 1 cells (`flatPixels` only when all outputs are
// wanted), after checking the size against the format's sides and maxPixels; running out of
// memory is an error, not an abort.
CodecStatus allocateGrids(CodecContext& context);

// Makes a context ready to encode `image`: extents, parameters, grids. Set `outputs` first.
CodecStatus prepareForEncoding(CodecContext& context, Grid image, const CodecParams& params);

}  // namespace tq1
