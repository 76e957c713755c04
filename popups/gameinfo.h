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

// The state of the one scroll window; all of it is set when the window opens and cleared when
// it closes.
// The lines shown and how many of them: borrowed from the game, never changed here.
extern const std::vector<std::string>* ScrollInfoLines;
extern int ScrollInfoLineCount;
// The information lines wrapped to the window's width: owned, rebuilt at every size change.
extern std::vector<std::string> WrappedLines;
// Index in WrappedLines of the line shown at the top.
extern int ScrollTopLine;
extern Window* ScrollWindow;
// The window's own surface, and the client-sized back buffer the text is drawn into; painting
// only copies the back buffer.
extern Surface* ScrollWindowDC;
extern Surface* ScrollBackBuffer;

// Opens the scroll window on the first count lines and returns when the player has closed it:
// 1, or 0 when the window class cannot be registered or the window cannot be made (the player
// is told). A count below 1 returns 1 at once, with no window.
int showGameInfo(const std::vector<std::string>& lines, int count);
// The first count lines broken into pieces that fit the window's client width less the
// margins, measured in dc's font: at the last white space before which a piece fits (that one
// white-space character is dropped), else after its last character that fits. A line's last
// piece is kept once all of it but its last character fits, and a character wider than the
// window makes a piece alone (a line of only that character is dropped). No lines, and a line
// on standard output, when dc's font cannot measure.
std::vector<std::string> wordWrapText(Window* window, Surface* dc,
                                      const std::vector<std::string>& lines, int count);
// Forgets every wrapped line.
void freeWrappedLines();
// Draws the wrapped lines from ScrollTopLine into the back buffer: whole lines only, each
// ScrollTextMargin pixels clear of the top, left and bottom edges.
void paintScrollText(Window* window);
// One input tick: scrolls one line up or down, or sets *done for the exit and
// game-information controls.
void pollScrollInput(Window* window, int* done);
// The window's message loop, which dispatches the main window's messages too; returns when the
// window is to close (done, or a quit message, which it takes).
void runScrollLoop(Window* window);
intptr_t scrollWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2);
