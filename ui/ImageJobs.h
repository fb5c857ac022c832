// The work behind opening and saving the image on show, free of widgets so that it can run on
// a worker thread and be tested without a display. Each reports its failure as a Russian cause.
#pragma once

#include <QImage>
#include <QString>

#include "batch/FileNames.h"
#include "codec/CodecContext.h"
#include "settings/SettingsRecord.h"

namespace tq1::ui {

struct ImageJobResult {
  QImage image;   // the image to show afterwards (null when the view stays as it was)
  QString error;  // the cause of a failure, empty on success

  [[nodiscard]] bool ok() const noexcept { return error.isEmpty(); }
};

// Reads a bitmap (any variant Qt reads) or decodes a .tq1 file into an RGB32 image.
[[nodiscard]] ImageJobResult loadViewImage(const QString& path, FileKind kind,
                                           const ProgressCallback& progress);

// Encodes the image into a .tq1 file; the result is the image rebuilt from the encoder's
// tokens, which the view shows afterwards.
[[nodiscard]] ImageJobResult saveTq1File(const QImage& image, const CodecParams& params,
                                         const QString& path, const ProgressCallback& progress);

// Writes the image as a 24-bit bitmap file; the result carries no image (the view stays).
[[nodiscard]] ImageJobResult saveBitmapFile(const QImage& image, const QString& path);

// The coding parameters of the settings record, each brought into its offered range.
[[nodiscard]] CodecParams codecParamsFromSettings(const SettingsRecord& record) noexcept;

}  // namespace tq1::ui
