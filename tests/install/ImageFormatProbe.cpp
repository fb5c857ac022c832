// A Qt program that knows nothing of .tq1 files, as any image viewer: it reads and writes
// images through QImageReader and QImageWriter only, so every .tq1 file it handles goes
// through whichever image plugin Qt loads (QT_PLUGIN_PATH). Used by the installation test.
//   formats                     the formats Qt reads and writes, one line each
//   size FILE                   the size Qt reports before reading any pixels
//   same FILE REFERENCE         exit 0 when both files read to exactly the same pixels
//   write IN OUT QUALITY        reads IN and writes OUT in the format its suffix names, at
//                               that quality (-1: none)
//   read FILE                   exit 0 when FILE reads to a non-null image, else 1
//   mime FILE                   the MIME type the desktop's database gives the file
#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>

#include <cstdio>

namespace {

int fail(const QString& message) {
  std::fprintf(stderr, "probe: %s\n", qPrintable(message));
  return 1;
}

void printFormats() {
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    std::printf("read %s\n", format.constData());
  }
  for (const QByteArray& format : QImageWriter::supportedImageFormats()) {
    std::printf("write %s\n", format.constData());
  }
}

int printSize(const QString& path) {
  QImageReader reader(path);
  const QSize size = reader.size();
  if (!size.isValid()) return fail(path + QStringLiteral(": no size: ") + reader.errorString());
  std::printf("%dx%d %s\n", size.width(), size.height(), reader.format().constData());
  return 0;
}

int readImage(const QString& path, QImage& image) {
  QImageReader reader(path);
  image = reader.read();
  if (image.isNull()) return fail(path + QStringLiteral(": ") + reader.errorString());
  image = image.convertToFormat(QImage::Format_RGB32);
  return 0;
}

int compareImages(const QString& path, const QString& referencePath) {
  QImage image;
  QImage reference;
  if (readImage(path, image) != 0 || readImage(referencePath, reference) != 0) return 1;
  if (image.size() != reference.size()) return fail(QStringLiteral("the sizes differ"));
  for (int y = 0; y < image.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (a[x] != b[x]) {
        return fail(QStringLiteral("pixel (%1, %2) differs: %3 against %4")
                        .arg(x).arg(y).arg(a[x], 8, 16).arg(b[x], 8, 16));
      }
    }
  }
  return 0;
}

int writeImage(const QString& input, const QString& output, int quality) {
  QImage image;
  if (readImage(input, image) != 0) return 1;
  QImageWriter writer(output);
  if (quality >= 0) writer.setQuality(quality);
  if (!writer.write(image)) return fail(output + QStringLiteral(": ") + writer.errorString());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  const QString command = args.value(0);
  if (command == QLatin1String("formats") && args.size() == 1) {
    printFormats();
    return 0;
  }
  if (command == QLatin1String("size") && args.size() == 2) return printSize(args[1]);
  if (command == QLatin1String("same") && args.size() == 3) return compareImages(args[1], args[2]);
  if (command == QLatin1String("write") && args.size() == 4) {
    return writeImage(args[1], args[2], args[3].toInt());
  }
  if (command == QLatin1String("read") && args.size() == 2) {
    QImage image;
    return readImage(args[1], image);
  }
  if (command == QLatin1String("mime") && args.size() == 2) {
    std::printf("%s\n", qPrintable(QMimeDatabase().mimeTypeForFile(args[1]).name()));
    return 0;
  }
  return fail(QStringLiteral("unknown command; see the top of ImageFormatProbe.cpp"));
}
