// Text on drawing surfaces: one font selected per surface, line heights, string widths, the
// number of lines that fit, and strings drawn into rectangles. Every text the front end draws
// goes through these.
#pragma once

#include <string>

struct Surface;
struct Rect;

const int FaceNameLimit = 31;      // characters of a face name that are used
const int FallbackLineHeight = 16; // when a font's metrics cannot be read

// Creates the font (face cut to FaceNameLimit characters, points at 96 pixels per inch;
// emphasised: weight 800 and italic) and selects it into surface in place of the one before.
// 0 when no font can be made; the selected font stays.
int createFont(Surface* surface, const std::string& face, int points, int emphasised);
// The selected font's cell height without external leading; never 0, so callers can divide by
// it. A font that cannot be measured is reported once ("GetTextMetrics failed!").
int getTextHeight(Surface* surface);
// The width of text in the selected font; 0 for an empty text and after a failure (reported
// once, "GetTextExtentPoint32 failed!").
int getTextWidth(Surface* surface, const std::string& text);
// Whole lines of the selected font in height - reserve pixels; the width does not count.
int countVisibleRows(Surface* surface, int width, int height, int reserve);
// Top-left in rect, clipped to it, no wrapping; a line break starts a new line.
void drawTextInRect(Surface* surface, Rect rect, const std::string& text);
// text as it fits in width pixels of the selected font: whole, or cut after a whole character
// with an ellipsis; empty when not even one character fits.
std::string fitToWidth(Surface* surface, const std::string& text, int width);
