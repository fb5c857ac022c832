// The program's own pictures, compiled in from resources/tq1.qrc: the program icon, the About
// box picture and the image buttons of the batch list dialog.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tq1::ui {

// Registers the compiled-in resources; safe to call more than once.
void initUiResources();

// "MAINICON": the window and notification-area icon.
[[nodiscard]] QIcon mainIcon();

// Bitmap 113 of the About box, 48 x 48 pixels.
[[nodiscard]] QPixmap aboutPicture();

// The five button images of the list dialog.
enum class ButtonImage { Plus, Minus, PropGray, ListGray, Mark };
[[nodiscard]] QPixmap buttonImage(ButtonImage image);

}  // namespace tq1::ui
