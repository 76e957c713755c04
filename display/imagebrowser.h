// The image browser: the games as a grid of marquees, one game a cell, with a rounded
// highlight behind the current game's cell.
#pragma once

struct Surface;
struct Rect;

const int HighlightCorner = 12; // width and height of the highlight's corner ellipses

// The current game's three pictures in their boxes, then the page of the grid that holds it.
// area is the screen less the status bar.
void drawImageBrowser(Surface* surface, Rect area);
// The whole page of the grid, from the first cell's corner to the last cell's (as placed).
Rect browserGridRect();
