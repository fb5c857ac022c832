// tq1-testcard OUT.bmp [WIDTH HEIGHT]: draws the test card and writes it as a 24-bit bitmap.
#include <QString>
#include <charconv>
#include <cstdio>
#include <new>
#include <string_view>

#include "TestCard.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/ImageLimits.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: tq1-testcard OUT.bmp [WIDTH HEIGHT]\n"
               "  draws the test card (768 x 512 unless given) as a 24-bit bitmap\n");
  return 2;
}

// A side of 1 to the largest the project's images may have.
bool parseSide(std::string_view text, std::uint32_t& side) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, side);
  return error == std::errc() && stop == end && side >= 1 && side <= tq1::kMaxSide;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) return usage();
  std::uint32_t width = tq1::testcard::kDefaultWidth;
  std::uint32_t height = tq1::testcard::kDefaultHeight;
  if (argc == 4 && (!parseSide(argv[2], width) || !parseSide(argv[3], height))) {
    std::fprintf(stderr, "tq1-testcard: sides must be whole numbers from 1 to %u\n", tq1::kMaxSide);
    return 2;
  }
  if (!tq1::ImageLimits{}.fits(width, height)) {
    std::fprintf(stderr, "tq1-testcard: %u x %u is more than %llu pixels\n", width, height,
                 static_cast<unsigned long long>(tq1::kDefaultMaxPixels));
    return 2;
  }
  try {
    const tq1::Grid card = tq1::testcard::drawTestCard(width, height);
    const tq1::ImageFileStatus written =
        tq1::writeBitmapFile(QString::fromLocal8Bit(argv[1]), card);
    if (!written.ok()) {
      std::fprintf(stderr, "tq1-testcard: %s\n", written.message().c_str());
      return 1;
    }
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "tq1-testcard: not enough memory for a %u x %u card\n", width, height);
    return 1;
  }
  return 0;
}
