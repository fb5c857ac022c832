// Preview rendering: the area encoded in memory, shown as the file would show it.
#include "ui/PreviewRender.h"

#include <QLocale>

#include "codec/Conversion.h"
#include "codec/ImageMetrics.h"
#include "imagefile/GridImage.h"
#include "ui/ErrorText.h"

namespace tq1::ui {
namespace {

PreviewResult failed(QRect area, const QString& cause) {
  PreviewResult result;
  result.area = area;
  result.error = cause;
  return result;
}

}  // namespace

double PreviewResult::bitsPerPixel() const noexcept {
  const double pixels = double(area.width()) * double(area.height());
  return pixels > 0 ? double(codedBytes) * 8.0 / pixels : 0.0;
}

PreviewResult renderPreview(const QImage& image, QRect area, const CodecParams& params) {
  ImageFileResult<Grid> original =
      gridFromImage(image, area.x(), area.y(), area.width(), area.height());
  if (!original.ok()) return failed(area, describeError(original.status.error()));

  // One encode gives both what is shown and the size readout: the rebuilt image is exactly
  // what decoding the bytes would give.
  const EncodeResult encoded = encodeImage(original.value, params, {.keepRebuilt = true});
  if (!encoded.ok()) return failed(area, describeError(encoded.status.error()));

  ImageFileResult<QImage> shown = imageFromGrid(encoded.rebuilt);
  if (!shown.ok()) return failed(area, describeError(shown.status.error()));

  PreviewResult result;
  result.image = std::move(shown.value);
  result.area = area;
  result.codedBytes = encoded.bytes.size();
  result.psnr = psnr(original.value, encoded.rebuilt);
  return result;
}

QString previewStatsText(const PreviewResult& result) {
  if (!result.ok()) return QStringLiteral("Просмотр невозможен: %1.").arg(result.error);
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  const QString size = QStringLiteral("Область %1 × %2: %3 байт, %4 бит на точку")
                           .arg(result.area.width())
                           .arg(result.area.height())
                           .arg(russian.toString(qulonglong(result.codedBytes)))
                           .arg(russian.toString(result.bitsPerPixel(), 'f', 2));
  const QString quality =
      result.psnr ? QStringLiteral("PSNR %1 дБ").arg(russian.toString(*result.psnr, 'f', 1))
                  : QStringLiteral("без потерь");
  return size + QStringLiteral("; ") + quality;
}

}  // namespace tq1::ui
