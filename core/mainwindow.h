// The main window: its procedure keeps the window's surface, the back buffer the main screen
// is drawn into and the focus flag, and runs the idle and screensaver timers. Every sound of
// the front end is played from here too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct Window;

const char* const MainWindowClass = "MainWndClass";

// The main window's timers.
enum
{
    IdleTimer = 1,        // starts the screensaver after a quiet period
    ScreenSaverTimer = 2, // shows the screensaver's next picture
};

// The main window's procedure: creation, size change, focus, paint, timers and destruction.
intptr_t mainWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2);

// Draws the main screen into the back buffer and invalidates the window; painted when the
// loop next dispatches (or at once by an update).
void redrawMainWindow();
// The same, painted at once: within a tick that goes on, or a modal loop of its own.
void showMainWindowNow();
// The Play screensaver's games, when set (at start-up): answers 1 when it took the
// screensaver's turn, 0 when pictures are to be shown instead.
extern int (*PlayScreenSaver)();
// IdleTimer's handler: the screensaver shows the next game's picture over the whole screen.
void startScreenSaver();
// ScreenSaverTimer's handler: the picture of the game after.
void nextScreenSaverPicture();
// Back to the idle countdown; the screensaver's picture stays until the next redraw.
void stopScreenSaver();
// Starts the idle countdown from the beginning.
void restartIdleTimer();
// The video shown ended or could not play: the list shows the screenshot again, the
// screensaver moves on to the next game's video.
void videoEnded();
// No timer runs and no video plays (while a game runs).
void stopAllTimers();

// Plays a file of the current skin's folder; none plays nothing, and so does a missing file
// (no default sound). Without withoutWaiting, returns when the sound has played.
void playSkinSound(const std::optional<std::string>& fileName, int withoutWaiting);
