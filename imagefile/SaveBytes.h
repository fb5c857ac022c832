// Writing a whole file through a temporary file in the target folder and a rename.
#pragma once

#include <QString>

#include <cstdint>
#include <span>

#include "imagefile/ImageFileStatus.h"

namespace tq1 {

// The target is replaced only when every byte is written; on failure the temporary file is
// removed and an existing file at `path` is untouched. FileWriteFailed names the cause.
[[nodiscard]] ImageFileStatus saveBytes(const QString& path, std::span<const std::uint8_t> bytes);

}  // namespace tq1
