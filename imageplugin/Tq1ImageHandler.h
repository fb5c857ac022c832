// Reads and writes .tq1 images for Qt's image readers and writers (QImageReader, QImageWriter),
// so that any Qt program opens and saves the format through the image plugin.
#pragma once

#include <QByteArray>
#include <QImageIOHandler>
#include <QSize>

#include <optional>

namespace tq1 {

// The image size from the start of a .tq1 stream; nothing when the bytes end inside the fixed
// header. The format bytes after the magic are not checked, as the decoder does not check
// them: a file named .tq1 reads as the command line decodes it.
[[nodiscard]] std::optional<QSize> tq1ImageSize(const QByteArray& leadingBytes);

// Maps QImageWriter's quality 0-100 to the codec's tolerance the way the codec options
// dialog couples its sliders: tolerance (100 - q) / 2, smoothing three times that. A negative
// quality (none set) gives the factory settings.
struct Tq1WriteParams {
  int tolerance = 0;
  int smoothing = 0;
};
[[nodiscard]] Tq1WriteParams writeParamsForQuality(int quality) noexcept;

class Tq1ImageHandler : public QImageIOHandler {
 public:
  Tq1ImageHandler() = default;

  bool canRead() const override;
  bool read(QImage* image) override;
  bool write(const QImage& image) override;

  QVariant option(ImageOption option) const override;
  void setOption(ImageOption option, const QVariant& value) override;
  bool supportsOption(ImageOption option) const override;

  // True when the device's next bytes are the .tq1 magic; the device position is kept.
  static bool canRead(QIODevice* device);

  // Why the last read or write failed (English); empty after a success.
  [[nodiscard]] const QString& errorString() const noexcept { return error_; }

 private:
  bool fail(const QString& message);

  int quality_ = -1;
  QString error_;
};

}  // namespace tq1
