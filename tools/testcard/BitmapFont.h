// A 5 x 7 pixel font drawn by code, so the card needs no installed fonts and looks the same
// everywhere: capital letters, digits, space and - . : / (small letters are drawn as capitals).
#pragma once

#include <string_view>

#include "Canvas.h"

namespace tq1::testcard {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Width and height in pixels of `text` drawn with each font pixel a scale x scale square.
[[nodiscard]] int textWidth(std::string_view text, int scale);
[[nodiscard]] inline int textHeight(int scale) { return kGlyphHeight * scale; }

// Draws `text` with its top-left corner at (x, y); characters without a glyph show as a box.
void drawText(Canvas& canvas, int x, int y, std::string_view text, int scale, PackedColour colour);

// Draws `text` centred in r.
void drawTextCentred(Canvas& canvas, const Rect& r, std::string_view text, int scale,
                     PackedColour colour);

}  // namespace tq1::testcard
