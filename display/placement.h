// The skin's layout on the screen it is drawn on. A skin may give the screen size it was laid
// out for (DesignWidth, DesignHeight): its places and sizes are then scaled to the screen, so
// one skin fits any screen. On a screen taller than wide the tall layout's values are in force
// where it gives them. The Skin record keeps what skin.ini says; this is what is drawn.
#pragma once

#include "config/skin.h"

#include <cstdint>

struct Rect;

// Screen pixels per design pixel, as a fraction; 1/1 when the places are screen pixels.
struct Scale
{
    int64_t Screen, Design;
};

struct PlacementRecord
{
    Scale Across;   // x starts and widths
    Scale Down;     // y starts, heights and font sizes
    Scale Pictures; // a picture's own size and the cells' margin: the smaller of the two
};

// The skin as the last placeSkin put it on the screen; the main screen draws from it.
extern SkinRecord PlacedSkin;
extern PlacementRecord Placement;

// Places the skin on a screen of width x height pixels: PlacedSkin and Placement.
void placeSkin(int width, int height);
// value x Screen / Design rounded to the nearest whole number, halves away from 0; a value
// that is not 0 stays at least 1 away from 0, since 0 means "the screen's edge" or "no box".
int scaled(Scale scale, int64_t value);
// Where a picture of width x height pixels goes in box: stretched to the box, or (keepsOwnSize,
// a screenshot's rule) at its own size grown by scale, never past the box, centred across and at
// the box's top, and squeezed to the box in each direction it is larger.
Rect fitInBox(Rect box, int keepsOwnSize, Scale scale, int64_t width, int64_t height);
// Where a picture of width x height pixels fills as much of area as it can with its own
// proportions, centred (the screensaver's pictures).
Rect fitKeepingShape(Rect area, int64_t width, int64_t height);
// A font size of the skin in points as shown on the screen now (the pop-ups' text): scaled
// like the main screen's fonts, within what a font can be.
int screenFontSize(int points);
