// Override cursor handling.
#include "ui/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace tq1::ui {

WaitCursor::WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace tq1::ui
