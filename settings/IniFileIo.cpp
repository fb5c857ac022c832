// File access for the settings store: whole-file reads, locked and atomic rewrites.
#include "settings/IniFileIo.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include "settings/BoundedRead.h"

namespace tq1 {
namespace {

// A settings file is a few hundred bytes; anything far larger is not ours to rewrite.
constexpr qint64 kMaxIniFileSize = qint64{4} << 20;
// Long enough to outlast another copy of the program writing, short enough not to hang
// the user interface when a lock cannot be had.
constexpr int kLockTimeoutMs = 3000;

}  // namespace

std::optional<IniDocument> loadIniFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return IniDocument{};
  if (!info.isFile() || info.size() > kMaxIniFileSize) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray content = readBounded(file, kMaxIniFileSize);
  if (file.error() != QFileDevice::NoError || content.size() > kMaxIniFileSize) {
    return std::nullopt;
  }
  return IniDocument::parse(content);
}

bool editIniFile(const QString& path, const std::function<void(IniDocument&)>& edit) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  // Without the lock (it times out, or the folder refuses the lock file) the write still
  // goes ahead: losing the user's change would be worse than a rare lost update.
  QLockFile lock(path + QStringLiteral(".lock"));
  const bool locked = lock.tryLock(kLockTimeoutMs);

  // A file that exists but cannot be read is left alone: rewriting it from an empty
  // document would throw away everything else it holds.
  auto document = loadIniFile(path);
  if (!document) return false;
  edit(*document);

  QSaveFile out(path);
  bool written = out.open(QIODevice::WriteOnly);
  if (written) {
    const QByteArray content = document->serialise();
    // commit() alone renames the file into place even when flushing its buffer fails (a
    // full disk), which would replace the settings with a cut file: flush first and check.
    written = out.write(content) == content.size() && out.flush() && out.commit();
  }
  if (locked) lock.unlock();
  return written;
}

}  // namespace tq1
