// Wording of failed batch entries.
#include "ui/lists/BatchSummaryText.h"

#include <QStringList>

namespace tq1::ui {

QString failureReason(const EntryResult& result) {
  switch (result.failureStage) {
    case FailureStage::Read:
      return result.conversion == Conversion::Encode
                 ? QStringLiteral("не удалось прочитать изображение (файл недоступен, повреждён "
                                  "или в неподдерживаемом формате)")
                 : QStringLiteral("не удалось прочитать файл");
    case FailureStage::Encode: return QStringLiteral("ошибка при кодировании");
    case FailureStage::Decode: return QStringLiteral("файл повреждён или не в формате TQ1");
    case FailureStage::Write: return QStringLiteral("не удалось записать файл ") + result.target;
    case FailureStage::OutOfMemory: return QStringLiteral("не хватает памяти");
    case FailureStage::None: break;
  }
  return QStringLiteral("непредвиденная ошибка");
}

QString failureSummaryText(const BatchSummary& summary) {
  QStringList lines;
  if (summary.failed != 0) {
    lines.append(QStringLiteral("Не удалось перекодировать файлов: %1 из %2.")
                     .arg(summary.failed)
                     .arg(summary.total));
    lines.append(QString());
    std::size_t listed = 0;
    for (const EntryResult& result : summary.results) {
      if (result.outcome != EntryOutcome::Failed) continue;
      if (listed == kFailuresListed) {
        lines.append(QStringLiteral("… и ещё %1.").arg(summary.failed - listed));
        break;
      }
      lines.append(result.source + QStringLiteral(": ") + failureReason(result) + u'.');
      ++listed;
    }
  }
  if (summary.cancelled) {
    if (!lines.isEmpty()) lines.append(QString());
    lines.append(QStringLiteral("Перекодирование прервано: обработано записей %1 из %2.")
                     .arg(summary.results.size())
                     .arg(summary.total));
  }
  return lines.join(u'\n');
}

}  // namespace tq1::ui
