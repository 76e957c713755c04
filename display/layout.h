// What the main screen keeps between redraws and the arithmetic of its places: shared by the
// list view, the image browser, the artwork boxes and the page moves.
#pragma once

#include <cstdint>

// What the last redraw laid out, from the skin as placed on the screen. The moves read it, so
// that they go by the page the player sees; only a redraw writes it.
struct ScreenLayoutRecord
{
    // Index in VisibleGames of the first game on the shown page; moved only by the page rule,
    // a whole page at a time.
    int ListTop;
    // The status bar's text height, set whenever the bar is drawn and kept while it is hidden;
    // artwork anchored to the bottom keeps clear of it while the bar shows.
    int StatusBarHeight;
    int PageRows; // whole names that fit in the list view; 0 when not even one does
    // How far a page back and a page on move in the list view: at least one name, also before
    // the first redraw.
    int PageUpRows = 1;
    int PageDownRows = 1;
    int GridColumns; // the image browser's cells in a row (as the skin says)
};
// Empty until the first redraw.
extern ScreenLayoutRecord ScreenLayout;
// The number of redraws so far: what the decoding ahead plans from.
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
