// Whole-file reads and writes for tests that set up and inspect files through Qt.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tq1::testing {

// The file's bytes, or an empty array when it cannot be read.
inline QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file's contents; false when it cannot be written in full.
[[nodiscard]] inline bool writeAll(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

}  // namespace tq1::testing
