// The remembered folder of the file dialogs.
#include "settings/FolderMemory.h"

#include <QFile>

#include <algorithm>

#include "settings/IniFileIo.h"

namespace tq1 {
namespace {

constexpr char kFoldersSection[] = "Folders";
constexpr char kLastFolderKey[] = "last";

bool fitsOneLine(const QByteArray& bytes) {
  if (bytes.isEmpty() || bytes.front() == ' ' || bytes.back() == ' ') return false;
  return std::none_of(bytes.begin(), bytes.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

}  // namespace

QString readLastFolder(const SettingsStore& store) {
  const std::optional<IniDocument> document = loadIniFile(store.path());
  if (!document) return {};
  const std::optional<QByteArray> value = document->value(kFoldersSection, kLastFolderKey);
  if (!value || !fitsOneLine(*value)) return {};
  return QFile::decodeName(*value);
}

bool writeLastFolder(const SettingsStore& store, const QString& folder) {
  const QByteArray bytes = QFile::encodeName(folder);
  if (!fitsOneLine(bytes)) return false;
  return editIniFile(store.path(), [&](IniDocument& document) {
    document.setValue(kFoldersSection, kLastFolderKey, bytes);
  });
}

}  // namespace tq1
