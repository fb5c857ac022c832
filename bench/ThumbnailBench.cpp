// Thumbnails of a 24-megapixel file, as a file manager asks for them: the whole command's work
// (decode and shrink) and the shrinking alone, on the clock, in milliseconds per thumbnail.
// File managers give a thumbnailer a few seconds at most; the goal is well under one.
#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <random>

#include "codec/Codec.h"
#include "thumbnailer/BoxScale.h"
#include "thumbnailer/Thumbnail.h"

namespace {

constexpr std::uint32_t kWidth = 6000;
constexpr std::uint32_t kHeight = 4000;

// Patches of colour with a little noise: a photo-like file of a few megabytes at the quality
// people save at.
tq1::Grid largePicture() {
  tq1::Grid grid(kWidth, kHeight);
  std::mt19937 random(1);
  for (std::uint32_t x = 0; x < kWidth; ++x) {
    for (std::uint32_t y = 0; y < kHeight; ++y) {
      const std::uint32_t patch = (x / 40) * 7 + (y / 30) * 13;
      const auto noise = static_cast<std::uint32_t>(random() % 6);
      grid.at(x, y) = ((patch * 37 + noise) & 0xff) | (((patch * 91) & 0xff) << 8) |
                      (((patch * 53 + noise) & 0xff) << 16);
    }
  }
  return grid;
}

// Written once into a private temporary folder that lives as long as the program.
const std::filesystem::path& largeFile() {
  static const QTemporaryDir folder;
  static const std::filesystem::path path = [] {
    const std::filesystem::path file =
        std::filesystem::path(folder.path().toStdString()) / "large.tq1";
    tq1::CodecContext context;
    context.outputs = tq1::CodecOutputs::ResultOnly;
    tq1::CodecParams params;
    params.tolerance = 4;
    params.smoothThreshold = 12;
    if (!tq1::prepareForEncoding(context, largePicture(), params).ok() ||
        !tq1::encodeFile(context, file).ok()) {
      std::fprintf(stderr, "cannot write %s\n", file.c_str());
      std::exit(1);
    }
    return file;
  }();
  return path;
}

void thumbnailOfLargeFile(benchmark::State& state) {
  const QString path = QString::fromStdString(largeFile().string());
  for (auto _ : state) {
    const tq1::ImageFileResult<QImage> thumbnail = tq1::makeThumbnail(path, 256);
    if (!thumbnail.ok()) state.SkipWithError(thumbnail.status.message().c_str());
    benchmark::DoNotOptimize(thumbnail.value.constBits());
  }
}

void shrinkLargeGrid(benchmark::State& state) {
  const tq1::Grid grid = largePicture();
  for (auto _ : state) {
    const QImage image = tq1::boxScaled(grid, QSize(256, 171));
    benchmark::DoNotOptimize(image.constBits());
  }
}

}  // namespace

BENCHMARK(thumbnailOfLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(shrinkLargeGrid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
