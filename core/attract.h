// The Play screensaver: random games that play themselves while nobody is at the cabinet.
#pragma once

#include <vector>

const int DemoFailuresAllowed = 3; // in a row; then the screensaver shows pictures instead

struct AttractRecord
{
    int GaveUp = 0;      // the demo games failed: the screensaver shows pictures from now on
    int LastPicked = -1; // the game of the last demo, in VisibleGames
};
extern AttractRecord Attract;

// The screensaver's turn with ScreenSaverType Play: 1 when demo games played (or will once the
// player has left the pop-up open over the list), 0 when pictures are to be shown instead.
int startAttractPlay();
// The places in VisibleGames of the games whose emulator lets them play as demos.
std::vector<int> demoCandidates();
// Plays demo games one after another, each for AttractPlaySeconds, until a control is touched
// or the front end is told to stop; then the list shows again on the game selected before.
// Answers 0 when no demo could play (none allowed, or DemoFailuresAllowed failed in a row):
// the caller shows pictures instead.
int runAttractPlay();
