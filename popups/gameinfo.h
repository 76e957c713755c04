// The game-information window (the scroll window): a framed pop-up over the middle of the main
// screen showing a game's information text word-wrapped to its width, scrolled line by line
// with the up and down controls and closed by the exit or game-information control. A game with
// more than its information text (its story, its moves) has pages, turned with the left and
// right controls, under a band naming the page and its number. It runs a message loop of its
// own, with the main loop's 100 ms input tick, until it closes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Window;
struct Surface;

const char* const ScrollWindowClass = "ScrollWndClass";
// Pixels between the window's edges and the text, on every side.
const int ScrollTextMargin = 6;

// One page of the window.
struct InfoPage
{
    std::string Title; // empty only for a window of one page, which then has no band
    std::vector<std::string> Lines;
    int Glyphs; // the lines hold command glyphs, drawn as pictures
};

// The one scroll window while it is open (null otherwise), the page it shows and the index in
// that page's wrapped lines of the line shown at the top.
extern Window* ScrollWindow;
extern int ScrollPage;
extern int ScrollTopLine;

// Opens the scroll window on the lines and returns when the player has closed it: 1, or 0
// when the window class cannot be registered or the window cannot be made (the player is
// told). No lines return 1 at once, with no window.
int showGameInfo(const std::vector<std::string>& lines);
// The same on pages, opening on the first; pages without lines are not to be given.
int showGameInfo(const std::vector<InfoPage>& pages);
