// The preview of an area: the area's pixels run through the codec in memory, with the size
// that coding them would take and how close the result stays to the original.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstddef>
#include <optional>

#include "codec/CodecContext.h"

namespace tq1::ui {

struct PreviewResult {
  QImage image;                // the area as the codec reproduces it
  QRect area;                  // where it lies in the image on show
  std::size_t codedBytes = 0;  // the size of a .tq1 file of the area alone
  std::optional<double> psnr;  // against the original; nothing when they are identical
  QString error;               // empty on success

  [[nodiscard]] bool ok() const noexcept { return error.isEmpty(); }
  [[nodiscard]] double bitsPerPixel() const noexcept;
};

// Renders `area` (which must lie within `image`) with `params`: one encode of the area gives
// the pixels it rebuilds and the coded size.
[[nodiscard]] PreviewResult renderPreview(const QImage& image, QRect area,
                                          const CodecParams& params);

// One line for the dialog: coded size in bytes and bits per pixel, and the PSNR.
[[nodiscard]] QString previewStatsText(const PreviewResult& result);

}  // namespace tq1::ui
