// What the screenshot tours share: letting the windows settle, grabbing the screen, and
// writing a picture into the output folder.
#pragma once

#include <QDir>
#include <QPixmap>
#include <QString>

namespace tq1::ui::tools {

// Runs the event loop for a moment, so that windows are laid out and painted.
void settle();

// The whole primary screen.
[[nodiscard]] QPixmap screen();

// Writes `picture` as `name` into `folder`, printing the path, or an error on stderr.
bool save(const QPixmap& picture, const QDir& folder, const QString& name);

}  // namespace tq1::ui::tools
