// The running program's list dialog services.
#include "ui/lists/ListServices.h"

#include "batch/QtBatchIo.h"
#include "batch/TemporaryList.h"
#include "ui/CodecOptionsDialog.h"

namespace tq1::ui {

DesktopListServices::DesktopListServices(AppServices& app) : directories_(app.settings) {
  services_.app = &app;
  services_.boxes = &boxes_;
  services_.directories = &directories_;
  services_.editCodecValues = [&app](const ListCodecValues& values, QWidget* owner) {
    return editListCodecValues(app.settings, values, owner);
  };
  services_.io = qtBatchIo();
  services_.temporaryList = temporaryListPath();
}

}  // namespace tq1::ui
