// The error vocabulary of image file loading, pixel conversion and bitmap writing: a code the
// app can translate, and an English message naming the file and the cause.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tq1 {

enum class ImageFileError {
  Ok,
  FileNotFound,       // nothing exists at the path
  NotAFile,           // the path names a directory or another non-regular file
  FileReadFailed,     // the file exists but cannot be opened or read
  UnsupportedFormat,  // no reader knows this kind of file
  InvalidData,        // the reader rejected the contents: damaged, cut short, or a variant it lacks
  // A bitmap whose stored pixels are not all there or not all meaningful. A reader would fill
  // in or guess the missing ones; the loader refuses the file instead.
  PixelDataCutShort,   // the file ends before the last row of pixels
  RunLengthPastRow,    // a run-length code writes past the end of a row
  RunLengthPastImage,  // a run-length code writes or moves past the last row
  RunLengthEndsEarly,  // run-length data runs out before the image is complete
  RunLengthTopDown,    // run-length data in a bitmap stored top-down, which has no meaning
  PaletteIndexOutside, // a pixel names an entry the palette does not have
  BitFieldsOverlap,    // two colour masks share bits
  BitFieldEmpty,       // a colour mask has no bits
  ImageTooLarge,      // a side or the pixel count above the limits, or a bitmap file above 4 GiB
  EmptyImage,         // no pixels to work on
  AreaOutsideImage,   // a requested area does not lie wholly within the image
  OutOfMemory,        // an allocation failed
  FileWriteFailed,    // the file could not be created, written or put in place
};

[[nodiscard]] std::string_view imageFileErrorName(ImageFileError error) noexcept;

// True for the errors that name a kind of damage in a bitmap's structure.
[[nodiscard]] bool isBitmapDamage(ImageFileError error) noexcept;

class [[nodiscard]] ImageFileStatus {
 public:
  ImageFileStatus() = default;
  static ImageFileStatus success() { return {}; }
  static ImageFileStatus failure(ImageFileError error, std::string message) {
    ImageFileStatus status;
    status.error_ = error;
    status.message_ = std::move(message);
    return status;
  }

  [[nodiscard]] bool ok() const noexcept { return error_ == ImageFileError::Ok; }
  explicit operator bool() const noexcept { return ok(); }
  [[nodiscard]] ImageFileError error() const noexcept { return error_; }
  [[nodiscard]] const std::string& message() const noexcept { return message_; }

 private:
  ImageFileError error_ = ImageFileError::Ok;
  std::string message_;
};

// A value together with the status of the operation that made it; `value` is meaningful only
// when the status is ok.
template <typename T>
struct [[nodiscard]] ImageFileResult {
  T value{};
  ImageFileStatus status;

  [[nodiscard]] bool ok() const noexcept { return status.ok(); }
};

}  // namespace tq1
