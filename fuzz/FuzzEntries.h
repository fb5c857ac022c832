// The bodies of the fuzz targets, shared by the libFuzzer programs and by the regression test
// that replays every input they ever found.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tq1::fuzz {

// Each entry feeds one reader of untrusted bytes and checks what it gives back. It returns
// an empty string when the input was handled soundly, else a description of the broken
// promise; crashes, leaks and undefined behaviour are the sanitizers' to catch.
using Entry = std::string (*)(std::span<const std::uint8_t> data);

// A .tq1 byte stream through decodeBytes.
std::string decodeTq1(std::span<const std::uint8_t> data);
// Bitmap bytes through the Qt-free plain reader.
std::string loadPlainBitmap(std::span<const std::uint8_t> data);
// Image file bytes through loadGridFile (plain reader first, then Qt's readers), and the
// plain reader checked against Qt's own reading of the same bytes.
std::string loadImageFile(std::span<const std::uint8_t> data);
// List file bytes through parseList and readListFile, and back through the writer.
std::string readList(std::span<const std::uint8_t> data);
// tq1.ini contents through the ini document, the record text form and the settings store.
std::string readIniRecords(std::span<const std::uint8_t> data);
// A .tq1 stream through the Qt image plugin's handler, checked against decodeBytes.
std::string readThroughImagePlugin(std::span<const std::uint8_t> data);
// A small image and coding parameters built from the bytes: decode(encode(x)) must equal the
// encoder's rebuilt image, and so must the preview.
std::string encodeDecodeRoundTrip(std::span<const std::uint8_t> data);

struct NamedEntry {
  std::string_view name;  // also the folder of its seeds and regression inputs
  Entry entry;
};

inline constexpr NamedEntry kEntries[] = {
    {"decode", decodeTq1},           {"plain_bitmap", loadPlainBitmap},
    {"image_file", loadImageFile},   {"list_file", readList},
    {"ini_records", readIniRecords}, {"round_trip", encodeDecodeRoundTrip},
    {"image_plugin", readThroughImagePlugin},
};

}  // namespace tq1::fuzz
