// Fuzz entry: arbitrary bytes as a ".lst" list file.
#include <QFile>

#include "batch/ListFile.h"
#include "fuzz/FuzzEntries.h"
#include "fuzz/MemoryFile.h"

namespace tq1::fuzz {

namespace {

// Defaults with values no record byte can produce in every field, so that a field taken
// from the defaults is told apart from one read from the data.
constexpr EntrySettings kMissing{1000, 1000, 1000, 1000, 1000, 1000};

}  // namespace

std::string readList(std::span<const std::uint8_t> data) {
  const QByteArrayView view(data.data(), static_cast<qsizetype>(data.size()));
  const std::vector<ListEntry> entries = parseList(view, kMissing);

  // Each record takes at least its 0xFF, so there are never more entries than 0xFF bytes.
  if (static_cast<qsizetype>(entries.size()) > view.count('\xFF')) {
    return "more entries than name ends";
  }
  // Only the last record may lack settings bytes.
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
    if (entries[i].settings.marker == kMissing.marker) return "a settings byte invented mid-list";
  }

  // What is read and written again reads back the same: a list survives a load and a save.
  const QByteArray written = serialiseList(entries);
  const std::vector<ListEntry> again = parseList(written, kMissing);
  if (again.size() != entries.size()) return "a written list reads back with another length";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EntrySettings expected = entries[i].settings;
    // Stored settings keep their low byte, read back signed (smoothing unsigned).
    expected.quality = static_cast<std::int8_t>(expected.quality & 0xFF);
    expected.smoothing = expected.smoothing & 0xFF;
    expected.redBits = static_cast<std::int8_t>(expected.redBits & 0xFF);
    expected.greenBits = static_cast<std::int8_t>(expected.greenBits & 0xFF);
    expected.blueBits = static_cast<std::int8_t>(expected.blueBits & 0xFF);
    expected.marker = static_cast<std::int8_t>(expected.marker & 0xFF);
    if (again[i].path != entries[i].path) return "a path changes through writing and reading";
    if (again[i].settings != expected) return "settings change through writing and reading";
  }

  // The file reader gives what the parser gives.
  MemoryFile& file = sharedMemoryFile();
  if (!file.assign(data)) return {};
  const ListReadResult read = readListFile(file.path(), kMissing);
  if (!read.status.ok()) return "a readable list file is reported as failed";
  if (read.entries != entries) return "readListFile and parseList disagree";
  return {};
}

}  // namespace tq1::fuzz
