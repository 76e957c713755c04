// The main screen, drawn whole into the back buffer at every change: the screensaver's
// picture, or the background, the status bar and either the list of names with the current
// game's pictures or the image browser.
#pragma once

#include <cstdint>
#include <string>

struct Game;
struct Surface;
struct Rect;

// Index in VisibleGames of the first game on the shown page; kept between redraws and moved
// only by the page rule, a whole page at a time.
extern int ListTop;
// The status bar's text height, set whenever the bar is drawn; artwork anchored to the bottom
// and the page moves keep clear of it.
extern int StatusBarHeight;

// Redraws everything into dc (the back buffer). While the screensaver runs, the selection
// moves on by one game and only that game's picture is drawn.
int drawMainScreen(Surface* dc);
// The list view into area: the names, the highlight bar and the current game's pictures.
void drawGameList(Surface* dc, Rect area);
// The bar along the bottom of a width x height area, for the game at index current.
void drawStatusBar(Surface* dc, int current, int width, int height);
// The status bar's right-hand text: " (<emulator or All>) <current + 1>/<count>".
std::string statusBarPosition(int current);
// The left-hand text naming the game's screen, orientation, year and maker; empty unless the
// game has all of them.
std::string statusBarDetails(const Game& game);
void drawHighlightBar(Surface* dc, int current, Rect list, int lineHeight, int rows);
void drawGameNames(Surface* dc, int current, Rect list, int lineHeight, int rows);
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
// Paints the whole screen black before a game starts.
void blankScreen();
