// Short names of the image file error codes, for logs and the command line.
#include "imagefile/ImageFileStatus.h"

namespace tq1 {

std::string_view imageFileErrorName(ImageFileError error) noexcept {
  switch (error) {
    case ImageFileError::Ok: return "ok";
    case ImageFileError::FileNotFound: return "file not found";
    case ImageFileError::NotAFile: return "not a file";
    case ImageFileError::FileReadFailed: return "cannot read file";
    case ImageFileError::UnsupportedFormat: return "unsupported format";
    case ImageFileError::InvalidData: return "invalid image data";
    case ImageFileError::PixelDataCutShort: return "pixel data cut short";
    case ImageFileError::RunLengthPastRow: return "run-length code past the row";
    case ImageFileError::RunLengthPastImage: return "run-length code past the image";
    case ImageFileError::RunLengthEndsEarly: return "run-length data ends early";
    case ImageFileError::RunLengthTopDown: return "run-length data stored top-down";
    case ImageFileError::PaletteIndexOutside: return "palette index past the palette";
    case ImageFileError::BitFieldsOverlap: return "overlapping bit fields";
    case ImageFileError::BitFieldEmpty: return "empty bit field";
    case ImageFileError::ImageTooLarge: return "image too large";
    case ImageFileError::EmptyImage: return "empty image";
    case ImageFileError::AreaOutsideImage: return "area outside image";
    case ImageFileError::OutOfMemory: return "out of memory";
    case ImageFileError::FileWriteFailed: return "cannot write file";
  }
  return "unknown error";
}

bool isBitmapDamage(ImageFileError error) noexcept {
  switch (error) {
    case ImageFileError::PixelDataCutShort:
    case ImageFileError::RunLengthPastRow:
    case ImageFileError::RunLengthPastImage:
    case ImageFileError::RunLengthEndsEarly:
    case ImageFileError::RunLengthTopDown:
    case ImageFileError::PaletteIndexOutside:
    case ImageFileError::BitFieldsOverlap:
    case ImageFileError::BitFieldEmpty:
      return true;
    default:
      return false;
  }
}

}  // namespace tq1
