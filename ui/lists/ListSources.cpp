// Gathering list entries from chosen files, folders and stored lists.
#include "ui/lists/ListSources.h"

#include <cstdint>
#include <iterator>

#include "batch/DirectoryScan.h"
#include "batch/FileNames.h"

namespace tq1::ui {
namespace {

void appendAll(std::vector<ListEntry>& to, std::vector<ListEntry> from) {
  to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

ListEntry imageEntry(const QString& path, const EntrySettings& defaults) {
  ListEntry entry{path, defaults};
  entry.settings.marker = kNoMarker;
  return entry;
}

}  // namespace

bool isListFile(const QString& path) {
  const qsizetype dot = path.lastIndexOf(u'.');
  return dot >= 0 && QStringView(path).sliced(dot + 1).compare(u"lst", Qt::CaseInsensitive) == 0;
}

void widenStoredMarkers(std::vector<ListEntry>& entries) {
  for (std::size_t index = 0; index < entries.size(); ++index) {
    std::int32_t& marker = entries[index].settings.marker;
    const auto storedIndex = static_cast<std::int32_t>(static_cast<std::int8_t>(index & 0xFF));
    if (marker == storedIndex && index <= static_cast<std::size_t>(INT32_MAX)) {
      marker = static_cast<std::int32_t>(index);
    }
  }
}

ListReadResult readStoredList(const QString& path, const EntrySettings& missing) {
  ListReadResult result = readListFile(path, missing);
  widenStoredMarkers(result.entries);
  return result;
}

std::vector<ListEntry> entriesFromFiles(const QStringList& paths, const EntrySettings& defaults) {
  std::vector<ListEntry> entries;
  for (const QString& path : paths) {
    if (classifyFile(path) != FileKind::Other) {
      entries.push_back(imageEntry(path, defaults));
    } else if (isListFile(path)) {
      appendAll(entries, readStoredList(path, defaults).entries);
    }
  }
  return entries;
}

std::vector<ListEntry> entriesFromDirectory(const QString& directory,
                                            const EntrySettings& defaults) {
  std::vector<ListEntry> entries;
  for (const QString& mask : {QStringLiteral("*.tq1"), QStringLiteral("*.bmp")}) {
    for (const QString& path : scanDirectory(directory, mask)) {
      entries.push_back(imageEntry(path, defaults));
    }
  }
  for (const QString& path : scanDirectory(directory, QStringLiteral("*.lst"))) {
    appendAll(entries, readStoredList(path, defaults).entries);
  }
  return entries;
}

}  // namespace tq1::ui
