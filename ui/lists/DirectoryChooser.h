// Asking the user for a folder, as an interface: the program shows its folder tree, tests
// answer from a script.
#pragma once

#include <optional>

#include <QString>

namespace tq1::ui {

class DirectoryChooser {
 public:
  virtual ~DirectoryChooser() = default;

  // The chosen folder's full path ending in "/", or nothing when the user gave up.
  [[nodiscard]] virtual std::optional<QString> chooseDirectory() = 0;
};

}  // namespace tq1::ui
