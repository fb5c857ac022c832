// The layout of the test card: places given on a 768 x 512 design, scaled to the card.
#include "TestCard.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "BitmapFont.h"
#include "TestPatterns.h"

namespace tq1::testcard {
namespace {

constexpr PackedColour kBackground = rgbColour(128, 128, 128);
constexpr PackedColour kBlack = rgbColour(0, 0, 0);
constexpr PackedColour kWhite = rgbColour(255, 255, 255);
constexpr PackedColour kLabel = rgbColour(255, 220, 0);

// Maps places on the design to pixels of the card.
class Layout {
 public:
  Layout(int width, int height) : width_(width), height_(height) {}

  [[nodiscard]] Rect place(int x0, int y0, int x1, int y1) const {
    const int left = scaleX(x0);
    const int top = scaleY(y0);
    return {left, top, scaleX(x1) - left, scaleY(y1) - top};
  }
  // A length on the design, scaled by the smaller factor so squares stay square; at least 1.
  [[nodiscard]] int length(int designLength) const {
    const double factor = std::min(static_cast<double>(width_) / kDefaultWidth,
                                   static_cast<double>(height_) / kDefaultHeight);
    return std::max(1, static_cast<int>(designLength * factor));
  }

 private:
  [[nodiscard]] int scaleX(int x) const {
    return static_cast<int>(std::lround(static_cast<double>(x) * width_ / kDefaultWidth));
  }
  [[nodiscard]] int scaleY(int y) const {
    return static_cast<int>(std::lround(static_cast<double>(y) * height_ / kDefaultHeight));
  }
  int width_;
  int height_;
};

enum class Align { Left, Centre, Right };

// Draws text in r at the largest scale up to `scale` that fits, or not at all.
void fitText(Canvas& canvas, const Rect& r, const std::string& text, int scale, PackedColour colour,
             Align align = Align::Centre) {
  while (scale > 1 && (textWidth(text, scale) > r.w || textHeight(scale) > r.h)) --scale;
  const int width = textWidth(text, scale);
  if (width > r.w || textHeight(scale) > r.h) return;
  const int y = r.y + (r.h - textHeight(scale)) / 2;
  const int x = align == Align::Left    ? r.x
                : align == Align::Right ? r.right() - width
                                        : r.x + (r.w - width) / 2;
  drawText(canvas, x, y, text, scale, colour);
}

// A 2-pixel white frame at the edge and a square of its own colour in each corner, so a
// mirrored or upside-down copy shows at a glance.
void frameAndCorners(Canvas& canvas, const Layout& layout) {
  canvas.frame({0, 0, canvas.width(), canvas.height()}, 2, kWhite);
  const int side = layout.length(8);
  const int at = 4;
  canvas.fill({at, at, side, side}, rgbColour(255, 0, 0));
  canvas.fill({canvas.width() - at - side, at, side, side}, rgbColour(0, 255, 0));
  canvas.fill({at, canvas.height() - at - side, side, side}, rgbColour(0, 0, 255));
  canvas.fill({canvas.width() - at - side, canvas.height() - at - side, side, side},
              rgbColour(255, 255, 0));
}

void titleBand(Canvas& canvas, const Layout& layout, std::uint32_t width, std::uint32_t height) {
  const Rect band = layout.place(16, 16, 752, 64);
  canvas.fill(band, kBlack);
  const Rect inner = band.inset(layout.length(8));
  const int labelWidth = inner.w / 5;  // room for each side label
  fitText(canvas, {inner.x, inner.y, labelWidth, inner.h}, "24 BIT RGB", layout.length(2), kLabel,
          Align::Left);
  const Rect middle = {inner.x + labelWidth, inner.y, inner.w - 2 * labelWidth, inner.h};
  fitText(canvas, middle, "TQ1 TEST CARD", layout.length(4), kWhite);
  fitText(canvas, {inner.right() - labelWidth, inner.y, labelWidth, inner.h},
          std::to_string(width) + " X " + std::to_string(height), layout.length(2), kLabel,
          Align::Right);
}

void gradients(Canvas& canvas, const Layout& layout) {
  // Outlined so that the step that matches the background still reads as a step.
  const Rect wedge = layout.place(16, 216, 496, 264);
  canvas.frame(wedge.inset(-1), 1, kBlack);
  greyWedge(canvas, wedge, 11);
  constexpr std::array<PackedColour, 4> kEnds = {kWhite, rgbColour(255, 0, 0), rgbColour(0, 255, 0),
                                                 rgbColour(0, 0, 255)};
  for (int i = 0; i < 4; ++i) {
    ramp(canvas, layout.place(16, 272 + 16 * i, 496, 288 + 16 * i),
         kEnds[static_cast<std::size_t>(i)]);
  }
  hueField(canvas, layout.place(512, 280, 752, 336));
}

// Eight patches of one-, two- and four-pixel detail, each with its name below it. The
// patterns keep their pixel sizes whatever the size of the card.
void finePatterns(Canvas& canvas, const Layout& layout) {
  struct Patch {
    const char* name;
    int size;
    enum { Vertical, Horizontal, Checks } kind;
  };
  constexpr Patch kPatches[] = {{"V1", 1, Patch::Vertical},   {"V2", 2, Patch::Vertical},
                                {"V4", 4, Patch::Vertical},   {"H1", 1, Patch::Horizontal},
                                {"H2", 2, Patch::Horizontal}, {"H4", 4, Patch::Horizontal},
                                {"C1", 1, Patch::Checks},     {"C4", 4, Patch::Checks}};
  for (int i = 0; i < 8; ++i) {
    const Patch& patch = kPatches[i];
    const Rect r = layout.place(16 + 60 * i, 344, 72 + 60 * i, 424);
    if (patch.kind == Patch::Checks) {
      checkerboard(canvas, r, patch.size);
    } else {
      lines(canvas, r, patch.size, patch.kind == Patch::Vertical);
    }
    fitText(canvas, layout.place(16 + 60 * i, 426, 72 + 60 * i, 438), patch.name, layout.length(1),
            kWhite);
  }
}

void edgePatterns(Canvas& canvas, const Layout& layout) {
  siemensStar(canvas, layout.place(512, 344, 592, 424), 18);
  zonePlate(canvas, layout.place(592, 344, 672, 424));
  slantedEdge(canvas, layout.place(672, 344, 752, 424), 5.0);
  fitText(canvas, layout.place(512, 426, 592, 438), "STAR", layout.length(1), kWhite);
  fitText(canvas, layout.place(592, 426, 672, 438), "ZONE", layout.length(1), kWhite);
  fitText(canvas, layout.place(672, 426, 752, 438), "EDGE", layout.length(1), kWhite);
}

// Twelve flat colours of everyday scenes and print, in two rows.
void colourPatches(Canvas& canvas, const Layout& layout) {
  constexpr std::array<PackedColour, 12> kColours = {
      rgbColour(232, 190, 160), rgbColour(150, 100, 70), rgbColour(110, 160, 220),
      rgbColour(70, 120, 50),   rgbColour(240, 130, 30), rgbColour(120, 70, 170),
      rgbColour(20, 40, 100),   rgbColour(180, 220, 70), rgbColour(140, 20, 40),
      rgbColour(230, 210, 160), rgbColour(60, 170, 170), rgbColour(250, 170, 200)};
  for (int i = 0; i < 12; ++i) {
    const int column = i % 6;
    const int row = i / 6;
    canvas.fill(layout.place(16 + 80 * column, 446 + 26 * row, 16 + 80 * (column + 1),
                             446 + 26 * (row + 1)),
                kColours[static_cast<std::size_t>(i)]);
  }
}

void alphabet(Canvas& canvas, const Layout& layout) {
  const Rect r = layout.place(512, 444, 752, 498);
  canvas.fill(r, kWhite);
  const char* kLines[] = {"ABCDEFGHIJKLM", "NOPQRSTUVWXYZ", "0123456789 -./:"};
  for (int i = 0; i < 3; ++i) {
    fitText(canvas, layout.place(512, 446 + 17 * i, 752, 463 + 17 * i), kLines[i], layout.length(2),
            kBlack);
  }
}

}  // namespace

Grid drawTestCard(std::uint32_t width, std::uint32_t height) {
  Grid grid(width, height, kBackground);
  Canvas canvas(grid);
  const Layout layout(canvas.width(), canvas.height());
  titleBand(canvas, layout, width, height);
  colourBars(canvas, layout.place(16, 72, 496, 208));
  colourWheel(canvas, layout.place(512, 72, 752, 272));
  gradients(canvas, layout);
  finePatterns(canvas, layout);
  edgePatterns(canvas, layout);
  colourPatches(canvas, layout);
  alphabet(canvas, layout);
  frameAndCorners(canvas, layout);
  return grid;
}

}  // namespace tq1::testcard
