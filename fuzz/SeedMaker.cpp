// Writes the seed inputs of the fuzz programs into OUT_DIR/<entry>/: files the encoder makes
// with a spread of sizes and parameters, crops of the shared photos, the bitmap suite, list
// files and settings files. Usage: tq1_fuzz_seeds OUT_DIR [TESTDATA_DIR]
#include <QBuffer>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "batch/ListFile.h"
#include "codec/Codec.h"
#include "imagefile/BitmapEncoding.h"
#include "imagefile/GridImage.h"
#include "imagefile/ImageLoad.h"
#include "settings/IniDocument.h"
#include "settings/PositionRecord.h"
#include "settings/SettingsRecord.h"
#include "settings/StructText.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path outDir;
int written = 0;

void writeSeed(const std::string& entry, const std::string& name, const void* data,
               std::size_t size) {
  const fs::path dir = outDir / entry;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  ++written;
}
void writeSeed(const std::string& entry, const std::string& name, const Bytes& bytes) {
  writeSeed(entry, name, bytes.data(), bytes.size());
}
void writeSeed(const std::string& entry, const std::string& name, const QByteArray& bytes) {
  writeSeed(entry, name, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

tq1::CodecParams params(std::uint8_t tolerance, std::uint8_t smoothing, std::uint8_t r,
                        std::uint8_t g, std::uint8_t b) {
  tq1::CodecParams p;
  p.tolerance = tolerance;
  p.smoothThreshold = smoothing;
  p.bits = {r, g, b};
  return p;
}

const std::vector<tq1::CodecParams> kParams = {
    params(0, 0, 8, 8, 8),   params(10, 0, 8, 8, 8), params(8, 40, 8, 8, 8),
    params(5, 20, 5, 6, 7),  params(30, 150, 3, 3, 3), params(0, 0, 1, 1, 1),
    params(4, 12, 0, 8, 2),
};

void encodeSeed(const tq1::Grid& image, const tq1::CodecParams& p, const std::string& name) {
  tq1::CodecContext context;
  if (!tq1::prepareForEncoding(context, image, p).ok() || !tq1::encodeToBytes(context).ok()) {
    std::fprintf(stderr, "tq1_fuzz_seeds: cannot encode %s\n", name.c_str());
    return;
  }
  if (context.stream.size() <= 32768) {
    writeSeed("decode", name + ".tq1", context.stream);
    writeSeed("image_plugin", name + ".tq1", context.stream);
  }
}

tq1::Grid syntheticImage(std::mt19937& random, std::uint32_t w, std::uint32_t h, int kind) {
  tq1::Grid grid(w, h);
  for (std::uint32_t x = 0; x < w; ++x) {
    for (std::uint32_t y = 0; y < h; ++y) {
      switch (kind) {
        case 0: grid.at(x, y) = 0x123456; break;
        case 1: grid.at(x, y) = tq1::rgbColour(std::uint8_t(x * 7), std::uint8_t(y * 5), 90); break;
        case 2: grid.at(x, y) = ((x / 4 + y / 4) % 2) ? 0xFFFFFF : 0x000000; break;
        default: grid.at(x, y) = random() & 0xFFFFFF; break;
      }
    }
  }
  return grid;
}

void codecSeeds() {
  std::mt19937 random(2024);
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
      {1, 1}, {2, 2}, {7, 5}, {33, 17}, {64, 1}, {1, 64}, {40, 30}};
  for (const auto& [w, h] : sizes) {
    for (int kind = 0; kind < 4; ++kind) {
      const tq1::Grid image = syntheticImage(random, w, h, kind);
      for (std::size_t p = 0; p < kParams.size(); p += (kind == 0 ? 3 : 1)) {
        encodeSeed(image, kParams[p],
                   std::to_string(w) + "x" + std::to_string(h) + "-k" + std::to_string(kind) +
                       "-p" + std::to_string(p));
      }
      if (kind == 3) {
        const std::string name = "synthetic-" + std::to_string(w) + "x" + std::to_string(h);
        const auto bmp = tq1::encodeBitmap(image);
        writeSeed("plain_bitmap", name + ".bmp", bmp.value);
        writeSeed("image_file", name + ".bmp", bmp.value);
        const auto shown = tq1::imageFromGrid(image);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (shown.ok() && shown.value.save(&buffer, "PNG")) writeSeed("image_file", name + ".png", png);
      }
    }
  }
  // Round-trip inputs: width and height (two bytes each, little-endian), tolerance,
  // smoothing, three bit counts, the pixel mode, then pixel or palette bytes.
  const Bytes trips[] = {
      {1, 0, 1, 0, 0, 0, 8, 8, 8, 0, 10, 20, 30},
      {16, 0, 16, 0, 0, 0, 8, 8, 8, 3, 255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 40, 2, 30, 3, 200},
      {40, 0, 9, 0, 12, 60, 5, 6, 5, 7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 9, 1, 9, 2, 9},
      {255, 3, 2, 0, 3, 20, 8, 8, 8, 1, 0, 0, 0, 250, 250, 250, 0, 100, 1, 100},
      {5, 0, 200, 0, 50, 150, 2, 2, 2, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 255, 128},
  };
  for (std::size_t i = 0; i < std::size(trips); ++i) {
    writeSeed("round_trip", "trip" + std::to_string(i), trips[i]);
  }
}

void photoSeeds(const fs::path& testdata) {
  int n = 0;
  for (const char* photo : {"kodak/kodim23.png", "kodak/kodim05.png", "graphics/lvgl_chart_bar.png"}) {
    const auto loaded = tq1::loadImageFile(QString::fromStdString((testdata / photo).string()));
    if (!loaded.ok()) continue;
    const QImage& image = loaded.value;
    for (const auto& [x, y, w, h] : {std::array{100, 100, 48, 32}, std::array{300, 200, 24, 24},
                                     std::array{0, 0, 96, 8}}) {
      if (x + w > image.width() || y + h > image.height()) continue;
      const auto crop = tq1::gridFromImage(image, x, y, w, h);
      if (!crop.ok()) continue;
      const std::string name = "crop" + std::to_string(n++);
      encodeSeed(crop.value, kParams[0], name + "-lossless");
      encodeSeed(crop.value, kParams[3], name + "-lossy");
      const auto bmp = tq1::encodeBitmap(crop.value);
      writeSeed("plain_bitmap", name + ".bmp", bmp.value);
      writeSeed("image_file", name + ".bmp", bmp.value);
      QByteArray png;
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      image.copy(x, y, w, h).save(&buffer, "PNG");
      writeSeed("image_file", name + ".png", png);
    }
  }
  for (const char* group : {"g", "q", "b"}) {
    const fs::path dir = testdata / "bmpsuite" / group;
    if (!fs::is_directory(dir)) continue;
    for (const auto& file : fs::directory_iterator(dir)) {
      if (!file.is_regular_file() || file.file_size() > 65536) continue;
      std::ifstream in(file.path(), std::ios::binary);
      const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
      const std::string name = std::string(group) + "-" + file.path().filename().string();
      writeSeed("plain_bitmap", name, bytes);
      writeSeed("image_file", name, bytes);
    }
  }
}

void listSeeds() {
  using tq1::EntrySettings;
  using tq1::ListEntry;
  const std::vector<std::vector<ListEntry>> lists = {
      {},
      {{"C:\\a.bmp", EntrySettings{10, 2, 8, 8, 8, 0}}},
      {{"/home/пользователь/фото 1.bmp", EntrySettings{0, 150, 8, 8, 8, -1}},
       {"/tmp/it's a \"test\".tq1", EntrySettings{50, 0, 1, 2, 3, 200}},
       {QString(300, QChar('x')) + ".bmp", EntrySettings{-5, 255, 0, 0, 0, 127}}},
  };
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const QByteArray bytes = tq1::serialiseList(lists[i]);
    writeSeed("list_file", "list" + std::to_string(i) + ".lst", bytes);
    if (bytes.size() > 4) writeSeed("list_file", "cut" + std::to_string(i) + ".lst", bytes.chopped(4));
  }
}

void iniSeeds() {
  auto recordText = [](auto bytes) {
    return tq1::encodeStructText(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
  };
  tq1::SettingsRecord custom;
  custom.quality = 17;
  custom.smoothing = 99;
  custom.previewOn = 1;
  tq1::IniDocument full;
  full.setValue("Settings", "set", recordText(tq1::settingsToBytes(custom)));
  full.setValue("Default", "set", recordText(tq1::settingsToBytes(tq1::factorySettings())));
  for (int key = 1; key <= 6; ++key) {
    const auto name = tq1::windowKeyName(static_cast<tq1::WindowKey>(key));
    full.setValue("Position", QByteArrayView(name.data(), qsizetype(name.size())),
                  recordText(tq1::positionToBytes(tq1::CapturePosition(key * 10, key * 20, 300, 200,
                                                                       key == 1, key == 2))));
  }
  const QByteArray text = full.serialise();
  writeSeed("ini_records", "full.ini", text);
  QByteArray crlf = text;
  crlf.replace("\n", "\r\n");
  writeSeed("ini_records", "crlf.ini", crlf);
  writeSeed("ini_records", "foreign.ini",
            "; written by hand\n[Other]\nkey = value\n\n" + text.toLower() + "[Tail]\nx=1");
  QByteArray damaged = text;
  damaged[damaged.indexOf('=') + 3] = 'Z';
  writeSeed("ini_records", "damaged.ini", damaged);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tq1_fuzz_seeds OUT_DIR [TESTDATA_DIR]\n");
    return 2;
  }
  outDir = argv[1];
  const fs::path testdata = argc > 2 ? fs::path(argv[2]) : fs::path(TQ1_DEFAULT_TESTDATA);
  codecSeeds();
  if (fs::is_directory(testdata)) {
    photoSeeds(testdata);
  } else {
    std::fprintf(stderr, "tq1_fuzz_seeds: no test data at %s, photo and bitmap suite seeds left out\n",
                 testdata.string().c_str());
  }
  listSeeds();
  iniSeeds();
  std::printf("tq1_fuzz_seeds: %d seed files in %s\n", written, outDir.string().c_str());
  return 0;
}
