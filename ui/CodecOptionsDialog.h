// The "Настройки кодирования" dialog: quality, edge smoothing and bits per colour component.
// Opened from the main window it edits the settings file and previews an area of the image
// on show as the codec will reproduce it; opened for a batch list (list mode) it edits the
// values it is given and hands them back, leaving the settings file alone.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>

#include "settings/SettingsStore.h"
#include "ui/CodecOptionsLayout.h"
#include "ui/CodecOptionsModel.h"
#include "ui/ListCodecValues.h"
#include "ui/PreviewRender.h"
#include "ui/PreviewWindow.h"

namespace tq1::ui {


enum class CodecOptionsMode { Settings, List };

class CodecOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // Settings mode: the values come from the settings file; `image` is the image on show (null
  // when there is none) and `area` the preview area's corner and size.
  CodecOptionsDialog(const SettingsStore& store, const QImage& image, QPoint areaOrigin,
                     QWidget* owner);
  // List mode: shows `values`; OK makes listValues() the edited values.
  CodecOptionsDialog(const SettingsStore& store, const ListCodecValues& values, QWidget* owner);
  ~CodecOptionsDialog() override;

  [[nodiscard]] CodecOptionsMode mode() const noexcept { return mode_; }
  [[nodiscard]] const CodecOptionsModel& model() const noexcept { return model_; }
  [[nodiscard]] const CodecOptionsControls& controls() const noexcept { return controls_; }
  // List mode: the values as OK left them (the given values until then).
  [[nodiscard]] const ListCodecValues& listValues() const noexcept { return listValues_; }
  // The preview window, while there is one.
  [[nodiscard]] PreviewWindow* previewWindow() const noexcept { return preview_; }
  [[nodiscard]] const PreviewResult& lastPreview() const noexcept { return lastPreview_; }

  // The image on show changed (a file was opened or saved as .tq1).
  void setImage(const QImage& image);
  // The area's corner was chosen in the main window: the dialog comes back and previews it.
  void resumeWithAreaOrigin(QPoint origin);
  // The choice of the area was given up: the dialog comes back as it was.
  void resumeWithoutArea();

 signals:
  // The user asked to choose the preview area; the dialog has hidden itself meanwhile.
  void areaSelectionRequested(QSize areaSize);

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void setUpCommon();
  void connectControls();
  void applyModeToControls();
  void showValues();
  void onValueMoved(QObject* slider, int value);
  void onPreviewToggled(bool on);
  void restoreDefaults();
  void storeDefaults();
  void chooseArea();
  void acceptValues();
  void syncPreviewWindow();
  void renderPreview();
  void closePreviewWindow();

  const SettingsStore& store_;
  CodecOptionsMode mode_;
  QImage image_;
  QPoint areaOrigin_;
  CodecOptionsModel model_;
  CodecOptionsControls controls_;
  ListCodecValues listValues_;
  QPointer<PreviewWindow> preview_;
  PreviewResult lastPreview_;
};

// Opens the dialog modally in list mode with `values`; the edited values after OK, nothing
// after "Отмена" or the close box. The settings file is not written (only the dialog's place).
[[nodiscard]] std::optional<ListCodecValues> editListCodecValues(const SettingsStore& store,
                                                                 const ListCodecValues& values,
                                                                 QWidget* owner);

}  // namespace tq1::ui
