// Decoding ahead. While the player is idle between ticks, the pictures the next moves will
// show (the artwork of the nearby games, the image browser's next and previous pages, the
// screensaver's next picture) are decoded into the picture cache, one picture at a time, so
// that the move itself finds them ready.
#pragma once

// Decodes the next picture the last drawn screen's moves would show, when millisecondsLeft
// (until the next tick) leaves room for one. 1 when a picture was decoded; 0 when none fits
// the time, none is left, or the picture cache has no room left under its budget.
int prefetchStep(int millisecondsLeft);
// Drops the plan; the next step plans from the screen drawn last.
void forgetPrefetch();
