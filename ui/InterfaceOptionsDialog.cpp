// The interface options dialog: three check boxes read from and written to the settings.
#include "ui/InterfaceOptionsDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/WindowPlaces.h"

namespace tq1::ui {
namespace {

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& text, bool checked) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(QLatin1String(name));
  box->setChecked(checked);
  return box;
}

}  // namespace

InterfaceOptionsDialog::InterfaceOptionsDialog(const SettingsStore& store, QWidget* owner)
    : QDialog(owner), store_(store) {
  setObjectName(QStringLiteral("OPTIONS_INTERFACE"));
  setWindowTitle(QStringLiteral("Настройки интерфейса"));
  const SettingsRecord record = store_.ReadSettings();
  minimiseToTray_ = makeCheckBox(this, "minimiseToTrayCheck",
                                 QStringLiteral("Сворачивать в системное меню"),
                                 record.minimiseToTray == 1);
  minimiseWhileConverting_ = makeCheckBox(this, "minimiseWhileConvertingCheck",
                                          QStringLiteral("Сворачивать при перекодировании"),
                                          record.minimiseWhileConverting == 1);
  overwriteWithoutAsking_ =
      makeCheckBox(this, "overwriteWithoutAskingCheck",
                   QStringLiteral("Перезаписывать одноименные файлы без запроса"),
                   record.overwriteWithoutAsking == 1);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("cancelButton"));
  connect(ok, &QPushButton::clicked, this, &InterfaceOptionsDialog::acceptValues);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* page = new QVBoxLayout(this);
  page->setSizeConstraint(QLayout::SetFixedSize);
  page->addWidget(minimiseToTray_);
  page->addWidget(minimiseWhileConverting_);
  page->addWidget(overwriteWithoutAsking_);
  page->addSpacing(8);
  page->addLayout(buttons);
  adjustSize();
  restoreDialogPlace(store_, WindowKey::SetupInterface, *this);
}

// Reads the record afresh so that codec values written meanwhile are kept.
void InterfaceOptionsDialog::acceptValues() {
  SettingsRecord record;
  record.minimiseToTray = minimiseToTray_->isChecked() ? 1 : 0;
  record.minimiseWhileConverting = minimiseWhileConverting_->isChecked() ? 1 : 0;
  record.overwriteWithoutAsking = overwriteWithoutAsking_->isChecked() ? 1 : 0;
  store_.WriteInterfaceOptions(record);
  accept();
}

// OK, "Отмена", Escape and the close box all store the dialog's place.
void InterfaceOptionsDialog::done(int result) {
  storeWindowPlace(store_, WindowKey::SetupInterface, *this);
  QDialog::done(result);
}

}  // namespace tq1::ui
