// The marquee screen: a second display above the cabinet's monitor that shows the selected
// game's marquee once the selection rests, the running game's while it plays and the
// screensaver's game during the screensaver.
#pragma once

#include <cstdint>

struct Game;
struct Surface;

struct MarqueeScreenRecord
{
    int SeenChanges = -1;        // the system's display changes last looked at
    int ToldMissing = 0;         // that the display is not there, since it was last used
    int Released = 0;            // given up while a game runs (ReleaseScreenDuringGame)
    const Game* Shown = nullptr; // the game whose picture shows
    int ShownSomething = 0;      // a picture was drawn since the window opened
    Surface* Picture = nullptr;  // upright, the screen's size turned by MarqueeRotation
};
extern MarqueeScreenRecord MarqueeScreen;

// The rest before the marquee follows the selection: the videos' VideoDelay, or 600 ms when
// videos are off.
int marqueeRestMs();
// Opens the screen when MarqueeDisplay names one (told once when it cannot).
void startMarqueeScreen();
// Between ticks and while a game runs: follows the displays and the game to show; the selection
// has rested restedMs since it last changed.
void marqueeStep(int64_t restedMs);
// A game's emulator started (1) or ended (0).
void marqueeGameNews(const Game* game, int started);
void stopMarqueeScreen();
