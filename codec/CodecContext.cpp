// Context preparation: parameters and checked grid allocation.
#include "CodecContext.h"

#include <new>
#include <string>

namespace tq1 {

CodecStatus CodecParams::validate() const {
  for (unsigned c = 0; c < 3; ++c) {
    if (bits[c] > kMaxBits) {
      return CodecStatus::failure(CodecError::InvalidParameters,
                                  "bits per component must be 0 to 8, got " +
                                      std::to_string(bits[c]));
    }
  }
  return CodecStatus::success();
}

CodecParams clampedParams(std::int64_t tolerance, std::int64_t smoothing,
                          const std::array<std::int64_t, 3>& bits) noexcept {
  CodecParams params;
  params.tolerance = clampToRange(tolerance, kMaxToleranceUi);
  params.smoothThreshold = clampToRange(smoothing, kMaxSmoothingUi);
  for (unsigned c = 0; c < 3; ++c) params.bits[c] = clampToRange(bits[c], kMaxBits);
  return params;
}

void applyParams(CodecContext& context, const CodecParams& params) {
  context.tolerance = params.tolerance;
  context.smoothThreshold = params.smoothThreshold;
  for (unsigned c = 0; c < 3; ++c) {
    context.maxLevel[c] = static_cast<std::uint8_t>((1u << params.bits[c]) - 1);
  }
  context.maxLevel[3] = 255;
}

CodecStatus checkImageExtents(const CodecContext& context) {
  const std::uint64_t width = std::uint64_t{context.maxX} + 1;
  const std::uint64_t height = std::uint64_t{context.maxY} + 1;
  if (width > kMaxSide || height > kMaxSide) {
    return CodecStatus::failure(CodecError::ImageTooLarge,
                                "image sides are limited to 65536 pixels");
  }
  if (height > context.maxPixels / width) {
    return CodecStatus::failure(
        CodecError::ImageTooLarge,
        "image of " + std::to_string(width) + " x " + std::to_string(height) +
            " pixels is too large (limit " + std::to_string(context.maxPixels) + " pixels)");
  }
  return CodecStatus::success();
}

CodecStatus allocateGrids(CodecContext& context) {
  if (CodecStatus status = checkImageExtents(context); !status) return status;
  const std::uint64_t width = std::uint64_t{context.maxX} + 1;
  const std::uint64_t height = std::uint64_t{context.maxY} + 1;
  try {
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    if (context.pixels.width() != w || context.pixels.height() != h) context.pixels = Grid(w, h);
    context.flatPixels = context.outputs == CodecOutputs::Everything ? Grid(w, h) : Grid();
  } catch (const std::bad_alloc&) {
    context.pixels = Grid();
    context.flatPixels = Grid();
    return CodecStatus::failure(CodecError::OutOfMemory, "not enough memory for the image");
  }
  return CodecStatus::success();
}

CodecStatus prepareForEncoding(CodecContext& context, Grid image, const CodecParams& params) {
  if (CodecStatus status = params.validate(); !status) return status;
  if (image.empty()) {
    return CodecStatus::failure(CodecError::InvalidParameters, "the image has no pixels");
  }
  context.maxX = image.width() - 1;
  context.maxY = image.height() - 1;
  applyParams(context, params);
  context.pixels = std::move(image);
  return allocateGrids(context);
}

}  // namespace tq1
