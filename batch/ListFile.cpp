// Reader and writer of ".lst" batch list files.
#include "batch/ListFile.h"

#include <algorithm>
#include <array>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "settings/BoundedRead.h"

namespace tq1 {
namespace {

constexpr char kNameEnd = '\xFF';
constexpr std::array<char, 3> kRecordEnd{'\x0D', '\x0A', '\x00'};
constexpr qsizetype kSettingsBytes = 6;
constexpr qsizetype kBytesAfterName = 9;  // the settings and the record end

char lowByte(std::int32_t value) noexcept { return static_cast<char>(value & 0xFF); }

void appendRecord(QByteArray& out, const ListEntry& entry) {
  const EntrySettings& s = entry.settings;
  out.append(QFile::encodeName(entry.path));
  out.append(kNameEnd);
  for (std::int32_t value : {s.quality, s.smoothing, s.redBits, s.greenBits, s.blueBits, s.marker}) {
    out.append(lowByte(value));
  }
  out.append(kRecordEnd.data(), static_cast<qsizetype>(kRecordEnd.size()));
}

std::int32_t signedByte(char byte) noexcept { return static_cast<std::int8_t>(byte); }
std::int32_t unsignedByte(char byte) noexcept { return static_cast<std::uint8_t>(byte); }

// The settings that follow a name's 0xFF at `at`; those beyond the data keep `missing`.
EntrySettings readSettings(QByteArrayView data, qsizetype at, const EntrySettings& missing) {
  EntrySettings s = missing;
  const qsizetype available = std::min(kSettingsBytes, data.size() - at);
  std::array<std::int32_t*, kSettingsBytes> fields{&s.quality,   &s.smoothing, &s.redBits,
                                                   &s.greenBits, &s.blueBits,  &s.marker};
  for (qsizetype i = 0; i < available; ++i) {
    const char byte = data[at + i];
    *fields[static_cast<std::size_t>(i)] = (i == 1) ? unsignedByte(byte) : signedByte(byte);
  }
  return s;
}

}  // namespace

QByteArray serialiseList(std::span<const ListEntry> entries) {
  QByteArray out;
  qsizetype size = 0;
  for (const ListEntry& entry : entries) size += entry.path.size() * 3 + 10;
  out.reserve(size);
  for (const ListEntry& entry : entries) appendRecord(out, entry);
  return out;
}

std::vector<ListEntry> parseList(QByteArrayView data, const EntrySettings& missing) {
  std::vector<ListEntry> entries;
  qsizetype start = 0;
  while (start < data.size()) {
    const qsizetype end = data.indexOf(kNameEnd, start);
    if (end < 0) break;  // a name without its end: dropped
    ListEntry entry;
    entry.path = QFile::decodeName(data.sliced(start, end - start).toByteArray());
    entry.settings = readSettings(data, end + 1, missing);
    entries.push_back(std::move(entry));
    start = end + 1 + kBytesAfterName;
  }
  return entries;
}

ListReadResult readListFile(const QString& path, const EntrySettings& missing) {
  ListReadResult result;
  const QFileInfo info(path);
  if (!info.isFile()) {
    result.status = ListFileStatus::failure(ListFileError::OpenFailed,
                                            QStringLiteral("no list file at %1").arg(path));
    return result;
  }
  if (info.size() > kMaxListFileSize) {
    result.status = ListFileStatus::failure(ListFileError::TooLarge,
                                            QStringLiteral("%1 is too large for a list file").arg(path));
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.status = ListFileStatus::failure(
        ListFileError::OpenFailed, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    return result;
  }
  // Bounded even if the file grows between the size check and the read.
  const QByteArray data = readBounded(file, kMaxListFileSize);
  if (file.error() != QFileDevice::NoError) {
    result.status = ListFileStatus::failure(
        ListFileError::ReadFailed, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return result;
  }
  if (data.size() > kMaxListFileSize) {
    result.status = ListFileStatus::failure(ListFileError::TooLarge,
                                            QStringLiteral("%1 is too large for a list file").arg(path));
    return result;
  }
  result.entries = parseList(data, missing);
  return result;
}

ListFileStatus writeListFile(const QString& path, std::span<const ListEntry> entries) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return ListFileStatus::failure(
        ListFileError::CreateFailed, QStringLiteral("cannot create %1: %2").arg(path, file.errorString()));
  }
  const QByteArray data = serialiseList(entries);
  // commit() alone renames the file into place even when flushing its buffer fails (a full
  // disk), which would replace the old list with a cut one: flush first and check.
  if (file.write(data) != data.size() || !file.flush() || !file.commit()) {
    return ListFileStatus::failure(
        ListFileError::WriteFailed, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
  }
  return {};
}

}  // namespace tq1
