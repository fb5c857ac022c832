// Where batch list entries come from: image files picked one by one, the image and list files
// of a folder, and stored list files. Each function gathers entries; the caller appends them
// and settles their settings.
#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "batch/EntrySettings.h"
#include "batch/ListEntry.h"
#include "batch/ListFile.h"

namespace tq1::ui {

// True for a path whose text after the last "." is "lst" in any case.
[[nodiscard]] bool isListFile(const QString& path);

// A list file stores each marker in one byte, so a marker of 300 comes back as 44 and one of
// 200 as -56. A record whose byte equals its own index in the file (taken the same way) was
// saved with settings of its own at that index: its marker is widened back to the index, so
// that entries beyond the first 128 do not lose their settings on the next add.
void widenStoredMarkers(std::vector<ListEntry>& entries);

// The entries of a list file with their stored settings and widened markers. `missing` fills
// settings cut off at the end of the file. Unreadable files report it in the status.
[[nodiscard]] ListReadResult readStoredList(const QString& path, const EntrySettings& missing);

// The entries that the chosen files make, in the order given: an image file (".bmp", ".tq1")
// becomes one entry with `defaults` and no marker; a list file contributes its stored entries
// (an unreadable one nothing); any other file is ignored.
[[nodiscard]] std::vector<ListEntry> entriesFromFiles(const QStringList& paths,
                                                      const EntrySettings& defaults);

// The entries that a folder makes: the plain writable ".tq1" files directly in it, then its
// ".bmp" files, then the stored entries of its ".lst" files. Within each kind, files come in
// the order of their names (compared without regard to case), so that the list does not
// depend on the order in which the file system happens to keep them.
[[nodiscard]] std::vector<ListEntry> entriesFromDirectory(const QString& directory,
                                                          const EntrySettings& defaults);

}  // namespace tq1::ui
