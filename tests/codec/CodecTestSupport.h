// Small image generators and context helpers shared by the codec tests.
#pragma once

#include <cstdint>
#include <random>
#include <stdexcept>
#include <algorithm>
#include <vector>

#include "codec/Codec.h"

namespace tq1::testing {

// A context holding `image`, ready to encode with the given parameters.
inline CodecContext contextFor(const Grid& image, const CodecParams& params) {
  CodecContext context;
  const CodecStatus status = prepareForEncoding(context, image, params);
  if (!status) throw std::runtime_error(status.message());
  return context;
}

inline Grid uniformImage(std::uint32_t w, std::uint32_t h, PackedColour colour) {
  return Grid(w, h, colour);
}

// Patches of nearly flat colour with some noise and hard edges: exercises blocks of every
// shape, tolerances and smoothing.
inline Grid patchyImage(std::mt19937& random, std::uint32_t w, std::uint32_t h, int noise) {
  Grid grid(w, h);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  const std::uint32_t patch = 1u + static_cast<std::uint32_t>(random() % 9);
  std::vector<PackedColour> palette(16);
  for (auto& p : palette) p = rgbColour(std::uint8_t(byte(random)), std::uint8_t(byte(random)), std::uint8_t(byte(random)));
  for (std::uint32_t x = 0; x < w; ++x) {
    for (std::uint32_t y = 0; y < h; ++y) {
      const Channels base = unpackColour(palette[((x / patch) * 7 + (y / patch) * 3) % 16]);
      Channels c{};
      for (unsigned k = 0; k < 3; ++k) c[k] = std::uint8_t(std::clamp(int{base[k]} + jitter(random), 0, 255));
      grid.at(x, y) = packColour(c);
    }
  }
  return grid;
}

inline CodecParams randomParams(std::mt19937& random) {
  CodecParams params;
  params.tolerance = std::uint8_t(random() % 4 == 0 ? 0 : random() % 51);
  params.smoothThreshold = std::uint8_t(random() % 3 == 0 ? 0 : random() % 151);
  for (auto& b : params.bits) b = std::uint8_t(random() % 3 == 0 ? 8 : random() % 9);
  return params;
}

}  // namespace tq1::testing
