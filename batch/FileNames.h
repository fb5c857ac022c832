// Small path helpers shared by the main window and the batch list: character search, base
// name, file kind by extension and the existence test. Paths use "/" as separator.
#pragma once

#include <QString>
#include <QStringView>

namespace tq1 {

enum class SearchDirection { Forward, Backward };

// The position of the first (Forward) or last (Backward) `c` in `text`, or -1. Both
// directions examine every character, the first one included.
[[nodiscard]] qsizetype findCharacter(QStringView text, QChar c, SearchDirection direction) noexcept;

// The part of `path` between its last "/" and its last ".": "photo" for "/dir/photo.bmp";
// empty when the last "." does not come after the last "/" ("/dir.x/photo").
[[nodiscard]] QString baseName(QStringView path);

enum class FileKind { Bitmap, Tq1Image, Other };

// By the text after the last ".", without regard to case: "bmp" is a bitmap, "tq1" a TQ1
// image; no ".", nothing after it, or any other text is Other.
[[nodiscard]] FileKind classifyFile(QStringView path);

// True when something already carries this name (a file, a folder, even a dangling link),
// so that writing there would replace it. An existing file that the user may not read
// counts as existing too: the overwrite question must not be skipped for it.
[[nodiscard]] bool fileExists(const QString& path);

}  // namespace tq1
