// The drivers of the codec: encode a grid to a .tq1 file, decode a file back to a grid, and
// the lossy round trip alone. Each runs once on a fresh CodecContext and leaves all its state
// there for those who look inside (tests, benchmarks, tools); the front ends convert through
// Conversion.h, which runs these for them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "CodecContext.h"
#include "CodecStatus.h"
#include "FileBytes.h"

namespace tq1 {

// Encodes context.pixels into context.stream. Afterwards, with all outputs, `pixels` holds the
// image rebuilt from the tokens (exactly what decoding the bytes gives) and `flatPixels` the
// same unsmoothed; with the result only, `pixels` is released (empty).
CodecStatus encodeToBytes(CodecContext& context);

// encodeToBytes, then writes the bytes to `path` through a temporary file in the same folder
// that replaces the target only when complete. On failure an existing file is left untouched.
CodecStatus encodeFile(CodecContext& context, const std::filesystem::path& path);

// Decodes a .tq1 byte stream into context.pixels (smoothed) and, with all outputs,
// context.flatPixels and context.tokens.
CodecStatus decodeBytes(CodecContext& context, std::span<const std::uint8_t> bytes);

// Reads `path` and decodes it.
CodecStatus decodeFile(CodecContext& context, const std::filesystem::path& path);

// The lossy part alone: quantise, tokenise and rebuild, with no codes and no file.
CodecStatus previewRoundTrip(CodecContext& context);

// The largest file readWholeFile takes: far beyond any file the format can describe or an
// accepted bitmap can be, so that a device or a pipe without end cannot fill the memory.
inline constexpr std::uint64_t kMaxInputFileBytes = std::uint64_t{2} << 30;

// Reads a whole file (at most kMaxInputFileBytes); used by decodeFile and the tools. On
// failure `bytes` is empty.
CodecStatus readWholeFile(const std::filesystem::path& path, FileBytes& bytes);

// Writes bytes to path through a temporary file and a rename.
CodecStatus writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes);

// Takes a file's bytes piece by piece, in order; false when a piece could not be written.
using ByteSink = std::function<bool(std::span<const std::uint8_t>)>;
// Hands a file's bytes to a sink; false when it stopped early because the sink refused.
using FileProducer = std::function<bool(const ByteSink&)>;

// The same for a file produced piece by piece, so that large files need no copy in memory.
CodecStatus writeFileAtomically(const std::filesystem::path& path, const FileProducer& produce);

}  // namespace tq1
