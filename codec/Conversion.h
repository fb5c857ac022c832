// The conversions every front end runs: an image with its parameters into the bytes of a .tq1
// file (and, when asked, the image those bytes rebuild), and a .tq1 file back into an image.
// Each call sets up its own codec state, so callers never touch a CodecContext.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "CodecContext.h"
#include "CodecStatus.h"
#include "Grid.h"

namespace tq1 {

struct EncodeOptions {
  // Keep the image rebuilt from the tokens, which is exactly what decoding the bytes gives:
  // for showing the result or measuring its quality. Without it the encoder skips the rebuild
  // and the smoothing.
  bool keepRebuilt = false;
  // Called on the calling thread with (cells done, cells in all) as the work goes on.
  ProgressCallback progress{};
};

struct EncodeResult {
  CodecStatus status;
  std::vector<std::uint8_t> bytes;  // the whole .tq1 file; empty on failure
  Grid rebuilt;                     // with keepRebuilt, on success; empty otherwise
  std::uint32_t width = 0;          // of the image given, also on failure once it was seen
  std::uint32_t height = 0;
  std::uint32_t tokenCount = 0;     // blocks and markers coded, on success
  std::uint32_t symbolCount = 0;    // coded symbols, the three control symbols included

  [[nodiscard]] bool ok() const noexcept { return status.ok(); }
  // Size of the file per pixel of the image; 0 when nothing was encoded.
  [[nodiscard]] double bitsPerPixel() const noexcept;
};

// Encodes `image` (cells with 0 in their fourth channel) with `params`. Every failure (refused
// parameters or image, an image the format cannot hold, running out of memory) comes back in
// `status` with nothing else filled in but the extents.
[[nodiscard]] EncodeResult encodeImage(Grid image, const CodecParams& params,
                                       const EncodeOptions& options = {});

// encodeImage, then the bytes go to `path` through a temporary file in the same folder that
// replaces the target only when complete: on any failure an existing file is left untouched
// (a failed write gives FileWriteFailed). The result keeps the bytes written.
[[nodiscard]] EncodeResult encodeImageToFile(Grid image, const CodecParams& params,
                                             const std::filesystem::path& path,
                                             const EncodeOptions& options = {});

struct DecodeOptions {
  // Called with (cells done, cells in all), on the calling thread whether or not the decode
  // uses a second one (see DecodeThreads); what it throws reaches the caller.
  ProgressCallback progress{};
  DecodeThreads threads = DecodeThreads::Auto;
  std::uint64_t maxPixels = kDefaultMaxPixels;  // larger images are refused before allocating
};

struct DecodeResult {
  CodecStatus status;
  Grid image;                  // the decoded image, smoothed; empty on failure
  std::uint64_t fileBytes = 0;  // size of the .tq1 data read, also on a decoding failure

  [[nodiscard]] bool ok() const noexcept { return status.ok(); }
};

// Decodes the bytes of a .tq1 file. Damaged or hostile data comes back as a failure naming
// what is wrong, never as a crash or a partial image.
[[nodiscard]] DecodeResult decodeImage(std::span<const std::uint8_t> bytes,
                                       const DecodeOptions& options = {});

// Reads the file at `path` (FileOpenFailed, FileReadFailed when it cannot) and decodes it.
[[nodiscard]] DecodeResult decodeImageFile(const std::filesystem::path& path,
                                           const DecodeOptions& options = {});

// A failure as one line about `source`: messages about files name their file already, the
// others get the source's name in front so that every message says which file it is about.
[[nodiscard]] std::string failureAbout(const std::string& source, const CodecStatus& status);

}  // namespace tq1
