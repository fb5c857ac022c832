// The list dialog driven as a user would: its controls and menus, adding files, list files
// and folders with the settings each entry ends up with, removing entries, the codec values
// of a selection through the real options dialog, saving and loading lists, and the list kept
// from one opening to the next, files and folders dropped on the dialog, and the menu command
// that brings back a hidden or minimised dialog.
#include <QAction>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "ListTestSupport.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/MainWindow.h"
#include "ui/lists/ListDialogLauncher.h"
#include "ui/lists/ListDialog.h"
#include "ui/lists/ListSources.h"

using namespace tq1;
using namespace tq1::ui;

namespace {

EntrySettings own(int quality, int position) { return {quality, 3, 8, 7, 6, position}; }

std::vector<ListEntry> ownEntries(int count, const QString& folder = QStringLiteral("/p")) {
  std::vector<ListEntry> entries;
  for (int i = 0; i < count; ++i) {
    entries.push_back({QStringLiteral("%1/%2.bmp").arg(folder).arg(i), own(i % 50, i)});
  }
  return entries;
}

QStringList pathsOf(ListDialog& dialog) {
  QStringList paths;
  for (const ListEntry& entry : dialog.model().entries()) paths.append(entry.path);
  return paths;
}

// Drags `paths` over the widget and drops them; whether the drag was welcome.
bool dropOn(QWidget& target, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
  return drop.isAccepted();
}

const EntrySettings& settingsAt(ListDialog& dialog, std::size_t position) {
  return dialog.model().list().at(position).settings;
}

void selectRows(ListDialog& dialog, std::initializer_list<int> rows) {
  QItemSelection selection;
  for (int row : rows) selection.select(dialog.model().index(row), dialog.model().index(row));
  dialog.listView()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

// Clicks a menu button and picks the item named `action` from the menu that opens.
void pickFromMenu(QPushButton* button, const char* action) {
  QTest::mouseClick(button, Qt::LeftButton);
  QMenu* menu = nullptr;
  QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
  QAction* item = menu->findChild<QAction*>(QLatin1String(action));
  QVERIFY2(item, action);
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

}  // namespace

class ListDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsAndMenus() {
    testing::ListTestServices env;
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("LIST"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Создание списка"));
    QCOMPARE(dialog.listView()->selectionMode(), QAbstractItemView::ExtendedSelection);
    const ListDialogButtons& b = dialog.buttons();
    int left = -1;
    for (QPushButton* button : {b.add, b.remove, b.settings, b.listFile, b.convert}) {
      QVERIFY(!button->icon().isNull());
      QVERIFY(button->text().isEmpty());
      QVERIFY(button->x() > left);  // one row, in this order
      QCOMPARE(button->y(), b.add->y());
      QVERIFY(button->y() > dialog.listView()->geometry().bottom());
      left = button->x();
    }
    QVERIFY(b.ok->isDefault());
    QCOMPARE(b.ok->text(), QStringLiteral("OK"));

    const std::pair<QPushButton*, QStringList> menus[] = {
        {b.add, {"Добавить файл", "Добавить директорию"}},
        {b.remove, {"Удалить выделенные", "Удалить все"}},
        {b.listFile, {"Сохранить список", "Загрузить список"}}};
    for (const auto& [button, items] : menus) {
      QTest::mouseClick(button, Qt::LeftButton);
      QMenu* menu = nullptr;
      QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
      QStringList texts;
      for (QAction* action : menu->actions()) texts.append(action->text());
      QCOMPARE(texts, items);
      QCOMPARE(menu->pos(), button->mapToGlobal(button->rect().bottomLeft()));
      menu->close();
    }
  }

  // Images take the defaults of the settings record; list files bring their entries, which
  // keep their stored values where they land on their saved positions; files of other kinds
  // are ignored.
  void addFilesWithTheirSettings() {
    testing::ListTestServices env;
    env.setDefaults(10, 30, 5, 6, 7);
    const EntrySettings defaults{10, 30, 5, 6, 7, kNoMarker};
    const QString saved = env.path(QStringLiteral("saved.lst"));
    QVERIFY(writeListFile(saved, ownEntries(130)).ok());

    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.show();
    env.chooser.answers.push_back({saved});
    pickFromMenu(dialog.buttons().add, "addFileAction");
    QCOMPARE(dialog.model().rowCount(), 130);
    QCOMPARE(settingsAt(dialog, 129), own(129 % 50, 129));

    const FileDialogRequest& request = env.chooser.requests.back();
    QCOMPARE(request.title, QStringLiteral("Выберите файл"));
    QCOMPARE(request.owner, &dialog);
    QCOMPARE(request.filters.filters(), addToListFilters().filters());

    env.chooser.answers.push_back({env.path("a.BMP"), env.path("notes.txt"), saved,
                                   env.path("missing.lst"), env.path("b.tq1")});
    dialog.addFiles();
    QCOMPARE(dialog.model().rowCount(), 130 + 1 + 130 + 1);
    QCOMPARE(pathsOf(dialog).at(130), env.path("a.BMP"));
    QCOMPARE(pathsOf(dialog).last(), env.path("b.tq1"));
    for (std::size_t position : {130, 131, 200, 261}) {
      EntrySettings expected = defaults;
      expected.marker = static_cast<int>(position);
      QCOMPARE(settingsAt(dialog, position), expected);
    }
    QCOMPARE(settingsAt(dialog, 5), own(5, 5));  // the first copy keeps its values

    env.chooser.answers.push_back({});  // cancelled
    dialog.addFiles();
    QCOMPARE(dialog.model().rowCount(), 262);
  }

  // Loading replaces the list with the file's entries and their stored values; a cancelled
  // or unreadable choice leaves the list as it was.
  void loadKeepsStoredSettingsAndCancelKeepsTheList() {
    testing::ListTestServices env;
    env.setDefaults(10, 30, 5, 6, 7);
    std::vector<ListEntry> stored = ownEntries(3);
    stored[1].settings.marker = 9;  // saved where it had no settings of its own
    const QString saved = env.path(QStringLiteral("saved.lst"));
    QVERIFY(writeListFile(saved, stored).ok());

    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.model().append({{QStringLiteral("/old.bmp"), own(1, 0)}});
    env.chooser.answers.push_back({saved});
    dialog.loadList();
    QCOMPARE(pathsOf(dialog), (QStringList{"/p/0.bmp", "/p/1.bmp", "/p/2.bmp"}));
    QCOMPARE(settingsAt(dialog, 1), (EntrySettings{1, 3, 8, 7, 6, 9}));
    const FileDialogRequest& request = env.chooser.requests.back();
    QCOMPARE(request.title, QStringLiteral("Выберите файл списка"));
    QCOMPARE(request.owner, &owner);
    QCOMPARE(request.filters.filters(), listFileFilters().filters());

    // The next add gives the entry that had no settings of its own the defaults.
    env.chooser.answers.push_back({env.path("c.bmp")});
    dialog.addFiles();
    QCOMPARE(settingsAt(dialog, 1), (EntrySettings{10, 30, 5, 6, 7, 1}));
    QCOMPARE(settingsAt(dialog, 2), own(2, 2));

    env.chooser.answers.push_back({});
    dialog.loadList();
    QCOMPARE(dialog.model().rowCount(), 4);
    env.chooser.answers.push_back({env.path("missing.lst")});
    dialog.loadList();
    QCOMPARE(dialog.model().rowCount(), 4);
    QCOMPARE(env.boxes.warnings, QStringList{"Ошибка при чтении файла списка"});
  }

  // A folder's .tq1 files come first, then its bitmaps, then its list files' entries, all
  // with the defaults; hidden and write-protected files, links and subfolders are left out.
  void addDirectoryInItsOrder() {
    testing::ListTestServices env;
    env.setDefaults(4, 12, 8, 8, 2);
    QDir dir(env.path(QStringLiteral("photos")));
    QVERIFY(dir.mkpath(QStringLiteral("sub")));
    for (const char* name : {"b.bmp", "a.tq1", "C.BMP", "a.bmp", ".hidden.tq1", "c.tq1",
                             "sub/deep.bmp", "notes.txt"}) {
      QVERIFY(testing::writeBytes(dir.filePath(QLatin1String(name)), "x"));
    }
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("a.bmp")),
                        dir.filePath(QStringLiteral("l.bmp"))));
    QVERIFY(testing::writeBytes(dir.filePath(QStringLiteral("locked.tq1")), "x"));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("locked.tq1")), QFile::ReadOwner));
    QVERIFY(writeListFile(dir.filePath(QStringLiteral("l.lst")), ownEntries(2)).ok());

    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.model().append({{QStringLiteral("/first.bmp"), own(1, 0)}});
    env.directories.answers.push_back(dir.path() + u'/');
    pickFromMenu(dialog.buttons().add, "addDirectoryAction");
    const QString p = dir.path() + u'/';
    QCOMPARE(pathsOf(dialog), (QStringList{"/first.bmp", p + "a.tq1", p + "c.tq1", p + "a.bmp",
                                           p + "b.bmp", p + "C.BMP", "/p/0.bmp", "/p/1.bmp"}));
    QCOMPARE(settingsAt(dialog, 0), own(1, 0));
    QCOMPARE(settingsAt(dialog, 6), (EntrySettings{4, 12, 8, 8, 2, 6}));

    dialog.addDirectory();  // cancelled: nothing more
    QCOMPARE(env.directories.asked, 2);
    QCOMPARE(dialog.model().rowCount(), 8);
  }

  // Dropped files join as "Добавить файл" adds them (list files with their own values where
  // they land on their positions), folders as "Добавить директорию" adds them, in the order
  // dropped; other files are ignored, and a drop without local files is refused.
  void droppedFilesAndFoldersAreAdded() {
    testing::ListTestServices env;
    env.setDefaults(4, 12, 8, 8, 2);
    QDir dir(env.path(QStringLiteral("photos")));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    for (const char* name : {"b.bmp", "a.tq1", "notes.txt"}) {
      QVERIFY(testing::writeBytes(dir.filePath(QLatin1String(name)), "x"));
    }
    const QString single = env.path(QStringLiteral("single.bmp"));
    QVERIFY(testing::writeBytes(single, "x"));
    const QString stored = env.path(QStringLiteral("stored.lst"));
    QVERIFY(writeListFile(stored, ownEntries(2)).ok());

    QWidget owner;
    ListDialog dialog(env.list, &owner);
    QVERIFY(dropOn(dialog, {single, dir.path(), stored, env.path(QStringLiteral("gone.bmp"))}));
    QTRY_COMPARE(dialog.model().rowCount(), 5);
    const QString p = dir.path() + u'/';
    QCOMPARE(pathsOf(dialog),
             (QStringList{single, p + "a.tq1", p + "b.bmp", "/p/0.bmp", "/p/1.bmp"}));
    const EntrySettings defaults{4, 12, 8, 8, 2, 0};
    for (std::size_t i = 0; i < 5; ++i) {
      EntrySettings expected = defaults;
      expected.marker = static_cast<int>(i);
      // The stored entries were saved at positions 0 and 1; here they land at 3 and 4.
      QCOMPARE(settingsAt(dialog, i), expected);
    }
    QVERIFY(dropOn(dialog, {dir.filePath(QStringLiteral("notes.txt"))}));
    QTest::qWait(20);
    QCOMPARE(dialog.model().rowCount(), 5);

    QMimeData text;
    text.setText(QStringLiteral("/not/an/url"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY(!enter.isAccepted());
  }

  void removeSelectedOrAll() {
    testing::ListTestServices env;
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.show();
    dialog.model().append({{QStringLiteral("/a.bmp"), own(1, 0)},
                           {QStringLiteral("/b.bmp"), own(2, 1)},
                           {QStringLiteral("/c.bmp"), own(3, 2)},
                           {QStringLiteral("/d.bmp"), own(4, 3)}});
    selectRows(dialog, {0, 2});
    pickFromMenu(dialog.buttons().remove, "removeSelectedAction");
    QCOMPARE(pathsOf(dialog), (QStringList{"/b.bmp", "/d.bmp"}));
    QCOMPARE(settingsAt(dialog, 0), own(2, 0));
    QCOMPARE(settingsAt(dialog, 1), own(4, 1));
    pickFromMenu(dialog.buttons().remove, "removeAllAction");
    QCOMPARE(dialog.model().rowCount(), 0);
  }

  // The real options dialog opens with the first selected entry's values; OK gives every
  // selected entry the edited values, cancelling changes nothing, and the settings file stays.
  void settingsOfTheSelection() {
    testing::ListTestServices env;
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.show();
    dialog.model().append({{QStringLiteral("/a.bmp"), {20, 60, 4, 5, 6, 0}},
                           {QStringLiteral("/b.bmp"), own(2, 1)},
                           {QStringLiteral("/c.bmp"), own(3, 2)}});
    const SettingsRecord settingsBefore = env.settings().ReadSettings();

    int opened = 0;
    QTest::mouseClick(dialog.buttons().settings, Qt::LeftButton);  // nothing selected
    QVERIFY(!QApplication::activeModalWidget());

    selectRows(dialog, {0, 2});
    QTimer::singleShot(0, [&] {
      auto* options = qobject_cast<CodecOptionsDialog*>(QApplication::activeModalWidget());
      QVERIFY(options);
      ++opened;
      QCOMPARE(options->mode(), CodecOptionsMode::List);
      QCOMPARE(options->parentWidget(), &owner);
      QCOMPARE(options->controls().quality->value(), 20);
      QCOMPARE(options->controls().smoothing->value(), 60);
      QCOMPARE(options->controls().greenBits->value(), 5);
      options->controls().quality->setValue(9);  // moves smoothing to 27 too
      options->controls().blueBits->setValue(2);
      QTest::mouseClick(options->controls().ok, Qt::LeftButton);
    });
    QTest::mouseClick(dialog.buttons().settings, Qt::LeftButton);
    QCOMPARE(opened, 1);
    QCOMPARE(settingsAt(dialog, 0), (EntrySettings{9, 27, 4, 5, 2, 0}));
    QCOMPARE(settingsAt(dialog, 1), own(2, 1));
    QCOMPARE(settingsAt(dialog, 2), (EntrySettings{9, 27, 4, 5, 2, 2}));

    selectRows(dialog, {1});
    QTimer::singleShot(0, [&] {
      auto* options = qobject_cast<CodecOptionsDialog*>(QApplication::activeModalWidget());
      QVERIFY(options);
      ++opened;
      options->controls().quality->setValue(40);
      QTest::mouseClick(options->controls().cancel, Qt::LeftButton);
    });
    dialog.editSelectedSettings();
    QCOMPARE(opened, 2);
    QCOMPARE(settingsAt(dialog, 1), own(2, 1));
    // Only the options dialog's place is written, never the codec values of the file.
    QCOMPARE(env.settings().ReadSettings(), settingsBefore);
  }

  void saveWritesTheListAndWarnsWhenItCannot() {
    testing::ListTestServices env;
    QWidget owner;
    ListDialog dialog(env.list, &owner);
    dialog.model().append(ownEntries(3));
    const QString target = env.path(QStringLiteral("out.lst"));
    env.chooser.answers.push_back({target});
    dialog.saveList();
    QCOMPARE(testing::fileBytes(target), serialiseList(ownEntries(3)));
    const FileDialogRequest& request = env.chooser.requests.back();
    QCOMPARE(request.title, QStringLiteral("Выберите файл списка"));
    QCOMPARE(request.owner, &owner);
    QCOMPARE(request.initialName, QStringLiteral("lst"));
    QVERIFY(request.askBeforeReplace);
    QVERIFY(request.defaultSuffix.isEmpty());
    QVERIFY(env.boxes.warnings.isEmpty());

    env.chooser.answers.push_back({env.path(QStringLiteral("no/such/folder/out.lst"))});
    dialog.saveList();
    QCOMPARE(env.boxes.warnings, QStringList{"Ошибка при создании файла списка"});
  }

  // OK and the close box keep the list and the place; the next dialog, also in a later run
  // of the program, starts with that list and at that place. Esc does not close it.
  void listAndPlaceKeptFromOneOpeningToTheNext() {
    testing::ListTestServices env;
    QWidget owner;
    env.settings().WritePosition(WindowKey::List, {210, 130, 0, 0, ShowState::Normal});
    {
      ListDialog dialog(env.list, &owner);
      QCOMPARE(dialog.pos(), QPoint(210, 130));
      QCOMPARE(dialog.model().rowCount(), 0);
      dialog.show();
      dialog.model().append(ownEntries(2));
      QTest::keyClick(&dialog, Qt::Key_Escape);
      QVERIFY(dialog.isVisible());
      dialog.move(250, 140);
      QTest::mouseClick(dialog.buttons().ok, Qt::LeftButton);
      QVERIFY(!dialog.isVisible());
    }
    QCOMPARE(testing::fileBytes(env.list.temporaryList), serialiseList(ownEntries(2)));
    const PositionRecord place = env.settings().ReadPosition(WindowKey::List);
    QCOMPARE(QPoint(place.left, place.top), QPoint(250, 140));
    {
      ListDialog dialog(env.list, &owner);
      QCOMPARE(dialog.pos(), QPoint(250, 140));
      QCOMPARE(dialog.model().entries(), ownEntries(2));
      dialog.show();
      dialog.model().append({{QStringLiteral("/x.tq1"), own(5, 2)}});
      QVERIFY(dialog.close());
    }
    {
      ListDialog dialog(env.list, &owner);
      QCOMPARE(dialog.model().rowCount(), 3);
      QCOMPARE(settingsAt(dialog, 2), own(5, 2));
      QVERIFY(QFile::remove(env.list.temporaryList));
      QVERIFY(QDir().mkpath(env.list.temporaryList));  // a folder where the file goes
      dialog.show();
      dialog.accept();
      QCOMPARE(env.boxes.warnings, QStringList{"Ошибка при создании файла списка"});
    }
  }

  // The main window's list command opens one dialog, owned by the window, and a new one
  // (with the kept list) once the last was closed.
  void mainWindowCommandOpensTheDialog() {
    testing::ListTestServices env;
    MainWindow window(env.services);
    auto* launcher = new ListDialogLauncher(window, env.list);
    QAction* command = window.findChild<QAction*>(QStringLiteral("listAction"));
    QVERIFY(command);
    command->trigger();
    QPointer<ListDialog> first = launcher->dialog();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->parentWidget(), &window);
    first->model().append(ownEntries(1));
    command->trigger();
    QCOMPARE(launcher->dialog(), first.data());
    // A hidden or minimised dialog is brought back by the command, not left where it is.
    first->hide();
    command->trigger();
    QCOMPARE(launcher->dialog(), first.data());
    QVERIFY(first->isVisible());
    first->showMinimized();
    command->trigger();
    QVERIFY(first->isVisible() && !first->isMinimized());
    first->accept();
    QTRY_VERIFY(first.isNull());
    command->trigger();
    QVERIFY(launcher->dialog() && launcher->dialog() != first);
    QCOMPARE(launcher->dialog()->model().entries(), ownEntries(1));
  }

  // A kept list of a hundred thousand entries opens and scrolls to its end.
  void hundredThousandEntriesOpenAndScroll() {
    testing::ListTestServices env;
    std::vector<ListEntry> entries = ownEntries(100000, QStringLiteral("/photos"));
    QVERIFY(writeListFile(env.list.temporaryList, entries).ok());
    QWidget owner;
    QElapsedTimer clock;
    clock.start();
    ListDialog dialog(env.list, &owner);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.model().rowCount(), 100000);
    dialog.listView()->setFocus();
    QTest::keyClick(dialog.listView(), Qt::Key_End);
    QTRY_COMPARE(dialog.listView()->currentIndex().row(), 99999);
    QVERIFY(dialog.listView()->viewport()->rect().intersects(
        dialog.listView()->visualRect(dialog.model().index(99999))));
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
  }
};

TQ1_UI_TEST_MAIN(ListDialogTest)
#include "ListDialogTest.moc"
