// What the main screen keeps between redraws and the arithmetic of its places: shared by the
// list view, the image browser, the artwork boxes and the page moves.
#pragma once

#include <cstdint>

// Index in VisibleGames of the first game on the shown page; kept between redraws and moved
// only by the page rule, a whole page at a time.
extern int ListTop;
// The status bar's text height, set whenever the bar is drawn; artwork anchored to the bottom
// and the page moves keep clear of it.
extern int StatusBarHeight;
// The rows of the list view's page last drawn (they follow from its font), and the number of
// redraws so far: what the decoding ahead plans from.
extern int ListPageRows;
extern int Redraws;
// The picture cache's use number when the last redraw began: what it showed is kept.
extern uint64_t RedrawFirstUse;

// Far outside any screen, yet near enough that sums of a place and a size cannot overflow:
// the skin's numbers may be anything.
inline int clampCoordinate(int64_t value)
{
    const int64_t limit = 1 << 24;
    return (int)(value < -limit ? -limit : value > limit ? limit : value);
}

// The first index of the page that holds current, moved from top by whole pages of size page
// (at least 1); the last page is full when count allows it.
int pageTop(int top, int current, int count, int64_t page);
