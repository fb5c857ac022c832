// The patterns of the test card, each filling a rectangle of the canvas: the flat areas,
// smooth gradients, sharp edges and fine detail that a block codec treats differently.
#pragma once

#include "Canvas.h"

namespace tq1::testcard {

// Hue in degrees (0 red, 120 green, 240 blue), saturation and value 0-1.
[[nodiscard]] PackedColour hsvColour(double hue, double saturation, double value);
// Straight blend: t = 0 gives a, t = 1 gives b.
[[nodiscard]] PackedColour mixColours(PackedColour a, PackedColour b, double t);

// Eight full-strength bars (white, yellow, cyan, green, magenta, red, blue, black) with a strip
// of their complements along the bottom eighth.
void colourBars(Canvas& canvas, const Rect& r);
// Hue around the circle, saturation from the centre out, full value; the rim is anti-aliased
// against whatever the canvas already holds.
void colourWheel(Canvas& canvas, const Rect& r);
// `steps` flat patches from black to white.
void greyWedge(Canvas& canvas, const Rect& r, int steps);
// From black at the left to `colour` at the right.
void ramp(Canvas& canvas, const Rect& r, PackedColour colour);
// Hue across, from white at the top through the pure hue to black at the bottom.
void hueField(Canvas& canvas, const Rect& r);
// Black and white lines `width` pixels wide, running down (vertical) or across.
void lines(Canvas& canvas, const Rect& r, int width, bool vertical);
void checkerboard(Canvas& canvas, const Rect& r, int cell);
// Alternating black and white wedges meeting at the centre: edges at every angle, detail
// growing finer towards the middle.
void siemensStar(Canvas& canvas, const Rect& r, int spokes);
// Concentric rings in the square centred in r, their frequency rising to one cycle per two
// pixels at its edge.
void zonePlate(Canvas& canvas, const Rect& r);
// A black and white edge tilted a few degrees from vertical, anti-aliased.
void slantedEdge(Canvas& canvas, const Rect& r, double degrees);

}  // namespace tq1::testcard
