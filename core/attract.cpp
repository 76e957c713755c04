// A demo game is started as any game is, but counts no play, shows no box when it fails and
// gives way to the first touch of a control.
#include "core/attract.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "core/mainwindow.h"
#include "display/mainscreen.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "platform/stop.h"
#include "popups/message.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <cstdio>
#include <random>

AttractRecord Attract;

// A demo that ends by itself sooner was no demo: its emulator may lack the game's files.
const int64_t ShortestDemoMs = 5000;

std::vector<int> demoCandidates()
{
    std::vector<int> candidates;
    for (int i = 0; i < (int)VisibleGames.size(); i++)
    {
        const Emulator* emulator = emulatorOf(VisibleGames[i]);
        if (emulator && emulator->AttractPlay) candidates.push_back(i);
    }
    return candidates;
}

// Another game than the last one, when there is another.
static int pickDemo(const std::vector<int>& candidates)
{
    static std::mt19937_64 draws(std::random_device{}());
    size_t count = candidates.size(), k = draws() % count;
    if (candidates[k] == Attract.LastPicked && count > 1)
        k = (k + 1 + draws() % (count - 1)) % count;
    Attract.LastPicked = candidates[k];
    return candidates[k];
}

// What failed was told by the launch, except a game that left at once without complaint.
static int failed(const Game* game, GameEnding ending, int64_t ranMs)
{
    if (ending == GameNotStarted || ending == GameFailedAtOnce) return 1;
    if (ending != GameEnded || ranMs >= ShortestDemoMs) return 0;
    fprintf(stderr, "Demo game %s ended by itself at once: skipped\n", game->Name.c_str());
    return 1;
}

// One demo after another; the ending of the last one.
static GameEnding playDemos(const std::vector<int>& candidates)
{
    int failures = 0;
    while (!platformStopRequested())
    {
        const Game* game = VisibleGames[pickDemo(candidates)];
        blankScreen();
        int64_t start = platformMilliseconds();
        GameEnding ending = launchDemoGame(game, FrontendSettings.AttractPlaySeconds);
        if (!failed(game, ending, platformMilliseconds() - start))
            failures = 0;
        else if (++failures >= DemoFailuresAllowed)
            return GameNotStarted;
        if (ending == GameEndedByInput || ending == GameEndedByHold || ending == GameEndedByStop ||
            ending == GameEndedByRequest)
            return ending;
    }
    return GameEndedByStop;
}

int runAttractPlay()
{
    std::vector<int> candidates = demoCandidates();
    if (candidates.empty())
    {
        static int told;
        if (!told++)
            fprintf(stderr, "No game shown may play as a demo (AttractPlay=1): the screensaver "
                            "shows pictures meanwhile\n");
        return 0;
    }
    int selected = FrontendState.CurrentGame;
    stopAllTimers(); // no timer runs while a game does
    FrontendState.ScreenSaverActive = 1;
    GameEnding ending = playDemos(candidates);
    FrontendState.ScreenSaverActive = 0;
    FrontendState.CurrentGame = selected;
    flushKeyboard(); // the touch that ended the demo was not meant for the list
    closeMessageWindow();
    if (ending == GameNotStarted)
    {
        fprintf(stderr,
                "%d demo games in a row failed: the screensaver shows pictures from now "
                "on\n",
                DemoFailuresAllowed);
        Attract.GaveUp = 1;
        return 0;
    }
    redrawMainWindow();
    restartIdleTimer();
    return 1;
}

// Demo games start only over the list: a player who rests in the menu is still there.
int startAttractPlay()
{
    if (FrontendSettings.ScreenSaverType != SaverPlay || Attract.GaveUp) return 0;
    if (TickLoopDepth > 1)
    {
        restartIdleTimer();
        return 1;
    }
    return runAttractPlay();
}
