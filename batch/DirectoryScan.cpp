// Folder scan for the batch list's add-directory command.
#include "batch/DirectoryScan.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/types.h>
#include <unistd.h>

#include <vector>
#endif

namespace tq1 {
namespace {

#ifdef Q_OS_UNIX
bool inProcessGroups(uint gid) {
  if (gid == static_cast<uint>(getegid())) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  for (int i = 0; i < got; ++i) {
    if (static_cast<uint>(groups[static_cast<std::size_t>(i)]) == gid) return true;
  }
  return false;
}
#endif

bool writeBitAllowsUser(const QFileInfo& info) {
#ifdef Q_OS_UNIX
  const QFile::Permissions permissions = info.permissions();
  if (info.ownerId() == static_cast<uint>(geteuid())) {
    return permissions.testFlag(QFile::WriteOwner);
  }
  if (inProcessGroups(info.groupId())) return permissions.testFlag(QFile::WriteGroup);
  return permissions.testFlag(QFile::WriteOther);
#else
  return info.isWritable();
#endif
}

}  // namespace

bool isPlainWritableFile(const QFileInfo& info) {
  if (info.isSymLink() || !info.isFile()) return false;
  if (info.fileName().startsWith(u'.')) return false;
  return writeBitAllowsUser(info);
}

QStringList scanDirectory(const QString& directory, const QString& mask) {
  // The conversion anchors the expression at both ends of the name.
  const QRegularExpression matcher(QRegularExpression::wildcardToRegularExpression(mask),
                                   QRegularExpression::CaseInsensitiveOption);

  QString prefix = directory;
  if (!prefix.endsWith(u'/')) prefix.append(u'/');

  QStringList paths;
  QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::NoIteratorFlags);
  while (it.hasNext()) {
    it.next();
    const QFileInfo info = it.fileInfo();
    if (!matcher.match(info.fileName()).hasMatch()) continue;
    if (isPlainWritableFile(info)) paths.append(prefix + info.fileName());
  }
  // Names without regard to case, so that "B.bmp" sits between "a.bmp" and "c.bmp"; names
  // that differ only in case in a fixed order of their own.
  std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
  });
  return paths;
}

}  // namespace tq1
