// The standard dialogs as the program shows them: Qt's Russian translations loaded (file
// dialog, message box buttons, the overwrite question), and the file dialogs opening in the
// folder of the image on show, else in the one remembered from the last dialog.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "UiTestSupport.h"
#include "settings/FolderMemory.h"
#include "ui/QtFileChooser.h"
#include "ui/RussianTranslations.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

// Runs `inspect` on the file dialog once it is open; `inspect` closes it.
void whenDialogOpens(const std::function<void(QFileDialog&)>& inspect) {
  QTimer::singleShot(0, [inspect] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      QFAIL("no file dialog");
      return;
    }
    inspect(*dialog);
  });
}

QStringList buttonTexts(QWidget& dialog) {
  QStringList texts;
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->isVisible()) texts.append(button->text());
  }
  texts.sort();
  return texts;
}

FileDialogRequest openRequest() {
  FileDialogRequest request;
  request.title = QStringLiteral("Открытие файла");
  request.filters.add(QStringLiteral("Файлы в формате BMP (*.bmp)"), QStringLiteral("*.bmp"));
  return request;
}

}  // namespace

class StandardDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (installRussianTranslations(*QCoreApplication::instance()).isEmpty()) {
      QSKIP("Qt's Russian translations (qtbase_ru.qm) are not installed");
    }
  }

  // Whatever the locale of the machine, the buttons Qt draws itself read Russian.
  void messageBoxButtonsAndTheOverwriteQuestionAreRussian() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("RI1 Vuzud Uvizo"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Да"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Нет"));
    QMessageBox ok(QMessageBox::Information, QStringLiteral("RI1 Vuzud Uvizo"), QString(),
                   QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(ok.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    // The question the save dialog asks before replacing a file.
    const QString question = QCoreApplication::translate(
        "QFileDialog", "%1 already exists.\nDo you want to replace it?");
    QVERIFY2(question.contains(QStringLiteral("существует")), qPrintable(question));
    QCOMPARE(QLocale().language(), QLocale::Russian);
  }

  void fileDialogsAreRussian() {
    testing::TestServices env;
    QtFileChooser chooser;
    QStringList openButtons;
    QStringList saveButtons;
    QString nameLabel;
    whenDialogOpens([&](QFileDialog& dialog) {
      openButtons = buttonTexts(dialog);
      for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->objectName() == QStringLiteral("fileNameLabel")) nameLabel = label->text();
      }
      dialog.reject();
    });
    QVERIFY(!chooser.chooseOpenFile(openRequest()));
    FileDialogRequest save = openRequest();
    save.askBeforeReplace = true;
    whenDialogOpens([&](QFileDialog& dialog) {
      saveButtons = buttonTexts(dialog);
      dialog.reject();
    });
    QVERIFY(!chooser.chooseSaveFile(save));
    QVERIFY2(openButtons.contains(QStringLiteral("&Открыть")), qPrintable(openButtons.join('|')));
    QVERIFY2(openButtons.contains(QStringLiteral("Отмена")), qPrintable(openButtons.join('|')));
    QVERIFY2(saveButtons.contains(QStringLiteral("&Сохранить")), qPrintable(saveButtons.join('|')));
    QVERIFY2(nameLabel.contains(QStringLiteral("Имя файла")), qPrintable(nameLabel));
  }

  // The folder of the image on show first; without one, the folder the last dialog was left
  // in, kept in the settings file so that it outlives the program.
  void dialogsStartInTheImagesFolderElseTheLastOne() {
    testing::TestServices env;
    QDir root(env.folder.path());
    QVERIFY(root.mkpath(QStringLiteral("images")) && root.mkpath(QStringLiteral("chosen")));
    const QString images = root.filePath(QStringLiteral("images"));
    const QString chosen = root.filePath(QStringLiteral("chosen"));
    const QString picked = QDir(chosen).filePath(QStringLiteral("p.bmp"));
    QVERIFY(testing::patternImage(4, 4).save(picked, "BMP"));

    QString imageFolder;
    QtFileChooser chooser;
    chooser.setFolderSources([&] { return imageFolder; }, &env.settings());
    QString opened;
    whenDialogOpens([&](QFileDialog& dialog) {
      opened = dialog.directory().absolutePath();
      dialog.setDirectory(chosen);
      dialog.selectFile(picked);
      QMetaObject::invokeMethod(&dialog, "accept");
    });
    QCOMPARE(chooser.chooseOpenFile(openRequest()).value_or(QString()), picked);
    QCOMPARE(readLastFolder(env.settings()), chosen);

    QtFileChooser nextRun;  // a new program: only the settings file knows the folder
    nextRun.setFolderSources([&] { return imageFolder; }, &env.settings());
    whenDialogOpens([&](QFileDialog& dialog) {
      opened = dialog.directory().absolutePath();
      dialog.reject();
    });
    QVERIFY(!nextRun.chooseOpenFiles(openRequest()).size());
    QCOMPARE(opened, chosen);

    imageFolder = images;
    whenDialogOpens([&](QFileDialog& dialog) {
      opened = dialog.directory().absolutePath();
      dialog.reject();
    });
    QVERIFY(!nextRun.chooseSaveFile(openRequest()));
    QCOMPARE(opened, images);
    QCOMPARE(readLastFolder(env.settings()), chosen);  // a cancelled dialog remembers nothing
  }
};

TQ1_UI_TEST_MAIN(StandardDialogsTest)
#include "StandardDialogsTest.moc"
