// The codec's one error vocabulary: every operation that can fail returns a CodecStatus that
// names what went wrong and carries a message for people (English; the app translates by code).
#pragma once

#include <string>
#include <string_view>

namespace tq1 {

enum class CodecError {
  Ok,
  InvalidParameters,     // a coding parameter is out of range
  InvalidPixels,         // an input cell has a non-zero fourth channel
  ImageTooLarge,         // a side above 65536, or more pixels than the memory limit allows
  OutOfMemory,           // an allocation failed
  TooManyTokens,         // more than 2^24 tokens: raise the tolerance or lower the bits
  TooManySymbols,        // more than 2^24 symbols, or a control index of 2^20 or more
  ControlValueOverflow,  // a control value of 2^24 or more
  FileOpenFailed,
  FileReadFailed,
  FileWriteFailed,
  Truncated,             // the data ends before the structure it declares
  InvalidCodeCounts,     // stored counts do not form a usable prefix code
  InvalidControlIndex,   // a control symbol index beyond the symbol table
  InvalidLevelIndex,     // a literal names a level that the channel does not have
  BlockOutsideImage,     // a block reaches past the image
  MissingTokens,         // the walk needs more tokens than the file holds
  TooComplex,            // the data would need unreasonable work to decode
};

[[nodiscard]] std::string_view errorName(CodecError error) noexcept;

class [[nodiscard]] CodecStatus {
 public:
  CodecStatus() = default;
  static CodecStatus success() { return {}; }
  static CodecStatus failure(CodecError error, std::string message) {
    CodecStatus status;
    status.error_ = error;
    status.message_ = std::move(message);
    return status;
  }

  [[nodiscard]] bool ok() const noexcept { return error_ == CodecError::Ok; }
  explicit operator bool() const noexcept { return ok(); }
  [[nodiscard]] CodecError error() const noexcept { return error_; }
  [[nodiscard]] const std::string& message() const noexcept { return message_; }

 private:
  CodecError error_ = CodecError::Ok;
  std::string message_;
};

}  // namespace tq1
