// The folder selection: folders only, hidden ones and links left out, sorted by name, the
// start folder open and selected; OK gives a path ending in "/", cancelling gives nothing,
// and the dialog keeps its place.
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "ListTestSupport.h"
#include "ui/lists/DirectorySelectionDialog.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

// Folder names shown under `parent` once the model has read it.
QStringList shownChildren(const DirectorySelectionDialog& dialog, const QString& parent) {
  QFileSystemModel* model = dialog.folders();
  const QModelIndex index = model->index(parent);
  QStringList names;
  for (int row = 0; row < model->rowCount(index); ++row) {
    names.append(model->index(row, 0, index).data().toString());
  }
  return names;
}

}  // namespace

class DirectorySelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void showsVisibleFoldersSortedWithTheStartOpen() {
    testing::TestServices env;
    QDir root(env.path(QStringLiteral("tree")));
    for (const char* name : {"beta", "Alpha", "gamma/inner", ".hidden", "delta"}) {
      QVERIFY(root.mkpath(QString::fromUtf8(name)));
    }
    QVERIFY(testing::writeBytes(root.filePath(QStringLiteral("file.bmp")), "x"));
    QVERIFY(QFile::link(root.filePath(QStringLiteral("beta")),
                        root.filePath(QStringLiteral("link"))));

    DirectorySelectionDialog dialog(env.settings(), root.path());
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("DIRSELECT"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Выбор директории"));
    QTRY_COMPARE(shownChildren(dialog, root.path()),
                 (QStringList{"Alpha", "beta", "delta", "gamma"}));
    const QModelIndex start = dialog.folders()->index(root.path());
    QVERIFY(dialog.tree()->isExpanded(start));
    QVERIFY(dialog.tree()->isExpanded(start.parent()));
    QCOMPARE(dialog.tree()->currentIndex(), start);
    // The folder tree starts at the file system's root.
    QCOMPARE(dialog.folders()->filePath(dialog.folders()->index(0, 0, QModelIndex())),
             QStringLiteral("/"));
  }

  void okGivesTheFolderWithASlashAndCancelGivesNothing() {
    testing::TestServices env;
    QDir root(env.path(QStringLiteral("tree")));
    QVERIFY(root.mkpath(QStringLiteral("Photos/2000")));
    env.settings().WritePosition(WindowKey::Dirlist, {123, 87, 0, 0, ShowState::Normal});

    {
      DirectorySelectionDialog dialog(env.settings(), root.path());
      QCOMPARE(dialog.pos(), QPoint(123, 87));
      dialog.show();
      dialog.selectFolder(root.filePath(QStringLiteral("Photos/2000")));
      dialog.move(140, 90);
      QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(dialog.chosenDirectory(), root.filePath(QStringLiteral("Photos/2000/")));
    }
    const PositionRecord stored = env.settings().ReadPosition(WindowKey::Dirlist);
    QCOMPARE(QPoint(stored.left, stored.top), QPoint(140, 90));

    for (const char* way : {"cancel", "close", "escape"}) {
      DirectorySelectionDialog dialog(env.settings(), root.path());
      dialog.show();
      dialog.selectFolder(root.filePath(QStringLiteral("Photos")));
      if (qstrcmp(way, "cancel") == 0) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancelButton")),
                          Qt::LeftButton);
      } else if (qstrcmp(way, "close") == 0) {
        QVERIFY(dialog.close());
      } else {
        QTest::keyClick(&dialog, Qt::Key_Escape);
      }
      QVERIFY2(!dialog.isVisible(), way);
      QVERIFY2(dialog.chosenDirectory().isEmpty(), way);
    }
  }

  // The chooser runs the dialog modally and hands back what OK gave.
  void chooserRunsTheDialog() {
    testing::TestServices env;
    QDir root(env.path(QStringLiteral("tree")));
    QVERIFY(root.mkpath(QStringLiteral("Photos")));
    DialogDirectoryChooser chooser(env.settings());
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<DirectorySelectionDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->selectFolder(root.filePath(QStringLiteral("Photos")));
      dialog->accept();
    });
    QCOMPARE(chooser.chooseDirectory(),
             std::optional<QString>(root.filePath(QStringLiteral("Photos/"))));
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QCOMPARE(chooser.chooseDirectory(), std::nullopt);
  }
};

TQ1_UI_TEST_MAIN(DirectorySelectionTest)
#include "DirectorySelectionTest.moc"
