// The heart of the interaction. No event queue, no key repeat: a control held down acts in
// every tick, ten times a second, and the actions that block (a game, the menu, the game
// information, the controls set-up) forget the keys pressed meanwhile, and those held to close
// them until they are let go.
#include "core/actions.h"

#include "catalogue/catalogue.h"
#include "catalogue/filters.h"
#include "catalogue/history.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/controlsetup.h"
#include "core/infopages.h"
#include "core/lock.h"
#include "core/mainwindow.h"
#include "core/search.h"
#include "display/layout.h"
#include "display/mainscreen.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "platform/power.h"
#include "platform/stop.h"
#include "platform/window.h"
#include "popups/gameinfo.h"
#include "popups/message.h"
#include "popups/optionsmenu.h"
#include "runtime/controls.h"
#include "runtime/music.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdio>
#include <random>

// What an action answers the tick.
enum ActionOutcome
{
    EndsTick,      // nothing more happens in this tick (the screensaver woke, say)
    KeepsSequence, // the tick goes on; a power-off sequence under way goes on too
    BreaksSequence // the action ran to its end: a power-off sequence under way starts over
};

static int gameCount()
{
    return (int)VisibleGames.size();
}

static int& current()
{
    return FrontendState.CurrentGame;
}

static int imageBrowser()
{
    return FrontendSettings.MenuType == ViewImageBrowser;
}

// While the screensaver runs, the first action that wakes it does nothing else: the tick ends
// (0). Otherwise the idle countdown starts again.
static int wakeUp()
{
    if (FrontendState.ScreenSaverActive)
    {
        stopScreenSaver();
        return 0;
    }
    restartIdleTimer();
    return 1;
}

static void showMove()
{
    showMainWindowNow();
    playSkinSound(Skin.Sounds.ChangeGame, 1);
}

static ActionOutcome selectUp(Window*)
{
    if (!wakeUp()) return EndsTick;
    int columns = ScreenLayout.GridColumns;
    if (!imageBrowser())
        current() = current() > 0 ? current() - 1 : std::max(gameCount() - 1, 0);
    else if (columns > 0 && current() >= columns)
        current() -= columns;
    showMove();
    return BreaksSequence;
}

static ActionOutcome selectDown(Window*)
{
    if (!wakeUp()) return EndsTick;
    int columns = ScreenLayout.GridColumns;
    if (!imageBrowser())
        current() = current() < gameCount() - 1 ? current() + 1 : 0;
    else if (columns > 0 && current() < gameCount() - columns)
        current() += columns;
    showMove();
    return BreaksSequence;
}

// Pages stop at the ends of the list; pressing on against an end plays the Error sound.
static ActionOutcome selectPageUp(Window*)
{
    if (!wakeUp()) return EndsTick;
    if (current() > 0)
    {
        int step = imageBrowser() ? 1 : ScreenLayout.PageUpRows;
        current() = std::max(current() - step, 0);
        showMove();
    }
    else
        playSkinSound(Skin.Sounds.Error, 1);
    return BreaksSequence;
}

static ActionOutcome selectPageDown(Window*)
{
    if (!wakeUp()) return EndsTick;
    int last = gameCount() - 1;
    if (current() < last)
    {
        int64_t step = imageBrowser() ? 1 : ScreenLayout.PageDownRows;
        current() = (int)std::min<int64_t>(current() + step, last);
        showMove();
    }
    else
        playSkinSound(Skin.Sounds.Error, 1);
    return BreaksSequence;
}

// The first game of the next (step 1) or previous (step -1) initial, its letter shown a moment.
static ActionOutcome selectLetter(int step)
{
    if (!wakeUp()) return EndsTick;
    int target = gameOfNextInitial(current(), step);
    if (target < 0)
    {
        playSkinSound(Skin.Sounds.Error, 1);
        return BreaksSequence;
    }
    current() = target;
    showJumpInitial();
    showMove();
    return BreaksSequence;
}

static ActionOutcome selectLetterUp(Window*)
{
    return selectLetter(-1);
}

static ActionOutcome selectLetterDown(Window*)
{
    return selectLetter(1);
}

// The loop ends when it takes the quit message; the tick goes on meanwhile.
static ActionOutcome exitFrontend(Window*)
{
    playSkinSound(Skin.Sounds.Shutdown, 0);
    platformPostQuit(0);
    return KeepsSequence;
}

// The third step of the power-off sequence. A refusal ends the tick and keeps the stage, so
// the next StartGame asks again.
static ActionOutcome powerOff()
{
    if (!platformPowerOff()) return EndsTick;
    playSkinSound(Skin.Sounds.Shutdown, 0);
    platformPostQuit(0);
    return KeepsSequence;
}

static void runGame()
{
    // A game that failed is told over the list, not over the screen blanked for it.
    BeforeTellingOfAGame = showMainWindowNow;
    playSkinSound(Skin.Sounds.StartGame, 0);
    blankScreen();
    int exitCode;
    Game* game = selectedGame();
    // Counted once the emulator runs: a game that could not start was not played.
    launchGame(game, &exitCode, [game] { recordPlay(*game); }); // a failure was reported
    if (!platformStopRequested()) platformSleep(500);
    flushKeyboard(); // what was pressed during the game was meant for the game
    closeMessageWindow();
    // Drawn again rather than shown as it was: a video stopped for the game starts again after
    // its rest, and until then the screenshot is back.
    redrawMainWindow();
    restartIdleTimer();
}

static ActionOutcome startGame(Window*)
{
    if (FrontendState.ShutdownStage == PowerOffArmed) return powerOff();
    // Nothing to start: the countdown goes on.
    if (!selectedGame()) return wakeUp() ? KeepsSequence : EndsTick;
    if (FrontendState.ScreenSaverActive)
    {
        stopScreenSaver();
        return EndsTick;
    }
    stopAllTimers(); // no timer runs while the game does
    runGame();
    return BreaksSequence;
}

int startShownGame(const Game* game)
{
    auto shown = std::find(VisibleGames.begin(), VisibleGames.end(), game);
    if (shown == VisibleGames.end()) return 0;
    current() = (int)(shown - VisibleGames.begin());
    if (FrontendState.ScreenSaverActive) stopScreenSaver();
    stopAllTimers(); // no timer runs while the game does
    runGame();
    return 1;
}

static ActionOutcome gameInfo(Window*)
{
    if (!wakeUp()) return EndsTick;
    const Game* game = selectedGame();
    if (!game) return KeepsSequence;
    std::vector<InfoPage> pages = informationPages(*game);
    if (!pages.empty()) showGameInfo(pages);
    return BreaksSequence;
}

// The list built again, on the game selected before when it is still shown (else the first).
static void rebuildKeepingSelection()
{
    std::string selected = selectedGame() ? selectedGame()->Name : "";
    rebuildVisibleGames();
    int found = selected.empty() ? -1 : findGameByName(selected);
    current() = found >= 0 && found < gameCount() ? found : 0;
    redrawMainWindow();
}

// After the menu: the filters or the emulator may have changed, so the list is rebuilt (and
// leaves a search) and the game selected before is found again by name (the first game when it
// is gone).
static void applyMenuChoices()
{
    SearchText.clear();
    rebuildKeepingSelection();
}

static ActionOutcome showMenu(Window*)
{
    if (!wakeUp()) return EndsTick;
    if (runOptionsMenu()) applyMenuChoices();
    return BreaksSequence;
}

static ActionOutcome configControls(Window*)
{
    if (!FrontendSettings.AllowMenu) return KeepsSequence;
    configureControls();
    return BreaksSequence;
}

static ActionOutcome shutdown1(Window*)
{
    FrontendState.ShutdownStage = PowerOffStarted;
    return KeepsSequence;
}

static ActionOutcome shutdown2(Window*)
{
    if (FrontendState.ShutdownStage == PowerOffStarted) FrontendState.ShutdownStage = PowerOffArmed;
    return KeepsSequence;
}

// The game keeps its place in the list until the list is next rebuilt, so that a mark taken
// off by mistake (in the favourites, say) can be put back at once.
static ActionOutcome toggleFavouriteGame(Window*)
{
    if (!wakeUp()) return EndsTick;
    Game* game = selectedGame();
    if (!game)
    {
        playSkinSound(Skin.Sounds.Error, 1);
        return BreaksSequence;
    }
    toggleFavourite(*game);
    showMainWindowNow();
    return BreaksSequence;
}

void showEmulatorView(int view)
{
    FrontendState.CurrentEmulator = view;
    Skin.ShownEmulator = view == AllEmulators     ? AllEmulatorsName
                         : view == FavouriteGames ? FavouriteGamesName
                                                  : EmulatorTable[view]->Name;
    SearchText.clear();
    rebuildVisibleGames();
}

// Emulator 0, 1, ..., the last, then the favourites, then all of them, then emulator 0 again.
static ActionOutcome changeEmulator(Window*)
{
    int shown = FrontendState.CurrentEmulator;
    if (shown == FavouriteGames)
        shown = AllEmulators;
    else if (shown + 1 < (int)EmulatorTable.size())
        shown++;
    else
        shown = FavouriteGames;
    showEmulatorView(shown);
    current() = 0;
    redrawMainWindow();
    return KeepsSequence;
}

static ActionOutcome search(Window*)
{
    if (!wakeUp()) return EndsTick;
    runSearch();
    return BreaksSequence;
}

static ActionOutcome randomGame(Window*)
{
    if (!wakeUp()) return EndsTick;
    static std::mt19937_64 draws(std::random_device{}());
    int target = otherGameAt(current(), gameCount(), draws());
    if (target < 0)
    {
        playSkinSound(Skin.Sounds.Error, 1);
        return BreaksSequence;
    }
    current() = target;
    showMove();
    return BreaksSequence;
}

// Not a wake-up: music goes on under the screensaver, and skipping a track is no activity
// at the cabinet's list.
static ActionOutcome nextTrack(Window*)
{
    skipTrack();
    return KeepsSequence;
}

struct ActionRow
{
    Action Target;
    ActionOutcome (*Handler)(Window* mainWindow);
    int OncePerPress = 0; // a held key acts once, not in every tick
};

// The order a tick carries the actions out in.
static const ActionRow ActionRows[] = {
    {ActionSelectUp, selectUp},
    {ActionSelectDown, selectDown},
    {ActionSelectPageUp, selectPageUp},
    {ActionSelectPageDown, selectPageDown},
    {ActionSelectLetterUp, selectLetterUp},
    {ActionSelectLetterDown, selectLetterDown},
    {ActionToggleFavourite, toggleFavouriteGame, 1}, // held over two ticks, it would undo itself
    {ActionRandomGame, randomGame},
    {ActionSearch, search},
    {ActionExit, exitFrontend},
    {ActionStartGame, startGame},
    {ActionGameInfo, gameInfo},
    {ActionShowMenu, showMenu},
    {ActionConfigControls, configControls},
    {ActionShutdown1, shutdown1},
    {ActionShutdown2, shutdown2},
    {ActionChangeEmu, changeEmulator},
    {ActionNextTrack, nextTrack, 1}, // a held key would skip ten tracks a second
};

// When the "Locked" or "Unlocked" message goes; 0 while none shows.
static int64_t LockMessageUntil;
const int LockMessageMs = 1500;

// The list is built again: mature games come and go with the lock.
static void switchLock()
{
    FrontendSettings.Locked = !FrontendSettings.Locked;
    FrontendState.ShutdownStage = PowerOffIdle;
    fprintf(stderr, "The lock sequence %s the cabinet\n",
            FrontendSettings.Locked ? "locked" : "unlocked");
    saveLockSetting();
    rebuildKeepingSelection();
    showMessage(FrontendSettings.Locked ? "Locked" : "Unlocked");
    LockMessageUntil = platformMilliseconds() + LockMessageMs;
}

static void closeLockMessage()
{
    if (LockMessageUntil == 0 || platformMilliseconds() < LockMessageUntil) return;
    LockMessageUntil = 0;
    closeMessageWindow();
    redrawMainWindow();
}

// The sequence's moves move the selection as usual, the one that completes it too; any other
// action that completes it only switches the lock: the game information or the menu opening
// at that moment would hide the message.
static void takeLockEntries(TickActions& tick)
{
    if (!noteLockEntries(tick.NewlyPressed, platformMilliseconds())) return;
    Action last = Lock.Sequence.back();
    if (!isMove(last)) tick.Active[last] = 0;
    switchLock();
}

// The selection moved by a trackball's rows and a spinner's pages: rows as the Up and Down keys
// move it, pages as Left and Right, drawn once however far it went.
static void moveBySteps(PointerSteps steps)
{
    int count = gameCount(), before = current();
    if (count == 0) return;
    int columns = ScreenLayout.GridColumns;
    if (!imageBrowser())
        current() = (int)(((int64_t)current() + steps.Rows) % count + count) % count;
    else if (columns > 0)
    {
        int64_t target = current() + (int64_t)steps.Rows * columns;
        while (target < 0) target += columns;
        while (target > count - 1) target -= columns;
        current() = (int)target;
    }
    int64_t page = imageBrowser()    ? 1
                   : steps.Pages > 0 ? ScreenLayout.PageDownRows
                                     : ScreenLayout.PageUpRows;
    current() = (int)std::clamp<int64_t>(current() + steps.Pages * page, 0, count - 1);
    if (current() != before) showMove();
}

// A whole page of rows a tick at most, as Left and Right move.
static void followPointer()
{
    PointerSteps steps = takePointerSteps(std::max(ScreenLayout.PageDownRows, 1));
    if (steps.Rows == 0 && steps.Pages == 0) return;
    FrontendState.ShutdownStage = PowerOffIdle;
    if (wakeUp()) moveBySteps(steps);
}

void processTick(Window* mainWindow)
{
    TickActions tick;
    followPointer();
    sampleTick(tick);
    takeLockEntries(tick);
    const int* active = tick.Active;
    const int* newlyPressed = tick.NewlyPressed;
    int refused = 0; // one key may stand for two stopped actions: one sound
    for (const ActionRow& row : ActionRows)
    {
        if (!active[row.Target] || (row.OncePerPress && !newlyPressed[row.Target])) continue;
        if (lockStops(row.Target))
        {
            if (newlyPressed[row.Target] && !refused++) playSkinSound(Skin.Sounds.NotAllowed, 1);
            continue;
        }
        ActionOutcome outcome = row.Handler(mainWindow);
        if (outcome == EndsTick) return;
        if (outcome == BreaksSequence) FrontendState.ShutdownStage = PowerOffIdle;
    }
    closeLockMessage();
    static uint64_t titleShown;
    if (Skin.StatusBarMusic && Music.TitleChanges != titleShown && !FrontendState.ScreenSaverActive)
    {
        titleShown = Music.TitleChanges;
        redrawMainWindow();
    }
    // The screensaver's own redraws never show the initial.
    if (jumpInitialExpired() && !FrontendState.ScreenSaverActive) redrawMainWindow();
}
