// The main window's procedure, its timers and the screensaver they run.
#include "core/mainwindow.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/mainscreen.h"
#include "display/videoplayer.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <climits>

static void onCreate(Window* window)
{
    FrontendState.BackBuffer = renewBackBuffer(window, nullptr);
    FrontendState.WindowSurface = platformWindowSurface(window); // the back buffer, shown
}

// The first size comes before anything can be drawn; a later one (the screen resized or
// turned under a running front end) is redrawn at once, or the screen would stay blank until
// the next move. The screensaver draws its next picture when its timer comes.
static void onSize(Window* window)
{
    Surface* previous = FrontendState.BackBuffer;
    int resized = previous && platformSurfaceWidth(previous) > 0;
    FrontendState.BackBuffer = renewBackBuffer(window, previous);
    FrontendState.WindowSurface = platformWindowSurface(window);
    if (resized && !FrontendState.ScreenSaverActive) redrawMainWindow();
}

static void onTimer(intptr_t id)
{
    if (id == IdleTimer)
        startScreenSaver();
    else if (id == ScreenSaverTimer)
        nextScreenSaverPicture();
}

intptr_t mainWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    if (handleCommonMessage(window, kind, FrontendState.BackBuffer)) return 0;
    switch (kind)
    {
    case MsgCreate:
        onCreate(window);
        return 0;
    case MsgDestroy:
        platformPostQuit(0);
        return 0;
    case MsgSize:
        onSize(window);
        return 0;
    case MsgTimer:
        onTimer(param1);
        return 0;
    default:
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
}

// A period of 0 seconds or less turns the timer off: a screensaver that started or changed
// its picture every few milliseconds would only flicker. A huge one waits as long as a timer
// can, about 24 days.
static int timerPeriod(int seconds)
{
    if (seconds <= 0) return 0;
    int64_t milliseconds = (int64_t)seconds * 1000;
    return milliseconds > INT_MAX ? INT_MAX : (int)milliseconds;
}

static void startTimer(int id, int seconds)
{
    int period = timerPeriod(seconds);
    if (period > 0)
        platformSetTimer(FrontendState.MainWindow, id, period);
    else
        platformKillTimer(FrontendState.MainWindow, id);
}

void redrawMainWindow()
{
    drawMainScreen(FrontendState.BackBuffer);
    platformInvalidate(FrontendState.MainWindow, 0);
}

void showMainWindowNow()
{
    redrawMainWindow();
    platformUpdateWindow(FrontendState.MainWindow);
}

// The game after the selection; for videos, the next game that has one, from the one after
// the selection round to the selection itself (it stays where it was when none has).
static void moveScreenSaverOn()
{
    int count = (int)VisibleGames.size();
    int& current = FrontendState.CurrentGame;
    if (count < 1) return;
    if (FrontendSettings.ScreenSaverType != SaverVideos)
    {
        current = (current + 1) % count;
        return;
    }
    std::string path;
    for (int step = 1; step <= count; step++)
        if (findGameVideo(VisibleGames[(current + step) % count], path))
        {
            current = (current + step) % count;
            return;
        }
}

int (*PlayScreenSaver)();

void startScreenSaver()
{
    if (PlayScreenSaver && PlayScreenSaver()) return;
    FrontendState.ScreenSaverActive = 1;
    nextScreenSaverPicture();
    platformKillTimer(FrontendState.MainWindow, IdleTimer);
    startTimer(ScreenSaverTimer, FrontendSettings.ScreenSaverChangeInterval);
}

void nextScreenSaverPicture()
{
    moveScreenSaverOn();
    redrawMainWindow();
}

void stopScreenSaver()
{
    int wasActive = FrontendState.ScreenSaverActive;
    FrontendState.ScreenSaverActive = 0;
    platformKillTimer(FrontendState.MainWindow, ScreenSaverTimer);
    restartIdleTimer();
    // The key that wakes the screen does nothing else, so nothing else would draw the list
    // over the screensaver's last picture.
    if (wasActive) redrawMainWindow();
}

void restartIdleTimer()
{
    startTimer(IdleTimer, FrontendSettings.ScreenSaverStartInterval);
}

void videoEnded()
{
    if (!FrontendState.ScreenSaverActive)
    {
        redrawMainWindow(); // the screenshot again
        return;
    }
    // The next video gets its whole time.
    nextScreenSaverPicture();
    startTimer(ScreenSaverTimer, FrontendSettings.ScreenSaverChangeInterval);
}

void stopAllTimers()
{
    stopVideo(); // nothing plays while a game runs
    stopScreenSaver();
    platformKillTimer(FrontendState.MainWindow, IdleTimer);
}

void playSkinSound(const std::optional<std::string>& fileName, int withoutWaiting)
{
    if (!fileName || fileName->empty()) return;
    platformPlayWave(skinFolder() + "/" + *fileName, !withoutWaiting);
}
