// Codec speed on the shared photo set: encode, decode and the 250 x 250 preview round trip at
// three parameter sets, in megapixels per second, with peak memory per pixel; and the code
// construction that every decode starts with, per photo.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QString>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "codec/BlockEncoder.h"
#include "codec/CanonicalDecoder.h"
#include "codec/Codec.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/ImageLoad.h"

namespace {

using tq1::CodecContext;
using tq1::CodecParams;
using tq1::Grid;

std::filesystem::path testDataDir() {
  if (const char* env = std::getenv("TQ1_TESTDATA"); env && *env) return env;
  return TQ1_DEFAULT_TESTDATA;
}

const std::vector<Grid>& photos() {
  static const std::vector<Grid> loaded = [] {
    std::vector<Grid> grids;
    const auto dir = testDataDir() / "kodak";
    for (int i = 1; i <= 24; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "kodim%02d.png", i);
      auto result = tq1::loadGridFile(QString::fromStdString((dir / name).string()));
      if (result.ok()) grids.push_back(std::move(result.value));
    }
    return grids;
  }();
  return loaded;
}

CodecParams paramsFor(int set) {
  CodecParams params;
  if (set == 1) {
    params.tolerance = 10;
    params.smoothThreshold = 30;
  } else if (set == 2) {
    params.tolerance = 25;
    params.bits = {5, 5, 5};
  }
  return params;
}

std::string labelFor(int set) {
  static const char* labels[] = {"tol0_bits8", "tol10_smooth30", "tol25_bits5"};
  return labels[set];
}

double peakMemoryBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

// The second argument of the encode and decode benchmarks: 0 keeps every output (the app's
// display), 1 only the result (what the converters ask for).
tq1::CodecOutputs outputsFor(const benchmark::State& state) {
  return state.range(1) == 0 ? tq1::CodecOutputs::Everything : tq1::CodecOutputs::ResultOnly;
}

void setCounters(benchmark::State& state, double pixelsPerIteration, bool withOutputs = true) {
  state.counters["MP/s"] = benchmark::Counter(pixelsPerIteration / 1e6 * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.counters["peakB/px"] = peakMemoryBytes() / pixelsPerIteration;
  std::string label = labelFor(static_cast<int>(state.range(0)));
  if (withOutputs) label += state.range(1) == 0 ? " all_outputs" : " result_only";
  state.SetLabel(label);
}

void encodePhotos(benchmark::State& state) {
  if (photos().empty()) {
    state.SkipWithError("shared test images not found (set TQ1_TESTDATA)");
    return;
  }
  const CodecParams params = paramsFor(static_cast<int>(state.range(0)));
  double pixels = 0;
  for (const Grid& g : photos()) pixels += double(g.width()) * g.height();
  for (auto _ : state) {
    for (const Grid& photo : photos()) {
      CodecContext context;
      context.outputs = outputsFor(state);
      if (!tq1::prepareForEncoding(context, photo, params) || !tq1::encodeToBytes(context)) {
        state.SkipWithError("encoding failed");
        return;
      }
      benchmark::DoNotOptimize(context.stream.data());
    }
  }
  setCounters(state, pixels);
}

void decodePhotos(benchmark::State& state) {
  if (photos().empty()) {
    state.SkipWithError("shared test images not found (set TQ1_TESTDATA)");
    return;
  }
  const CodecParams params = paramsFor(static_cast<int>(state.range(0)));
  std::vector<std::vector<std::uint8_t>> files;
  double pixels = 0;
  for (const Grid& photo : photos()) {
    CodecContext context;
    if (!tq1::prepareForEncoding(context, photo, params) || !tq1::encodeToBytes(context)) {
      state.SkipWithError("encoding failed");
      return;
    }
    files.push_back(context.stream);
    pixels += double(photo.width()) * photo.height();
  }
  for (auto _ : state) {
    for (const auto& bytes : files) {
      CodecContext context;
      context.outputs = outputsFor(state);
      if (!tq1::decodeBytes(context, bytes)) {
        state.SkipWithError("decoding failed");
        return;
      }
      benchmark::DoNotOptimize(context.pixels.cells().data());
    }
  }
  setCounters(state, pixels);
}

void previewArea(benchmark::State& state) {
  if (photos().empty()) {
    state.SkipWithError("shared test images not found (set TQ1_TESTDATA)");
    return;
  }
  const CodecParams params = paramsFor(static_cast<int>(state.range(0)));
  std::vector<Grid> areas;
  for (const Grid& photo : photos()) {
    Grid area(250, 250);
    for (std::uint32_t x = 0; x < 250; ++x)
      for (std::uint32_t y = 0; y < 250; ++y) area.at(x, y) = photo.at(x + 100, y + 100);
    areas.push_back(std::move(area));
  }
  std::size_t next = 0;
  for (auto _ : state) {
    CodecContext context;
    if (!tq1::prepareForEncoding(context, areas[next], params) || !tq1::previewRoundTrip(context)) {
      state.SkipWithError("preview failed");
      return;
    }
    benchmark::DoNotOptimize(context.pixels.cells().data());
    next = (next + 1) % areas.size();
  }
  setCounters(state, 250.0 * 250.0, false);
}

// What decoding does before it reads the first token: rebuilding the prefix code from the
// counts a file stores, at the second parameter set. No change to the token decoding can take
// a decoder below this time per photo; the whole-process comparison is set beside it.
void codeConstruction(benchmark::State& state) {
  if (photos().empty()) {
    state.SkipWithError("shared test images not found (set TQ1_TESTDATA)");
    return;
  }
  struct StoredCounts {
    tq1::SymbolTable table;
    std::uint32_t last = 0;
  };
  std::vector<StoredCounts> stored;
  for (const Grid& photo : photos()) {
    CodecContext encoded;
    CodecContext decoded;
    if (!tq1::prepareForEncoding(encoded, photo, paramsFor(1)) || !tq1::encodeToBytes(encoded) ||
        !tq1::decodeBytes(decoded, encoded.stream)) {
      state.SkipWithError("encoding or decoding failed");
      return;
    }
    stored.push_back({std::move(decoded.symbols), decoded.lastSymbol});
  }
  for (auto _ : state) {
    for (const StoredCounts& counts : stored) {
      tq1::SymbolTable table;
      table.entries = counts.table.entries;
      tq1::CanonicalDecoder decoder;
      if (!table.buildLengths(counts.last, UINT64_MAX) || !decoder.build(table, counts.last)) {
        state.SkipWithError("the stored counts give no code");
        return;
      }
      benchmark::DoNotOptimize(decoder);
    }
  }
  const double photosDone = static_cast<double>(stored.size() * state.iterations());
  state.counters["per_photo"] = benchmark::Counter(
      photosDone, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The encoder's walk alone: quantising, choosing every block and ranking the block colours,
// per photo set, at the second parameter set without a rebuild; the copy of each photo that
// the walk consumes is made outside the timing.
void walkPhotos(benchmark::State& state) {
  if (photos().empty()) {
    state.SkipWithError("shared test images not found (set TQ1_TESTDATA)");
    return;
  }
  std::vector<CodecContext> contexts(photos().size());
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t k = 0; k < photos().size(); ++k) {
      contexts[k] = CodecContext();
      contexts[k].outputs = tq1::CodecOutputs::ResultOnly;
      if (!tq1::prepareForEncoding(contexts[k], photos()[k], paramsFor(1))) {
        state.SkipWithError("preparing failed");
        return;
      }
    }
    state.ResumeTiming();
    for (CodecContext& context : contexts) benchmark::DoNotOptimize(tq1::tokeniseBlocks(context));
  }
}

// Writing a decoded 24-megapixel image as a bitmap file: the rows alone, handed to a sink
// that drops them (0), and the whole file as the command line writes it, through a
// temporary file and a rename, into memory-backed storage where there is some, so that the
// disk does not set the pace (1).
void writeBitmap(benchmark::State& state) {
  constexpr std::uint32_t kWidth = 6000, kHeight = 4000;
  Grid image(kWidth, kHeight);
  std::uint32_t seed = 1;
  for (tq1::PackedColour& cell : image.cells()) cell = (seed = seed * 1664525u + 1013904223u) >> 8;
  const tq1::BitmapLayout layout = *tq1::bitmapLayout(kWidth, kHeight);
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
  const std::filesystem::path target =
      folder / ("tq1-bench-" + std::to_string(::getpid()) + ".bmp");
  const auto produce = [&](const tq1::ByteSink& sink) {
    return tq1::streamBitmap(image, layout, sink);
  };
  for (auto _ : state) {
    if (state.range(0) == 0) {
      std::size_t bytes = 0;
      const bool whole = produce([&](std::span<const std::uint8_t> piece) {
        benchmark::DoNotOptimize(piece.data());
        bytes += piece.size();
        return true;
      });
      if (!whole || bytes != layout.fileBytes) {
        state.SkipWithError("the bitmap was not produced whole");
        break;
      }
    } else if (const tq1::CodecStatus written = tq1::writeFileAtomically(target, produce); !written) {
      state.SkipWithError(written.message().c_str());
      break;
    }
  }
  std::filesystem::remove(target, error);
  state.counters["MP/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6 *
                                                  static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.SetLabel(state.range(0) == 0 ? "rows only" : "whole file");
}

}  // namespace

// Rates come from the time on the clock: a result-only decode of a photo also works on a
// second thread, whose processor time the calling thread's would leave out.
BENCHMARK(encodePhotos)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(decodePhotos)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(previewArea)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(walkPhotos)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(codeConstruction)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(writeBitmap)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
