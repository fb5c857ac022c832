// The JSON form of `tq1 info --json`: one object on one line per file, so that scripts read
// the results line by line or as a whole with any JSON reader.
#pragma once

#include <string>
#include <string_view>

#include "codec/FileInfo.h"

namespace tq1::cli {

// `text` as a JSON string with its quotes. File names are bytes, not always UTF-8: a byte
// that does not belong to a valid UTF-8 sequence becomes U+FFFD, so that the output is
// always valid JSON.
[[nodiscard]] std::string jsonString(std::string_view text);

// {"file": ..., "width": ..., ...} for a file that was read.
[[nodiscard]] std::string infoJson(const std::string& name, const FileInfo& info);

// {"file": ..., "error": ...} for a file that could not be read.
[[nodiscard]] std::string errorJson(const std::string& name, const std::string& message);

}  // namespace tq1::cli
