// What the cabinet's other screens and programs follow: the selection, the games and the
// screensaver, passed on to the marquee screen, the [Events] commands and the control socket's
// subscribers.
#pragma once

#include <cstdint>

struct Game;

const int SelectionRestMs = 300; // before SelectionChanged's command starts

struct CabinetWatchRecord
{
    int Running = 0;
    const Game* Selected = nullptr;
    int64_t SelectedSince = 0; // on the platform clock
    int SelectionTold = 0;     // SelectionChanged's command started for it
    int ScreenSaver = 0;       // as last seen
};
extern CabinetWatchRecord CabinetWatch;

// After the first screen: the marquee screen, the socket, the Startup command; from then on
// the steps run between ticks and while games run.
void startCabinet();
// Between ticks, in every loop.
void cabinetStep();
// At exit: the Quit command, and the socket and the marquee screen closed.
void stopCabinet();
