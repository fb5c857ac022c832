// Names of the codec's error codes, for logs and the command line.
#include "CodecStatus.h"

namespace tq1 {

std::string_view errorName(CodecError error) noexcept {
  switch (error) {
    case CodecError::Ok: return "ok";
    case CodecError::InvalidParameters: return "invalid parameters";
    case CodecError::InvalidPixels: return "invalid pixels";
    case CodecError::ImageTooLarge: return "image too large";
    case CodecError::OutOfMemory: return "out of memory";
    case CodecError::TooManyTokens: return "too many tokens";
    case CodecError::TooManySymbols: return "too many symbols";
    case CodecError::ControlValueOverflow: return "control value overflow";
    case CodecError::FileOpenFailed: return "cannot open file";
    case CodecError::FileReadFailed: return "cannot read file";
    case CodecError::FileWriteFailed: return "cannot write file";
    case CodecError::Truncated: return "truncated data";
    case CodecError::InvalidCodeCounts: return "invalid code counts";
    case CodecError::InvalidControlIndex: return "invalid control index";
    case CodecError::InvalidLevelIndex: return "invalid level index";
    case CodecError::BlockOutsideImage: return "block outside image";
    case CodecError::MissingTokens: return "missing tokens";
    case CodecError::TooComplex: return "data too complex";
  }
  return "unknown error";
}

}  // namespace tq1
