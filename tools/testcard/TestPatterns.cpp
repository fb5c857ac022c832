// Pixel by pixel drawing of the test card patterns, in double precision and rounded once.
#include "TestPatterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tq1::testcard {
namespace {

constexpr PackedColour kBlack = rgbColour(0, 0, 0);
constexpr PackedColour kWhite = rgbColour(255, 255, 255);
// Samples per pixel side where edges are anti-aliased.
constexpr int kSubsamples = 4;

std::uint8_t toByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value * 255.0), 0L, 255L));
}

// The share of pixel (x, y) whose sample points satisfy `inside`.
template <typename Inside>
double coverage(int x, int y, Inside inside) {
  int hits = 0;
  for (int i = 0; i < kSubsamples; ++i) {
    for (int j = 0; j < kSubsamples; ++j) {
      if (inside(x + (i + 0.5) / kSubsamples, y + (j + 0.5) / kSubsamples)) ++hits;
    }
  }
  return static_cast<double>(hits) / (kSubsamples * kSubsamples);
}

template <typename Colour>
void forEachPixel(Canvas& canvas, const Rect& r, Colour colourAt) {
  for (int y = r.y; y < r.bottom(); ++y) {
    for (int x = r.x; x < r.right(); ++x) canvas.set(x, y, colourAt(x - r.x, y - r.y));
  }
}

}  // namespace

PackedColour hsvColour(double hue, double saturation, double value) {
  const double h = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0) / 60.0;
  const double chroma = value * saturation;
  const double second = chroma * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
  const double base = value - chroma;
  std::array<double, 3> rgb{};
  switch (static_cast<int>(h)) {
    case 0:
      rgb = {chroma, second, 0};
      break;
    case 1:
      rgb = {second, chroma, 0};
      break;
    case 2:
      rgb = {0, chroma, second};
      break;
    case 3:
      rgb = {0, second, chroma};
      break;
    case 4:
      rgb = {second, 0, chroma};
      break;
    default:
      rgb = {chroma, 0, second};
      break;
  }
  return rgbColour(toByte(rgb[0] + base), toByte(rgb[1] + base), toByte(rgb[2] + base));
}

PackedColour mixColours(PackedColour a, PackedColour b, double t) {
  std::array<std::uint8_t, 3> mixed{};
  for (unsigned c = 0; c < 3; ++c) {
    mixed[c] = toByte((channelOf(a, c) * (1.0 - t) + channelOf(b, c) * t) / 255.0);
  }
  return rgbColour(mixed[0], mixed[1], mixed[2]);
}

void colourBars(Canvas& canvas, const Rect& r) {
  constexpr std::array<PackedColour, 8> kBars = {rgbColour(255, 255, 255), rgbColour(255, 255, 0),
                                                 rgbColour(0, 255, 255),   rgbColour(0, 255, 0),
                                                 rgbColour(255, 0, 255),   rgbColour(255, 0, 0),
                                                 rgbColour(0, 0, 255),     rgbColour(0, 0, 0)};
  const int stripHeight = r.h / 8;
  for (int i = 0; i < 8; ++i) {
    const int x0 = r.x + r.w * i / 8;
    const int x1 = r.x + r.w * (i + 1) / 8;
    canvas.fill({x0, r.y, x1 - x0, r.h - stripHeight}, kBars[static_cast<std::size_t>(i)]);
    const PackedColour complement = kBars[static_cast<std::size_t>(i)] ^ 0x00ffffffu;
    canvas.fill({x0, r.bottom() - stripHeight, x1 - x0, stripHeight}, complement);
  }
}

void colourWheel(Canvas& canvas, const Rect& r) {
  const double cx = r.x + r.w / 2.0;
  const double cy = r.y + r.h / 2.0;
  const double radius = std::min(r.w, r.h) / 2.0 - 1.0;
  if (radius <= 0) return;
  auto inside = [&](double px, double py) { return std::hypot(px - cx, py - cy) <= radius; };
  for (int y = r.y; y < r.bottom(); ++y) {
    for (int x = r.x; x < r.right(); ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = cy - (y + 0.5);  // upwards, so hue runs anticlockwise
      const double distance = std::hypot(dx, dy);
      if (distance > radius + 1.5) continue;
      const double hue = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
      const PackedColour colour = hsvColour(hue, std::min(distance / radius, 1.0), 1.0);
      const double share = distance < radius - 1.5 ? 1.0 : coverage(x, y, inside);
      canvas.set(x, y, mixColours(canvas.get(x, y), colour, share));
    }
  }
}

void greyWedge(Canvas& canvas, const Rect& r, int steps) {
  for (int i = 0; i < steps; ++i) {
    const int x0 = r.x + r.w * i / steps;
    const int x1 = r.x + r.w * (i + 1) / steps;
    const auto level = static_cast<std::uint8_t>(255 * i / std::max(steps - 1, 1));
    canvas.fill({x0, r.y, x1 - x0, r.h}, rgbColour(level, level, level));
  }
}

void ramp(Canvas& canvas, const Rect& r, PackedColour colour) {
  const double span = std::max(r.w - 1, 1);
  forEachPixel(canvas, r, [&](int x, int) { return mixColours(kBlack, colour, x / span); });
}

void hueField(Canvas& canvas, const Rect& r) {
  const double across = std::max(r.w - 1, 1);
  const double down = std::max(r.h - 1, 1);
  forEachPixel(canvas, r, [&](int x, int y) {
    const PackedColour pure = hsvColour(360.0 * x / across, 1.0, 1.0);
    const double t = y / down;  // 0 white, 0.5 the pure hue, 1 black
    return t < 0.5 ? mixColours(kWhite, pure, t * 2.0) : mixColours(pure, kBlack, t * 2.0 - 1.0);
  });
}

void lines(Canvas& canvas, const Rect& r, int width, bool vertical) {
  forEachPixel(canvas, r, [&](int x, int y) {
    return ((vertical ? x : y) / width) % 2 == 0 ? kBlack : kWhite;
  });
}

void checkerboard(Canvas& canvas, const Rect& r, int cell) {
  forEachPixel(canvas, r,
               [&](int x, int y) { return (x / cell + y / cell) % 2 == 0 ? kBlack : kWhite; });
}

void siemensStar(Canvas& canvas, const Rect& r, int spokes) {
  const double cx = r.x + r.w / 2.0;
  const double cy = r.y + r.h / 2.0;
  const double radius = std::min(r.w, r.h) / 2.0 - 1.0;
  auto blackAt = [&](double px, double py) {
    const double turn = (std::atan2(py - cy, px - cx) + std::numbers::pi) / (2 * std::numbers::pi);
    return static_cast<int>(turn * spokes * 2) % 2 == 0;
  };
  auto inside = [&](double px, double py) { return std::hypot(px - cx, py - cy) <= radius; };
  for (int y = r.y; y < r.bottom(); ++y) {
    for (int x = r.x; x < r.right(); ++x) {
      const double share = coverage(x, y, inside);
      if (share == 0.0) continue;
      const double dark = coverage(x, y, blackAt);
      const PackedColour star = mixColours(kWhite, kBlack, dark);
      canvas.set(x, y, mixColours(canvas.get(x, y), star, share));
    }
  }
}

void zonePlate(Canvas& canvas, const Rect& area) {
  const Rect r = area.centredSquare();
  const double cx = r.w / 2.0;
  const double cy = r.h / 2.0;
  const double edge = std::max(std::min(r.w, r.h) / 2.0, 1.0);
  // Phase pi r^2 / (2 edge): the local frequency r / (2 edge) reaches 1/2 cycle a pixel at
  // the edge.
  forEachPixel(canvas, r, [&](int x, int y) {
    const double dx = x + 0.5 - cx;
    const double dy = y + 0.5 - cy;
    const double level = 0.5 + 0.5 * std::cos(std::numbers::pi * (dx * dx + dy * dy) / (2 * edge));
    const std::uint8_t grey = toByte(level);
    return rgbColour(grey, grey, grey);
  });
}

void slantedEdge(Canvas& canvas, const Rect& r, double degrees) {
  const double angle = degrees * std::numbers::pi / 180.0;
  const double cx = r.x + r.w / 2.0;
  const double cy = r.y + r.h / 2.0;
  auto whiteAt = [&](double px, double py) {
    return (px - cx) * std::cos(angle) + (py - cy) * std::sin(angle) > 0;
  };
  for (int y = r.y; y < r.bottom(); ++y) {
    for (int x = r.x; x < r.right(); ++x) {
      canvas.set(x, y, mixColours(kBlack, kWhite, coverage(x, y, whiteAt)));
    }
  }
}

}  // namespace tq1::testcard
