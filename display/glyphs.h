// Text holding command glyphs (the buttons, arrows, boxed words and symbols of a command page):
// measured and drawn like text in a surface's font, each glyph a small picture at the text's
// height instead of a character.
#pragma once

#include <cstdint>
#include <string>

struct Font;
struct Surface;

// The width of text in font, each glyph its picture's width; what wordWrapText may measure with.
int glyphTextWidth(const Font* font, const std::string& text);
// Draws text with its top-left at (x, y) in the surface's font and text colour, glyphs as
// pictures; hollow symbols show background inside.
void drawGlyphText(Surface* surface, int x, int y, const std::string& text, uint32_t background);
