// Starting and ending the layer: SDL, the one full-screen window, fonts, sound, joystick.
#include "platform/internal.h"
#include "platform/memory.h"
#include "platform/stop.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <csignal>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>

LayerRecord Layer;
static int PointerCounter; // as the system's display counter: shown while >= 0

static void setHints()
{
    // The system's screen saver runs normally while the front end is idle; it is suspended
    // only while a game runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // The cabinet's stick must work even when another program has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // The front end handles the stop signals itself (platform/stop.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The name a compositor knows the windows by (weston's kiosk shell places them on outputs by
    // it), whatever the program file is called; an owner's own choice stays.
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "torvanell", 0);
    setenv("SDL_VIDEO_X11_WMCLASS", "torvanell", 0);
}

static int isHeadlessDriver(const char* driver)
{
    return !driver || strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0;
}

// Full screen is something a window manager grants: without one SDL waits a tenth of a second
// for an answer that never comes, and a borderless window at (0, 0) with the desktop's size
// covers the screen just as well.
Uint32 fullScreenFlag()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    int bareX = driver && strcmp(driver, "x11") == 0 && !xWindowManagerRunning();
    return bareX ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_FULLSCREEN_DESKTOP;
}

// The window is made at (0, 0) with the desktop's size: without a window manager X would
// otherwise leave it 800x600 and clipped.
int createScreen()
{
    SDL_DisplayMode mode;
    int width = 1024, height = 768;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
    {
        width = mode.w;
        height = mode.h;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN | fullScreenFlag();
    if (Layer.TestScreenWidth > 0 && Layer.TestScreenHeight > 0)
    {
        width = Layer.TestScreenWidth;
        height = Layer.TestScreenHeight;
        flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    }
    Layer.Screen = SDL_CreateWindow(Layer.Title.c_str(), 0, 0, width, height, flags);
    if (!Layer.Screen)
    {
        fprintf(stderr, "Cannot create the screen window: %s\n", SDL_GetError());
        return 0;
    }
    if (!Layer.Started)
        setScreenSize(width, height);
    else
        screenSizeChanged(width, height);
    return 1;
}

int platformStart()
{
    if (Layer.Started) return 1;
    platformPrepareHeap();
    platformWatchStopSignals();
    // A file-size limit must fail a write, as a full disk does, and standard error or a log
    // on a pipe whose reader went away must fail it too, not end the front end unsaved.
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    setHints();
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0)
    {
        fprintf(stderr, "Cannot start SDL: %s\n", SDL_GetError());
        return 0;
    }
    if (!startDisplay())
    {
        SDL_Quit();
        return 0;
    }
    Layer.RealDisplay = !isHeadlessDriver(SDL_GetCurrentVideoDriver());
    setFramebufferHint();
    if (!createScreen())
    {
        SDL_Quit();
        return 0;
    }
    Layer.Started = 1;
    WaitHooks = {presentIfDirty, pumpEventsAndPresent, takeScreenFocus};
    // Whatever a program leaves running is ended in order before the process's own
    // variables are torn down.
    static int stopAtExit = atexit(platformStop);
    (void)stopAtExit;
    SDL_ShowCursor(PointerCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    startFonts();
    startSound();
    startJoystick();
    startWindows();
    startRawInput();
    const char* driver = SDL_GetCurrentVideoDriver();
    if (strcmp(driver, "wayland") == 0 || strcmp(driver, "KMSDRM") == 0) startDeviceInput();
    return 1;
}

void platformStop()
{
    if (!Layer.Started) return;
    WaitHooks = WaitHooksRecord();
    stopWindows();
    stopSecondScreen();
    stopRawInput();
    stopDeviceInput();
    stopJoystick();
    stopSound();
    stopFonts();
    freeTurnedPicture();
    SDL_DestroyWindow(Layer.Screen);
    SDL_Quit();
    int testSeams = Layer.TestSeams;
    int testWidth = Layer.TestScreenWidth, testHeight = Layer.TestScreenHeight;
    Layer = LayerRecord();
    Layer.TestSeams = testSeams;
    Layer.TestScreenWidth = testWidth;
    Layer.TestScreenHeight = testHeight;
}

void platformLeaveNow(int code)
{
    // The screen is given back at once; the rest is the system's to take back.
    if (Layer.Screen) SDL_DestroyWindow(Layer.Screen);
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's leak check would otherwise be skipped along with the rest of the exit.
    __lsan_do_leak_check();
#endif
    _exit(code);
}

int platformShowPointer(int show)
{
    PointerCounter += show ? 1 : -1;
    if (Layer.Started) SDL_ShowCursor(PointerCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return PointerCounter;
}

void testUseScreenSize(int width, int height)
{
    Layer.TestScreenWidth = width;
    Layer.TestScreenHeight = height;
}

void testResizeScreen(int width, int height)
{
    if (!Layer.Started) return;
    SDL_SetWindowSize(Layer.Screen, width, height);
    Layer.PumpWanted = 1;
    pumpSdlEvents();
    // Drivers that do not report the change (the dummy one) are told it here.
    screenSizeChanged(width, height);
}

void startTestPlatform()
{
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 0);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
    platformStop();
    platformClearStopRequest();
    Layer.TestSeams = 1;
    if (!platformStart()) fprintf(stderr, "The test platform did not start\n");
    resetTestClock();
    resetKeyTable();
    resetTestRecords();
    resetPowerOffRecords();
    testMessageBoxes().clear();
    PointerCounter = 0;
    testPretendDisplays(-1, 0, 0);
}
