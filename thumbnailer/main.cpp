// tq1-thumbnailer INPUT.tq1 OUTPUT.png SIZE: the thumbnail command of file managers. Writes a
// PNG whose longer side is at most SIZE pixels; on any failure it writes nothing and exits
// with status 1 (2 for a wrong command line).
#include <QString>

#include <cstdio>

#include "codec/LargeBuffer.h"
#include "thumbnailer/Thumbnail.h"

namespace {

constexpr int kMaxRequestedSide = 4096;

int usage() {
  std::fprintf(stderr, "usage: tq1-thumbnailer INPUT.tq1 OUTPUT.png SIZE (1-%d)\n",
               kMaxRequestedSide);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return usage();
  bool isNumber = false;
  const int side = QString::fromLocal8Bit(argv[3]).toInt(&isNumber);
  if (!isNumber || side < 1 || side > kMaxRequestedSide) return usage();
  tq1::mapBuffersOfOneConversion();

  const tq1::ImageFileResult<QImage> thumbnail =
      tq1::makeThumbnail(QString::fromLocal8Bit(argv[1]), side);
  if (!thumbnail.ok()) {
    std::fprintf(stderr, "tq1-thumbnailer: %s: %s\n", argv[1], thumbnail.status.message().c_str());
    return 1;
  }
  if (const tq1::ImageFileStatus saved = tq1::savePng(thumbnail.value, QString::fromLocal8Bit(argv[2]));
      !saved) {
    std::fprintf(stderr, "tq1-thumbnailer: %s\n", saved.message().c_str());
    return 1;
  }
  return 0;
}
