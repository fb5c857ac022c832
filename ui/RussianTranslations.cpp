// Loading of Qt's Russian translations.
#include "ui/RussianTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tq1::ui {

QString installRussianTranslations(QCoreApplication& app) {
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  QLocale::setDefault(russian);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // "qtbase" holds the widgets' texts; "qt" is the older catalogue that includes it.
  for (const QString& catalogue : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(russian, catalogue, QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(translator);
      return translator->filePath();
    }
    delete translator;
  }
  return {};
}

}  // namespace tq1::ui
