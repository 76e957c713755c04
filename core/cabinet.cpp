// Everything is noticed by looking once a tick rather than told by every action, so that no
// way of changing the selection (a move, the search, the menu, the socket) can be missed.
#include "core/cabinet.h"

#include "catalogue/catalogue.h"
#include "core/controlsocket.h"
#include "core/events.h"
#include "core/marquee.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

CabinetWatchRecord CabinetWatch;

static int64_t selectionRestedMs()
{
    return platformMilliseconds() - CabinetWatch.SelectedSince;
}

static void noteScreenSaver()
{
    int active = FrontendState.ScreenSaverActive != 0;
    if (active == CabinetWatch.ScreenSaver) return;
    CabinetWatch.ScreenSaver = active;
    const Game* game = selectedGame();
    startEventCommand(active ? EventScreenSaverStart : EventScreenSaverEnd, game);
    tellSubscribers(active ? NewsScreenSaverStart : NewsScreenSaverEnd, "");
}

static void noteSelection()
{
    const Game* game = selectedGame();
    if (game != CabinetWatch.Selected)
    {
        CabinetWatch.Selected = game;
        CabinetWatch.SelectedSince = platformMilliseconds();
        CabinetWatch.SelectionTold = 0;
        tellSubscribers(NewsSelected, "");
    }
    if (CabinetWatch.SelectionTold || selectionRestedMs() < SelectionRestMs) return;
    CabinetWatch.SelectionTold = 1;
    startEventCommand(EventSelectionChanged, game);
}

void cabinetStep()
{
    if (!CabinetWatch.Running) return;
    noteScreenSaver();
    noteSelection();
    marqueeStep(selectionRestedMs());
    eventsStep();
    serveControlSocket(0);
}

static void whileGameRuns()
{
    noteScreenSaver();
    marqueeStep(selectionRestedMs());
    eventsStep();
    serveControlSocket(1);
}

static void gameNews(const Game* game, int started)
{
    marqueeGameNews(game, started);
    startEventCommand(started ? EventGameStart : EventGameEnd, game);
    tellSubscribers(started ? NewsGameStart : NewsGameEnd, game->Name);
}

void startCabinet()
{
    CabinetWatch = CabinetWatchRecord();
    CabinetWatch.Running = 1;
    CabinetWatch.Selected = selectedGame();
    CabinetWatch.SelectedSince = platformMilliseconds();
    startMarqueeScreen();
    startControlSocket();
    startEventCommand(EventStartup, selectedGame());
    AfterTick = cabinetStep;
    WhileGameRuns = whileGameRuns;
    GameNews = gameNews;
}

void stopCabinet()
{
    AfterTick = nullptr;
    WhileGameRuns = nullptr;
    GameNews = nullptr;
    if (CabinetWatch.Running) startEventCommand(EventQuit, selectedGame());
    CabinetWatch = CabinetWatchRecord();
    stopControlSocket();
    stopMarqueeScreen();
    stopEvents();
}
