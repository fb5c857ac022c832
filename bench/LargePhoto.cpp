// Writes a photo enlarged to a given size as a 24-bit bitmap, for the whole-process benchmarks
// of large images: tq1_large_photo IN OUT.bmp WIDTH HEIGHT. A camera's 24-megapixel photo has
// less detail per pixel than a small one; an enlarged small photo is close to that.
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: tq1_large_photo IN OUT.bmp WIDTH HEIGHT\n");
    return 2;
  }
  const QImage photo(QString::fromLocal8Bit(argv[1]));
  const int width = QString(argv[3]).toInt();
  const int height = QString(argv[4]).toInt();
  if (photo.isNull() || width <= 0 || height <= 0) {
    std::fprintf(stderr, "tq1_large_photo: cannot read %s or bad size\n", argv[1]);
    return 1;
  }
  const QImage large = photo.convertToFormat(QImage::Format_RGB888)
                           .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (!large.save(QString::fromLocal8Bit(argv[2]), "BMP")) {
    std::fprintf(stderr, "tq1_large_photo: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
