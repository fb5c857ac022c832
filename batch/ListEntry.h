// One entry of a batch list: a file to convert and its own codec values.
#pragma once

#include <QString>

#include "batch/EntrySettings.h"

namespace tq1 {

struct ListEntry {
  QString path;  // full path of the file
  EntrySettings settings;

  friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

}  // namespace tq1
