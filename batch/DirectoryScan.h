// Lists the plain, writable, visible files of one folder that match a file mask.
#pragma once

#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace tq1 {

// A file a batch may take from a folder: a regular file (not a link, folder or device),
// not hidden (its name does not start with "."), and not write-protected. Write protection
// is read from the permission bits that apply to the user (owner, group or others), not
// from whether the user could write anyway, so a privileged user skips the same files as
// everyone else.
[[nodiscard]] bool isPlainWritableFile(const QFileInfo& info);

// Full paths of the files directly in `directory` (not in its subfolders) whose names match
// `mask` ("*.bmp"; "*" and "?" wildcards, without regard to case) and that pass
// isPlainWritableFile, in the order of their names compared without regard to case, so that
// a folder gives the same list whatever order the file system keeps its files in. A folder
// that does not exist or cannot be read gives an empty list.
[[nodiscard]] QStringList scanDirectory(const QString& directory, const QString& mask);

}  // namespace tq1
