// The game-information window (the scroll window): a framed pop-up over the middle of the main
// screen showing a game's information text word-wrapped to its width, scrolled line by line
// with the up and down controls and closed by the exit or game-information control. It runs a
// message loop of its own, with the main loop's 100 ms input tick, until it closes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Window;
struct Surface;

const char* const ScrollWindowClass = "ScrollWndClass";
// Pixels between the window's edges and the text, on every side.
const int ScrollTextMargin = 6;

// The one scroll window while it is open (null otherwise), and the index in its wrapped lines
// of the line shown at the top.
extern Window* ScrollWindow;
extern int ScrollTopLine;

// Opens the scroll window on the lines and returns when the player has closed it: 1, or 0
// when the window class cannot be registered or the window cannot be made (the player is
// told). No lines return 1 at once, with no window.
int showGameInfo(const std::vector<std::string>& lines);
// The lines broken into pieces that fit the window's client width less the margins, measured
// in dc's font: at the last white space before which a piece fits (that one
// white-space character is dropped), else after its last character that fits. A line's last
// piece is kept once all of it but its last character fits, and a character wider than the
// window makes a piece alone (a line of only that character is dropped). No lines, and a line
// on standard output, when dc's font cannot measure.
std::vector<std::string> wordWrapText(Window* window, Surface* dc,
                                      const std::vector<std::string>& lines);
