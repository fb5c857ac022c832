// The front ends' conversions, each on a codec state of its own.
#include "Conversion.h"

#include <memory>
#include <new>
#include <utility>

#include "Codec.h"

namespace tq1 {
namespace {

// A codec state holds tables of some tens of kilobytes: it lives on the heap, not on the
// caller's stack, and a failure to get it is a result like any other.
std::unique_ptr<CodecContext> newContext(CodecStatus& status) {
  std::unique_ptr<CodecContext> context(new (std::nothrow) CodecContext);
  if (!context) status = CodecStatus::failure(CodecError::OutOfMemory, "not enough memory to start the codec");
  return context;
}

}  // namespace

double EncodeResult::bitsPerPixel() const noexcept {
  const double pixels = double(width) * double(height);
  return pixels > 0 && !bytes.empty() ? double(bytes.size()) * 8.0 / pixels : 0.0;
}

EncodeResult encodeImage(Grid image, const CodecParams& params, const EncodeOptions& options) {
  EncodeResult result;
  result.width = image.width();
  result.height = image.height();
  std::unique_ptr<CodecContext> context = newContext(result.status);
  if (!context) return result;
  context->outputs = options.keepRebuilt ? CodecOutputs::Everything : CodecOutputs::ResultOnly;
  result.status = prepareForEncoding(*context, std::move(image), params);
  if (!result.status) return result;
  context->progress = options.progress;
  result.status = encodeToBytes(*context);
  if (!result.status) return result;
  result.bytes = std::move(context->stream);
  if (options.keepRebuilt) result.rebuilt = std::move(context->pixels);
  result.tokenCount = context->lastToken + 1;
  result.symbolCount = context->lastSymbol + 1;
  return result;
}

EncodeResult encodeImageToFile(Grid image, const CodecParams& params,
                               const std::filesystem::path& path, const EncodeOptions& options) {
  EncodeResult result = encodeImage(std::move(image), params, options);
  if (result.ok()) result.status = writeFileAtomically(path, result.bytes);
  if (!result.ok()) {
    result.bytes.clear();
    result.rebuilt = Grid();
  }
  return result;
}

namespace {

DecodeResult decodeInto(CodecContext& context, std::span<const std::uint8_t> bytes,
                        const DecodeOptions& options) {
  context.outputs = CodecOutputs::ResultOnly;
  context.progress = options.progress;
  context.decodeThreads = options.threads;
  context.maxPixels = options.maxPixels;
  DecodeResult result;
  result.fileBytes = bytes.size();
  result.status = decodeBytes(context, bytes);
  if (result.ok()) result.image = std::move(context.pixels);
  return result;
}

}  // namespace

DecodeResult decodeImage(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  DecodeResult result;
  std::unique_ptr<CodecContext> context = newContext(result.status);
  if (!context) return result;
  return decodeInto(*context, bytes, options);
}

DecodeResult decodeImageFile(const std::filesystem::path& path, const DecodeOptions& options) {
  DecodeResult result;
  FileBytes bytes;
  result.status = readWholeFile(path, bytes);
  if (!result.ok()) return result;
  std::unique_ptr<CodecContext> context = newContext(result.status);
  if (!context) return result;
  return decodeInto(*context, bytes.span(), options);
}

std::string failureAbout(const std::string& source, const CodecStatus& status) {
  switch (status.error()) {
    case CodecError::FileOpenFailed:
    case CodecError::FileReadFailed:
    case CodecError::FileWriteFailed:
      return status.message();
    default:
      return source + ": " + status.message();
  }
}

}  // namespace tq1
