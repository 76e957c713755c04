// The displays the system lists, and a second screen on one of them: a full-screen window of
// its own, outside the window system of platform/window.h, that shows one picture (a marquee
// above the cabinet's monitor). It never takes the keyboard from the screen's window.
#pragma once

#include <string>

struct Surface;

// The displays the system lists now, counted from 0; the one the screen's window is on.
int platformDisplayCount();
int platformScreenDisplay();
// Counts the times displays were connected or disconnected since the start.
int platformDisplayChanges();

// Opens the second screen on display (closing one open elsewhere); 1 when it shows, with its
// size in width and height as the display lies (before any turn). 0, with why in a few words,
// when it cannot.
int platformOpenSecondScreen(int display, int* width, int* height, std::string& why);
void platformCloseSecondScreen();
// Why the layer closed the second screen itself since the last call (the compositor put it on
// the main screen's display, or the main window onto its display); empty when it did not.
std::string platformTakeSecondScreenLoss();
// The display the second screen is on; -1 while none is open.
int platformSecondScreenDisplay();
// Shows picture on the second screen turned by degrees clockwise (0, 90, 180 or 270): with 90
// its top edge lies along the screen's right edge, so a picture for a turned screen is as wide
// as the screen is high. Kept, and shown again whenever the window system asks.
void platformShowOnSecondScreen(const Surface* picture, int degrees);
