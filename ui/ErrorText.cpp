// Translations of the codec's and the image files' error codes.
#include "ui/ErrorText.h"

namespace tq1::ui {

QString describeError(CodecError error) {
  switch (error) {
    case CodecError::Ok: return QStringLiteral("ошибки нет");
    case CodecError::InvalidParameters: return QStringLiteral("недопустимые параметры кодирования");
    case CodecError::InvalidPixels: return QStringLiteral("недопустимые точки изображения");
    case CodecError::ImageTooLarge: return QStringLiteral("изображение слишком велико");
    case CodecError::OutOfMemory: return QStringLiteral("нехватка памяти");
    case CodecError::TooManyTokens:
    case CodecError::TooManySymbols:
    case CodecError::ControlValueOverflow:
      return QStringLiteral("изображение слишком сложно для этих параметров: уменьшите качество "
                            "или число бит на составляющую");
    case CodecError::FileOpenFailed: return QStringLiteral("файл не удаётся открыть");
    case CodecError::FileReadFailed: return QStringLiteral("файл не удаётся прочитать");
    case CodecError::FileWriteFailed: return QStringLiteral("файл не удаётся записать");
    case CodecError::Truncated: return QStringLiteral("файл обрезан");
    case CodecError::InvalidCodeCounts:
    case CodecError::InvalidControlIndex:
    case CodecError::InvalidLevelIndex:
    case CodecError::BlockOutsideImage:
    case CodecError::MissingTokens:
      return QStringLiteral("файл повреждён или не является файлом TQ1");
    case CodecError::TooComplex:
      return QStringLiteral("файл требует слишком большой работы при декодировании "
                            "(вероятно, он повреждён)");
  }
  return QStringLiteral("неизвестная ошибка");
}

QString describeError(ImageFileError error) {
  switch (error) {
    case ImageFileError::Ok: return QStringLiteral("ошибки нет");
    case ImageFileError::FileNotFound: return QStringLiteral("файл не найден");
    case ImageFileError::NotAFile: return QStringLiteral("это не файл");
    case ImageFileError::FileReadFailed: return QStringLiteral("файл не удаётся прочитать");
    case ImageFileError::UnsupportedFormat: return QStringLiteral("формат файла не распознан");
    case ImageFileError::InvalidData:
      return QStringLiteral("файл повреждён или записан в неподдерживаемом варианте формата");
    case ImageFileError::PixelDataCutShort:
      return QStringLiteral("файл повреждён: он обрывается раньше последней строки точек");
    case ImageFileError::RunLengthPastRow:
      return QStringLiteral("файл повреждён: сжатая серия точек выходит за конец строки");
    case ImageFileError::RunLengthPastImage:
      return QStringLiteral("файл повреждён: сжатые данные выходят за последнюю строку");
    case ImageFileError::RunLengthEndsEarly:
      return QStringLiteral("файл повреждён: сжатые данные кончаются раньше изображения");
    case ImageFileError::RunLengthTopDown:
      return QStringLiteral("файл повреждён: сжатое изображение записано сверху вниз");
    case ImageFileError::PaletteIndexOutside:
      return QStringLiteral("файл повреждён: точки ссылаются на цвета, которых нет в палитре");
    case ImageFileError::BitFieldsOverlap:
      return QStringLiteral("файл повреждён: маски цветовых составляющих перекрываются");
    case ImageFileError::BitFieldEmpty:
      return QStringLiteral("файл повреждён: маска одной из цветовых составляющих пуста");
    case ImageFileError::ImageTooLarge: return QStringLiteral("изображение слишком велико");
    case ImageFileError::EmptyImage: return QStringLiteral("изображение пусто");
    case ImageFileError::AreaOutsideImage:
      return QStringLiteral("область выходит за границы изображения");
    case ImageFileError::OutOfMemory: return QStringLiteral("нехватка памяти");
    case ImageFileError::FileWriteFailed: return QStringLiteral("файл не удаётся записать");
  }
  return QStringLiteral("неизвестная ошибка");
}

QString openFailedText(const QString& path, const QString& cause) {
  return QStringLiteral("Не удалось открыть файл\n%1\n\nПричина: %2.").arg(path, cause);
}

QString saveFailedText(const QString& path, const QString& cause) {
  return QStringLiteral("Не удалось сохранить файл\n%1\n\nПричина: %2.").arg(path, cause);
}

}  // namespace tq1::ui
