// JSON text for file descriptions: strings escaped as JSON requires, numbers as they are.
#include "cli/InfoJson.h"

#include <charconv>
#include <cstdio>

namespace tq1::cli {

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not one
// (a stray continuation byte, a sequence cut short, an overlong form, a surrogate or a value
// beyond U+10FFFF).
std::size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, value = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, value = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, value = lead & 0x07;
  else return 0;
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return length;
}

void appendEscaped(std::string& out, char c) {
  switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    char code[8];
    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
    out += code;
  } else {
    out += c;
  }
}

std::string number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  while (!text.empty()) {
    const std::size_t length = utf8SequenceLength(text);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD, the replacement character
      text.remove_prefix(1);
    } else if (length == 1) {
      appendEscaped(out, text[0]);
      text.remove_prefix(1);
    } else {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return out + "\"";
}

std::string infoJson(const std::string& name, const FileInfo& info) {
  const auto field = [](const char* key, std::uint64_t value) {
    return ", \"" + std::string(key) + "\": " + std::to_string(value);
  };
  std::string out = "{\"file\": " + jsonString(name);
  out += field("width", info.width) + field("height", info.height);
  out += field("tolerance", info.tolerance) + field("smoothing", info.smoothThreshold);
  out += ", \"levels\": {\"red\": " + std::to_string(info.levelCount[0]) +
         ", \"green\": " + std::to_string(info.levelCount[1]) +
         ", \"blue\": " + std::to_string(info.levelCount[2]) +
         ", \"fourth\": " + std::to_string(info.levelCount[3]) + "}";
  out += field("symbols", info.symbolCount) + field("tokens", info.tokenCount);
  out += ", \"bitsPerPixel\": " + number(info.bitsPerPixel());
  out += field("fileSize", info.fileBytes);
  return out + "}";
}

std::string errorJson(const std::string& name, const std::string& message) {
  return "{\"file\": " + jsonString(name) + ", \"error\": " + jsonString(message) + "}";
}

}  // namespace tq1::cli
