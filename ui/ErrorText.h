// Russian texts for the failures of the lower layers, as the program shows them to people.
#pragma once

#include <QString>

#include "codec/CodecStatus.h"
#include "imagefile/ImageFileStatus.h"

namespace tq1::ui {

// The cause alone, starting in lower case: "файл повреждён".
[[nodiscard]] QString describeError(CodecError error);
[[nodiscard]] QString describeError(ImageFileError error);

// "Не удалось открыть файл\n<path>\n\n<cause>." and the like, for the message boxes.
[[nodiscard]] QString openFailedText(const QString& path, const QString& cause);
[[nodiscard]] QString saveFailedText(const QString& path, const QString& cause);

}  // namespace tq1::ui
