// The main screen, drawn whole into the back buffer at every change: the screensaver's
// picture, or the background, the status bar and either the list of names with the current
// game's pictures or the image browser.
#pragma once

#include <string>

struct Game;
struct Surface;
struct Rect;

// Redraws everything into surface (the back buffer) and fills ScreenLayout. While the screensaver
// runs, only the selected game's picture is drawn (or its video played).
void drawMainScreen(Surface* surface);
// The list view into area: the names, the highlight bar and the current game's pictures.
void drawGameList(Surface* surface, Rect area);
// The bar along the bottom of a width x height area, for the game at index current.
void drawStatusBar(Surface* surface, int current, int width, int height);
// The status bar's right-hand text: " (<emulator or All>) <current + 1>/<count>".
std::string statusBarPosition(int current);
// The left-hand text: the game's screen, orientation, year and maker (empty unless the game
// has all of them), and its category when the skin asks for it.
std::string statusBarDetails(const Game& game);
void drawHighlightBar(Surface* surface, int current, Rect list, int lineHeight, int rows);
void drawGameNames(Surface* surface, int current, Rect list, int lineHeight, int rows);
// Shows the current game's initial ("A" to "Z", "#" for any other) large over the list or the
// grid for a moment: the redraws until then draw it, unless the selection has moved on.
void showJumpInitial();
// 1, once, when that moment has passed while the screen still shows it: the caller redraws.
int jumpInitialExpired();
// Paints the whole screen black before a game starts.
void blankScreen();
