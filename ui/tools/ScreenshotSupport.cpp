// Event settling, screen grabs and picture files for the screenshot tours.
#include "ui/tools/ScreenshotSupport.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace tq1::ui::tools {

void settle() {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QTest::qWait(30);
  }
}

QPixmap screen() { return QGuiApplication::primaryScreen()->grabWindow(0); }

bool save(const QPixmap& picture, const QDir& folder, const QString& name) {
  const QString path = folder.filePath(name);
  if (picture.save(path)) {
    std::printf("%s\n", qPrintable(path));
    return true;
  }
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace tq1::ui::tools
