// The texts of the status line under the image view: the image size, the size of its file on
// disk and the zoom, in Russian number formatting.
#pragma once

#include <QSize>
#include <QString>

namespace tq1::ui {

// "4000 × 3000 пикс."; empty for no image.
[[nodiscard]] QString imageSizeText(QSize size);

// Bytes below one kibibyte as such ("512 байт"), larger files in КБ, МБ or ГБ with one
// decimal ("1,5 МБ"); empty for a negative size (no file).
[[nodiscard]] QString fileSizeText(qint64 bytes);

// The zoom as a percentage with at most one decimal: "100%", "12,5%", "3200%".
[[nodiscard]] QString zoomText(double zoom);

}  // namespace tq1::ui
