// Path helpers: character search, base name, classification by extension, existence.
#include "batch/FileNames.h"

#include <QFileInfo>

namespace tq1 {

qsizetype findCharacter(QStringView text, QChar c, SearchDirection direction) noexcept {
  return direction == SearchDirection::Forward ? text.indexOf(c) : text.lastIndexOf(c);
}

QString baseName(QStringView path) {
  const qsizetype slash = findCharacter(path, u'/', SearchDirection::Backward);
  const qsizetype dot = findCharacter(path, u'.', SearchDirection::Backward);
  if (dot <= slash) return {};
  return path.sliced(slash + 1, dot - slash - 1).toString();
}

FileKind classifyFile(QStringView path) {
  const qsizetype dot = findCharacter(path, u'.', SearchDirection::Backward);
  if (dot < 0 || dot + 1 == path.size()) return FileKind::Other;
  const QStringView extension = path.sliced(dot + 1);
  if (extension.compare(u"bmp", Qt::CaseInsensitive) == 0) return FileKind::Bitmap;
  if (extension.compare(u"tq1", Qt::CaseInsensitive) == 0) return FileKind::Tq1Image;
  return FileKind::Other;
}

bool fileExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

}  // namespace tq1
