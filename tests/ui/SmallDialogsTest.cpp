// The interface options dialog, the About box and the file dialogs: what they show, write and
// where they open.
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/AboutDialog.h"
#include "batch/FileFilters.h"
#include "ui/InterfaceOptionsDialog.h"
#include "ui/QtFileChooser.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

SettingsRecord codecRecord() {
  SettingsRecord record;
  record.quality = 17;
  record.smoothing = 51;
  record.bitsRed = 3;
  record.previewOn = 1;
  record.previewWidth = 77;
  record.minimiseWhileConverting = 1;
  return record;
}

}  // namespace

class SmallDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void interfaceOptionsShowTheStoredSwitches() {
    testing::TestServices env;
    env.settings().WriteSettings(codecRecord());
    InterfaceOptionsDialog dialog(env.settings(), nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("OPTIONS_INTERFACE"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Настройки интерфейса"));
    QCOMPARE(dialog.minimiseToTrayBox()->text(), QStringLiteral("Сворачивать в системное меню"));
    QCOMPARE(dialog.minimiseWhileConvertingBox()->text(),
             QStringLiteral("Сворачивать при перекодировании"));
    QCOMPARE(dialog.overwriteWithoutAskingBox()->text(),
             QStringLiteral("Перезаписывать одноименные файлы без запроса"));
    QVERIFY(!dialog.minimiseToTrayBox()->isChecked());
    QVERIFY(dialog.minimiseWhileConvertingBox()->isChecked());
    QVERIFY(!dialog.overwriteWithoutAskingBox()->isChecked());
  }

  // OK writes the three switches; the codec values in the file stay as they are.
  void okWritesOnlyTheSwitches() {
    testing::TestServices env;
    env.settings().WriteSettings(codecRecord());
    InterfaceOptionsDialog dialog(env.settings(), nullptr);
    dialog.show();
    QTest::mouseClick(dialog.minimiseToTrayBox(), Qt::LeftButton);
    QTest::mouseClick(dialog.minimiseWhileConvertingBox(), Qt::LeftButton);
    QTest::mouseClick(dialog.overwriteWithoutAskingBox(), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    SettingsRecord expected = codecRecord();
    expected.minimiseToTray = 1;
    expected.minimiseWhileConverting = 0;
    expected.overwriteWithoutAsking = 1;
    QCOMPARE(env.settings().ReadSettings(), expected);
  }

  void cancelWritesOnlyThePlace() {
    testing::TestServices env;
    env.settings().WriteSettings(codecRecord());
    for (bool closeBox : {false, true}) {
      InterfaceOptionsDialog dialog(env.settings(), nullptr);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QTest::mouseClick(dialog.minimiseToTrayBox(), Qt::LeftButton);
      dialog.move(closeBox ? 222 : 111, 99);
      if (closeBox) dialog.close();
      else
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancelButton")),
                          Qt::LeftButton);
      QCOMPARE(env.settings().ReadSettings(), codecRecord());
      QCOMPARE(env.settings().ReadPosition(WindowKey::SetupInterface).left, closeBox ? 222 : 111);
      // The next opening stands where this one was closed.
      InterfaceOptionsDialog next(env.settings(), nullptr);
      QCOMPARE(next.pos(), QPoint(closeBox ? 222 : 111, 99));
    }
  }

  void aboutBoxNamesTheProductAndReopensWhereClosed() {
    testing::TestServices env;
    {
      AboutDialog about(env.settings(), nullptr);
      QCOMPARE(about.objectName(), QStringLiteral("ABOUT"));
      QCOMPARE(about.windowTitle(), QStringLiteral("О программе RI1 Vuzud Uvizo"));
      const QString product = about.findChild<QLabel*>(QStringLiteral("productLine"))->text();
      QVERIFY2(
          product.startsWith(QStringLiteral("RI1 Vuzud Uvizo 1.1.9.2 (")) && product.endsWith(')'),
          qPrintable(product));
      QStringList roles;
      for (const char* name : {"algorithmRole", "implementationRole", "interfaceRole"}) {
        roles.append(about.findChild<QLabel*>(QLatin1String(name))->text());
      }
      QCOMPARE(roles, (QStringList{"Алгоритм:", "Реализация:", "Интерфейс:"}));
      const QLabel* picture = about.findChild<QLabel*>(QStringLiteral("aboutPicture"));
      QCOMPARE(picture->pixmap().size(), QSize(48, 48));
      about.show();
      QVERIFY(QTest::qWaitForWindowExposed(&about));
      about.move(333, 222);
      QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    }
    AboutDialog again(env.settings(), nullptr);
    QCOMPARE(again.pos(), QPoint(333, 222));
  }

  // The real file dialog carries the request's title, filters and overwrite question, gives
  // the chosen path, and the next one opens in the folder where this one was left.
  void fileDialogCarriesTheRequest() {
    testing::TestServices env;
    QtFileChooser chooser;
    FileDialogRequest request;
    request.title = QStringLiteral("Сохранение файла");
    request.filters = imageFileFilters();
    request.initialName = QStringLiteral("photo");
    request.askBeforeReplace = false;
    QString title;
    QString filter;
    bool confirms = true;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      title = dialog->windowTitle();
      filter = dialog->selectedNameFilter();
      confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
      dialog->setDirectory(env.folder.path());
      dialog->selectFile(QStringLiteral("photo.tq1"));
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its accept()
    });
    const std::optional<QString> chosen = chooser.chooseSaveFile(request);
    QCOMPARE(chosen, std::optional<QString>(env.path(QStringLiteral("photo.tq1"))));
    QCOMPARE(title, request.title);
    QCOMPARE(filter, QStringLiteral("Файлы в формате TQ1 (*.tq1)"));
    QVERIFY(!confirms);

    QString folder;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      folder = dialog->directory().absolutePath();
      dialog->reject();
    });
    QVERIFY(!chooser.chooseOpenFile(request).has_value());
    QCOMPARE(folder, QDir(env.folder.path()).absolutePath());
  }
};

TQ1_UI_TEST_MAIN(SmallDialogsTest)
#include "SmallDialogsTest.moc"
