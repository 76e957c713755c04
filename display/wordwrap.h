// Word wrapping: lines of text broken into pieces that fit a width in a surface's font.
#pragma once

#include <string>
#include <vector>

struct Surface;
struct Font;

// How wide a text is in a font: platformTextWidth, or a measure that knows pictures in the text.
typedef int (*TextMeasure)(const Font* font, const std::string& text);

// The lines broken into pieces that fit width pixels, measured in surface's font: at the last white
// space before which a piece fits (that one white-space character is dropped), else after its
// last character that fits. A line's last piece is kept once all of it but its last character
// fits, and a character wider than width makes a piece alone (a line of only that character is
// dropped). No lines, and a line on standard output, when surface's font cannot measure.
std::vector<std::string> wordWrapText(Surface* surface, int width,
                                      const std::vector<std::string>& lines);
// The same, measured with measure.
std::vector<std::string> wordWrapText(Surface* surface, int width,
                                      const std::vector<std::string>& lines, TextMeasure measure);
