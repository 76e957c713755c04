// The mark of a favourite game: a five-pointed star in the skin's FavouriteColor, drawn after
// the name in the list and in the corner of its cell in the image browser.
#pragma once

#include <cstdint>

struct Surface;
struct Rect;

// A star filling the square of that side whose top-left corner is (left, top).
void drawFavouriteMark(Surface* surface, int left, int top, int side, uint32_t color);
