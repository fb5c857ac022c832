// The ".lst" batch list file: one record per entry, in list order, with no header.
//
// Record: the path's bytes as the file system names it (UTF-8 here, which never holds the
// byte 0xFF), the byte 0xFF, six settings bytes (quality, smoothing, red bits, green bits,
// blue bits, marker; the low 8 bits of each), then 0x0D 0x0A 0x00. Example: "C:\a.bmp" with
// quality 10, smoothing 2, 8 bits per colour and marker 0 is
// 43 3A 5C 61 2E 62 6D 70 FF 0A 02 08 08 08 00 0D 0A 00.
#pragma once

#include <span>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "batch/EntrySettings.h"
#include "batch/ListEntry.h"

namespace tq1 {

enum class ListFileError {
  None,
  OpenFailed,    // missing, not a regular file, or not readable
  ReadFailed,
  TooLarge,      // beyond kMaxListFileSize
  CreateFailed,  // the list file cannot be created or replaced
  WriteFailed,   // writing or committing the new file failed; the old file stays
};

class [[nodiscard]] ListFileStatus {
 public:
  ListFileStatus() = default;
  static ListFileStatus failure(ListFileError error, QString message) {
    ListFileStatus status;
    status.error_ = error;
    status.message_ = std::move(message);
    return status;
  }

  [[nodiscard]] bool ok() const noexcept { return error_ == ListFileError::None; }
  [[nodiscard]] ListFileError error() const noexcept { return error_; }
  [[nodiscard]] const QString& message() const noexcept { return message_; }  // English

 private:
  ListFileError error_ = ListFileError::None;
  QString message_;
};

struct [[nodiscard]] ListReadResult {
  std::vector<ListEntry> entries;  // empty unless status is ok
  ListFileStatus status;
};

// Far beyond any real list (a million entries of long paths), so that picking some huge
// unrelated file by mistake fails cleanly instead of filling the memory.
inline constexpr qint64 kMaxListFileSize = qint64{256} << 20;

// The records of `entries`, in order.
[[nodiscard]] QByteArray serialiseList(std::span<const ListEntry> entries);

// Every record of `data`: a name runs to the next 0xFF, six settings bytes follow, and the
// next name starts nine bytes after the 0xFF whatever those bytes hold. Bytes after the
// last 0xFF (a name without its end) form no entry.
// The settings bytes are signed, so a marker of 200 comes back as -56; only smoothing,
// whose range reaches 150, is read unsigned so that every value it can take survives.
// When the data ends within the six settings bytes of the last record, the bytes that
// exist are taken and the missing ones come from `missing` (the default settings).
[[nodiscard]] std::vector<ListEntry> parseList(QByteArrayView data, const EntrySettings& missing);

// The whole file, parsed as parseList does. A file that cannot be opened or read gives an
// error and no entries; the caller decides whether to mention it.
[[nodiscard]] ListReadResult readListFile(const QString& path, const EntrySettings& missing);

// Replaces the file at `path` with the records of `entries`, through a temporary file and a
// rename: on any failure the old file stays as it was and the status says what went wrong.
[[nodiscard]] ListFileStatus writeListFile(const QString& path, std::span<const ListEntry> entries);

}  // namespace tq1
