// Access to the compiled-in pictures.
#include "ui/UiResources.h"

#include <QString>

// The resource initialiser is a global function; calling it keeps the linker from dropping
// the resources of this static library.
static void initCompiledResources() { Q_INIT_RESOURCE(tq1); }

namespace tq1::ui {

void initUiResources() {
  static const bool done = (initCompiledResources(), true);
  (void)done;
}

QIcon mainIcon() {
  initUiResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/MAINICON.png"));
  icon.addFile(QStringLiteral(":/icons/MAINICON-256.png"));
  return icon;
}

QPixmap aboutPicture() {
  initUiResources();
  return QPixmap(QStringLiteral(":/icons/bitmap113.png"));
}

QPixmap buttonImage(ButtonImage image) {
  initUiResources();
  switch (image) {
    case ButtonImage::Plus: return QPixmap(QStringLiteral(":/icons/PLUS.png"));
    case ButtonImage::Minus: return QPixmap(QStringLiteral(":/icons/MINUS.png"));
    case ButtonImage::PropGray: return QPixmap(QStringLiteral(":/icons/PROP_GRAY.png"));
    case ButtonImage::ListGray: return QPixmap(QStringLiteral(":/icons/LIST_GRAY.png"));
    case ButtonImage::Mark: return QPixmap(QStringLiteral(":/icons/MARK.png"));
  }
  return {};
}

}  // namespace tq1::ui
