// Filter lists of the file dialogs and their conversion to Qt's name-filter syntax.
#include "batch/FileFilters.h"

namespace tq1 {
namespace {

// The description without a trailing "(...)" that repeats the patterns.
QString labelOf(const QString& description) {
  const QString trimmed = description.trimmed();
  if (!trimmed.endsWith(u')')) return trimmed;
  const qsizetype open = trimmed.lastIndexOf(u'(');
  if (open < 0) return trimmed;
  return trimmed.first(open).trimmed();
}

}  // namespace

void FilterList::add(QString description, QString patterns) {
  filters_.push_back(FileFilter{std::move(description), std::move(patterns)});
}

QStringList FilterList::nameFilters() const {
  QStringList list;
  for (const FileFilter& filter : filters_) list.append(qtNameFilter(filter));
  return list;
}

QString qtNameFilter(const FileFilter& filter) {
  QStringList patterns = filter.patterns.split(u';', Qt::SkipEmptyParts);
  for (QString& pattern : patterns) {
    pattern = pattern.trimmed();
    if (pattern == u"*.*") pattern = QStringLiteral("*");
  }
  const QString label = labelOf(filter.description);
  if (patterns.isEmpty()) return label;
  return label + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

FilterList imageFileFilters() {
  FilterList list;
  list.add(QStringLiteral("Файлы в формате TQ1 (*.tq1)"), QStringLiteral("*.tq1"));
  list.add(QStringLiteral("Файлы в формате BMP (*.bmp)"), QStringLiteral("*.bmp"));
  list.add(QStringLiteral("Все форматы (*.tq1;*.bmp)"), QStringLiteral("*.tq1;*.bmp"));
  list.add(QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*"));
  return list;
}

FilterList addToListFilters() {
  FilterList list;
  list.add(QStringLiteral("Файлы в формате TQ1 (*.tq1)"), QStringLiteral("*.tq1"));
  list.add(QStringLiteral("Файлы в формате BMP (*.bmp)"), QStringLiteral("*.bmp"));
  list.add(QStringLiteral("Файлы списков (*.lst)"), QStringLiteral("*.lst"));
  list.add(QStringLiteral("Все форматы (*.tq1;*.bmp;*.lst)"), QStringLiteral("*.tq1;*.bmp;*.lst"));
  list.add(QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*"));
  return list;
}

FilterList listFileFilters() {
  FilterList list;
  list.add(QStringLiteral("Файлы списков (*.lst)"), QStringLiteral("*.lst"));
  return list;
}

}  // namespace tq1
