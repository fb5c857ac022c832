// The "Создание списка" dialog: the batch list with its image buttons for adding files and
// folders (also by dropping them on it), removing entries, the codec values of the selected
// entries, saving and loading the list, and converting it. Modeless, owned by the main
// window; the list is kept in the temporary list file from one opening to the next.
#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "ui/UiResources.h"
#include "ui/lists/BatchConversion.h"
#include "ui/lists/EntryListModel.h"
#include "ui/lists/ListServices.h"

class QListView;
class QMenu;
class QPushButton;

namespace tq1::ui {

struct ListDialogButtons {
  QPushButton* add = nullptr;       // menu: add a file or a folder
  QPushButton* remove = nullptr;    // menu: remove the selected entries or all
  QPushButton* settings = nullptr;  // codec values of the selected entries
  QPushButton* listFile = nullptr;  // menu: save or load the list
  QPushButton* convert = nullptr;   // convert the whole list
  QPushButton* ok = nullptr;
};

class ListDialog final : public QDialog {
  Q_OBJECT

 public:
  // `mainWindow` owns the dialog and the file dialogs of saving and loading; it is hidden
  // and shown again by a run that minimises while converting.
  ListDialog(ListServices services, QWidget* mainWindow);
  ~ListDialog() override;

  [[nodiscard]] EntryListModel& model() noexcept { return model_; }
  [[nodiscard]] QListView* listView() const noexcept { return view_; }
  [[nodiscard]] const ListDialogButtons& buttons() const noexcept { return buttons_; }
  // The run in progress, or none.
  [[nodiscard]] BatchConversion* conversion() const noexcept { return conversion_.get(); }
  [[nodiscard]] bool isConverting() const;

  // Positions of the selected entries, ascending.
  [[nodiscard]] std::vector<std::size_t> selectedPositions() const;

 public slots:
  void addFiles();
  void addDirectory();
  // Dropped files and folders, in their order: files as "Добавить файл" adds them, folders
  // as "Добавить директорию" does. Other paths are ignored.
  void addDropped(const QStringList& paths);
  void removeSelected();
  void removeAll();
  void saveList();
  void loadList();
  void editSelectedSettings();
  void convert();
  void done(int result) override;

 signals:
  // A run has ended and its windows are back.
  void conversionFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  QPushButton* imageButton(const char* name, ButtonImage image, const QString& tip);
  QMenu* popupMenu(QPushButton* button, const char* name);
  void addCommand(QMenu* menu, const char* name, const QString& text,
                  void (ListDialog::*command)());
  [[nodiscard]] QWidget* mainWindow() const;
  [[nodiscard]] EntrySettings currentDefaults() const;
  void appendFiles(const QStringList& paths, const EntrySettings& defaults);
  void appendDirectory(const QString& directory, const EntrySettings& defaults);
  void setEditingEnabled(bool enabled);
  void conversionEnded();
  void keepList();

  ListServices services_;
  EntryListModel model_;
  QListView* view_ = nullptr;
  ListDialogButtons buttons_;
  std::unique_ptr<BatchConversion> conversion_;
  bool listKept_ = false;  // the closing steps have run
};

}  // namespace tq1::ui
