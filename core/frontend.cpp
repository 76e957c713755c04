// The program's spine: start-up, the loading of the catalogue, the fixed 100 ms main loop
// and the orderly exit.
#include "core/frontend.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "catalogue/categories.h"
#include "catalogue/emulators.h"
#include "catalogue/filters.h"
#include "catalogue/gamelist.h"
#include "catalogue/history.h"
#include "catalogue/keytable.h"
#include "catalogue/romscan.h"
#include "config/ini.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/actions.h"
#include "core/attract.h"
#include "core/cabinet.h"
#include "core/infopages.h"
#include "core/lock.h"
#include "core/mainwindow.h"
#include "core/mameload.h"
#include "display/artwork.h"
#include "display/layout.h"
#include "display/mainscreen.h"
#include "display/prefetch.h"
#include "display/videoplayer.h"
#include "launch/launch.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/messagebox.h"
#include "platform/sound.h"
#include "platform/stop.h"
#include "platform/window.h"
#include "popups/message.h"
#include "runtime/controls.h"
#include "runtime/music.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>
#include <cstdio>

void (*MainLoopTick)(Window* mainWindow) = processTick;
int EndProcessWithFrontend;

void hideCursor()
{
    while (platformShowPointer(0) >= 0)
    {
    }
}

void showCursor()
{
    while (platformShowPointer(1) < 0)
    {
    }
}

static int loadEmulatorGames(int index)
{
    const Emulator& emulator = *EmulatorTable[index];
    if (emulator.Kind == EmulatorMame) return loadMameEmulator(emulator, index);
    showMessage(message("Discovering {1} roms...", {emulator.Name}));
    discoverRoms(&emulator, index);
    return 1;
}

static int selectedGameIndex()
{
    const std::string& selected = FrontendSettings.SelectedGame;
    int index = selected.empty() ? -1 : findGameByName(selected);
    std::string unescaped; // a name with a line break is saved escaped
    if (index < 0 && selected.find('\\') != std::string::npos &&
        unescapeLineText(selected, unescaped))
        index = findGameByName(unescaped);
    return index > 0 ? index : 0;
}

// Steps after the games are in: the selection, and the start of the running state.
static int finishLoading()
{
    showMessage("Filtering And Sorting Roms...");
    loadPlayHistory();
    mergeGameListPlays();
    openInformationFiles();
    sortAllGames();
    rebuildVisibleGames();
    flushKeyboard(); // keys pressed while loading must trigger nothing
    FrontendState.CurrentGame = selectedGameIndex();
    loadBackgroundImage();
    closeMessageWindow();
    initJoystick();
    playSkinSound(Skin.Sounds.Startup, 1);
    startMusic();
    restartIdleTimer();
    std::string reasons;
    if (VisibleGames.empty())
        for (const std::string& reason : emptyListReasons())
        {
            fprintf(stderr, "No games shown: %s\n", reason.c_str());
            reasons += "\n" + reason;
        }
    if (AllGames.empty())
    {
        // Only the total counts: filters that hide every game still give a usable screen.
        showError(message("No games found!") + reasons);
        return 0;
    }
    return 1;
}

int loadCatalogue()
{
    FrontendState.ScreenSaverActive = 0;
    showMessage("Building Emulator List...");
    loadEmulators();
    // An emulator of the skin's name is shown rather than "All" or "Favourites".
    int shown = emulatorNamed(Skin.ShownEmulator);
    FrontendState.CurrentEmulator = shown >= 0                                 ? shown
                                    : Skin.ShownEmulator == FavouriteGamesName ? FavouriteGames
                                                                               : AllEmulators;
    int loaded = 1;
    for (int i = 0; i < (int)EmulatorTable.size() && loaded; i++)
    {
        loaded = !platformStopRequested() && loadEmulatorGames(i);
        if (loaded) applyGameList(i);
    }
    finishMameLists();
    return loaded && finishLoading();
}

// Between ticks a video's frame is shown when its time comes; until the next one is due the
// pictures of the next moves are decoded ahead.
static int betweenTicks(int millisecondsLeft)
{
    VideoStep step = videoStep();
    if (step == VideoEnded) videoEnded();
    if (step != VideoIdle) return 1;
    return prefetchStep(std::min(millisecondsLeft, videoMillisecondsToNextFrame()));
}

int runMainLoop()
{
    int code = 0;
    if (runTickLoop([] { MainLoopTick(FrontendState.MainWindow); }, nullptr, &code, betweenTicks))
        return code;
    showError(NoCounterText);
    return -1;
}

int saveFrontendSettings()
{
    // One replacement of the file for the whole save: about fifty keys per emulator would
    // otherwise each rewrite and flush it.
    iniHoldWrites(FrontendSettings.ConfigFile);
    const Game* game = selectedGame();
    // With an empty list there is no game to remember; the last one named stays.
    writeFrontendSettings(game ? std::optional(game->Name) : std::nullopt);
    saveEmulatorFilters();
    int saved = iniFlushWrites();
    if (!FrontendSettings.SkinName.empty()) saved = saveSkin() && saved;
    return saved;
}

void resetFrontend()
{
    stopCabinet();
    stopMusic();
    PlayScreenSaver = startAttractPlay;
    Attract = AttractRecord();
    forgetPlayHistory();
    freeCatalogue();
    forgetCategories();
    forgetGameLists();
    freeEmulators();
    freeSkin();
    shutDownVideo(); // before the pictures it draws from and the back buffer it draws into
    freeArtwork();
    forgetPrefetch();
    FrontendSettings.MameinfoDat.clear();
    closeInformationFiles();
    FrontendSettings.SelectedGame.clear();
    FrontendStateRecord kept = FrontendState;
    FrontendState = FrontendStateRecord();
    FrontendState.MainWindow = kept.MainWindow;
    FrontendState.WindowSurface = kept.WindowSurface;
    FrontendState.BackBuffer = kept.BackBuffer;
    ScreenLayout = ScreenLayoutRecord();
}

void releaseResources()
{
    resetFrontend();
    if (FrontendState.BackBuffer) platformFreeSurface(FrontendState.BackBuffer);
    FrontendState.BackBuffer = nullptr;
    FrontendState.WindowSurface = nullptr; // the window's own surface goes with the window
}

int createMainWindow()
{
    if (!platformStart() || !platformRegisterClass(MainWindowClass, mainWindowProc))
    {
        platformMessageBox(nullptr, "Failed to register window class!", "Error");
        return 0;
    }
    FrontendState.MainWindow =
        platformCreateWindow(MainWindowClass, ProgramTitle, StylePopup, nullptr, DefaultPosition,
                             DefaultPosition, DefaultPosition, DefaultPosition, 0);
    if (!FrontendState.MainWindow)
    {
        platformMessageBox(nullptr, "Failed to create window!", "Error");
        return 0;
    }
    return 1;
}

// The first screen, once everything it shows is loaded: a selection past the end of a list
// that shrank since the last run starts at the first game.
static void showMainWindow()
{
    if (FrontendState.CurrentGame >= (int)VisibleGames.size()) FrontendState.CurrentGame = 0;
    platformShowWindow(FrontendState.MainWindow, ShowMaximized);
    drawMainScreen(FrontendState.BackBuffer);
    platformInvalidate(FrontendState.MainWindow, 0);
    platformUpdateWindow(FrontendState.MainWindow);
}

// What is left of the window system once the program is done with it. Also on the failure
// paths, so that a second start in the same process begins clean.
static void closeWindowSystem()
{
    closeMessageWindow();
    if (FrontendState.MainWindow) platformDestroyWindow(FrontendState.MainWindow);
    FrontendState.MainWindow = nullptr;
    platformUnregisterClass(MainWindowClass);
    platformStop();
}

// Loading failed: nothing is saved, so the configuration keeps what the user wrote.
static int failInitialization()
{
    // The box that said why is enough; a second one would only be read as another fault.
    if (FrontendState.ErrorsShown == 0)
        showError("Initialization failed");
    else
        fprintf(stderr, "Initialization failed\n");
    releaseResources();
    showCursor();
    closeWindowSystem();
    return 1;
}

// The way out after the main loop, or after a stop signal at any earlier moment: the settings
// saved as the player left them, everything released (by the system when the process ends
// here).
static int endFrontend(int code)
{
    stopCabinet();
    // Told once, whichever files failed; standard error names each of them.
    if (!saveFrontendSettings())
    {
        std::string why = iniLastWriteFailure();
        showError(
            message("Your settings could not be saved:\n{1}.\nThe settings saved before "
                    "are kept.",
                    {why.empty() ? message("the disk may be full or the file read-only") : why}));
    }
    // A full set's games alone take a tenth of a second to free one by one, and the player
    // is waiting for the screen.
    if (EndProcessWithFrontend) platformLeaveNow(code);
    releaseResources();
    showCursor();
    platformStopSound();
    platformShowPointer(1);
    closeWindowSystem();
    return code;
}

// Nothing can be shown any more: only the files are written.
static void saveWithoutDisplay()
{
    if (!saveFrontendSettings()) fprintf(stderr, "Your settings could not be saved\n");
}

int runFrontend(const std::string& commandLine)
{
    resetFrontend();
    platformShowPointer(0);
    FrontendSettings.ConfigFile = commandLine.empty() ? "./torvanell.ini" : commandLine;
    if (!createMainWindow())
    {
        closeWindowSystem();
        platformShowPointer(1);
        return 1; // a front end that never came up is a failure to whatever started it
    }
    WindowOwnsDisplayDevice = platformOwnsDisplayDevice();
    loadFrontendSettings();
    loadLock();
    platformWhenDisplayLost(saveWithoutDisplay);
    platformSetRotation(FrontendSettings.Rotation);
    loadSkin(); // its folder is named by the settings
    tellMistypedConfigurationKeys(FrontendSettings.ConfigFile);
    tellMistypedSkinKeys(skinFilePath());
    applyMessageBoxLook();
    int loaded = loadCatalogue();
    if (platformStopRequested()) return endFrontend(0);
    if (!loaded) return failInitialization();
    showMainWindow();
    startCabinet();
    platformSettleHeap();
    hideCursor();
    return endFrontend(runMainLoop());
}
