// Status line texts.
#include "ui/StatusLineText.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace tq1::ui {
namespace {

// Without group separators: "3200%", not "3 200%".
QLocale russian() {
  QLocale locale(QLocale::Russian, QLocale::Russia);
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// One decimal, dropped when it is zero: "12,5", "3".
QString oneDecimal(double value) {
  const double rounded = std::round(value * 10) / 10;
  return russian().toString(rounded, 'f', rounded == std::floor(rounded) ? 0 : 1);
}

}  // namespace

QString imageSizeText(QSize size) {
  if (size.isEmpty()) return {};
  return QStringLiteral("%1 × %2 пикс.").arg(size.width()).arg(size.height());
}

QString fileSizeText(qint64 bytes) {
  if (bytes < 0) return {};
  if (bytes < 1024) return QStringLiteral("%1 байт").arg(bytes);
  static const std::array<QString, 3> units{QStringLiteral("КБ"), QStringLiteral("МБ"),
                                            QStringLiteral("ГБ")};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  // 1023.96 KiB would print as "1024 КБ": move up a unit before rounding reaches 1024.
  while (value >= 1023.95 && unit + 1 < units.size()) {
    value /= 1024;
    ++unit;
  }
  return oneDecimal(value) + QLatin1Char(' ') + units.at(unit);
}

QString zoomText(double zoom) { return oneDecimal(zoom * 100) + QLatin1Char('%'); }

}  // namespace tq1::ui
