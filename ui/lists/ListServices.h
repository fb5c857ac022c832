// What the list dialog needs from outside: the program's services (settings, file dialogs,
// message boxes), its own boxes, the folder chooser, the codec values editor and the image
// input and output of batch runs. Tests hand in their own.
#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "batch/BatchIo.h"
#include "ui/AppServices.h"
#include "ui/ListCodecValues.h"
#include "ui/lists/DirectorySelectionDialog.h"
#include "ui/lists/ListMessageBoxes.h"

class QWidget;

namespace tq1::ui {

struct ListServices {
  AppServices* app = nullptr;
  ListMessageBoxes* boxes = nullptr;
  DirectoryChooser* directories = nullptr;
  // Runs the codec options dialog in list mode, owned by `owner`: the edited values after OK,
  // nothing when it was left another way.
  std::function<std::optional<ListCodecValues>(const ListCodecValues&, QWidget* owner)>
      editCodecValues;
  BatchIo io;
  // Where the list is kept between uses of the dialog.
  QString temporaryList;
};

// The list dialog's services in the running program, around the program's own.
class DesktopListServices {
 public:
  explicit DesktopListServices(AppServices& app);
  DesktopListServices(const DesktopListServices&) = delete;
  DesktopListServices& operator=(const DesktopListServices&) = delete;

  [[nodiscard]] ListServices& services() noexcept { return services_; }

 private:
  QtListMessageBoxes boxes_;
  DialogDirectoryChooser directories_;
  ListServices services_;
};

}  // namespace tq1::ui
