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
    case ImageFileError::ImageTooLarge: return "image too large";
    case ImageFileError::EmptyImage: return "empty image";
    case ImageFileError::AreaOutsideImage: return "area outside image";
    case ImageFileError::OutOfMemory: return "out of memory";
    case ImageFileError::FileWriteFailed: return "cannot write file";
  }
  return "unknown error";
}

}  // namespace tq1
