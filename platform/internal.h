// What the files of the platform layer share among themselves; nothing outside platform/
// includes this header.
#pragma once

#include "platform/rawinput.h"
#include "platform/waits.h"

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

typedef uint32_t Color;
struct Window;
struct Font;

// A drawing surface: XRGB pixels (blending off) and the text state drawing uses.
struct Surface
{
    SDL_Surface* Pixels; // at least 1x1 so that an empty window still has a buffer
    int Width, Height;   // the size callers see; may be 0
    Window* Owner;       // the window whose own surface this is; null for memory surfaces
    Color TextColor;
    Color BackColor;
    int BackMode;
    Font* Selected;
};

// The layer's own state, filled by platformStart and cleared by platformStop.
struct LayerRecord
{
    int Started;
    int TestSeams;                 // startTestPlatform switched the seams on
    int RealDisplay;               // a display a player can see (not the dummy or offscreen driver)
    SDL_Window* Screen;            // the one full-screen window everything is composited into
    int ScreenWidth, ScreenHeight; // the layout's size: the real screen's, turned
    int PhysicalWidth, PhysicalHeight; // the real screen's size
    int Rotation;                      // degrees the picture is turned clockwise
    SDL_Surface* Turned;               // the upright picture of a turned screen
    int ScreenShown;
    int Dirty;      // something was drawn on a shown window since the last present
    int PumpWanted; // an event was pushed: the next pump must not be skipped
    int TestScreenWidth, TestScreenHeight; // a screen size asked for by a test; 0 for none
    int ReleasedConsole;                   // the display device was given up for a game (KMS/DRM)
    std::string Title;                     // the screen window's title, kept for a window made anew
    int DisplayLost; // the display server went away: nothing may be drawn or shown
};
extern LayerRecord Layer;

// input.cpp: the key table, fed from SDL events.
void keyEvent(int scancode, int down);
void mouseButtonEvent(int button, int down);
void releaseAllKeys();
void resetKeyTable();
// The first SDL scancode of a virtual-key code; SDL_SCANCODE_UNKNOWN when it has none.
int scancodeOfVirtualKey(int code);
// The virtual-key code of an SDL scancode (the specific one for Shift, Ctrl and Alt); 0 when none.
int virtualKeyOfScancode(int scancode);
void setKeyDirect(int code, int down);
void startJoystick();
void stopJoystick();
// joystick.cpp: a device was plugged in (any index) or removed (its instance id).
void joystickPlugged();
void joystickUnplugged(int id);
// What each stick holds now reads as let go until it is (the sticks' part of forgetting input).
void platformForgetJoysticks();
// keysend.cpp: whether the key of a virtual-key code is down on the X display; -1 without one.
int xKeyDown(int code);
// Some key of the X keyboard is down, -1 without X.
int xAnyKeyDown();
// keysend.cpp: 1 when a window manager runs on the X display (it names itself on the root).
int xWindowManagerRunning();

// window.cpp: the windows' side of events and presenting.
int isWindow(Window* window);
void setFocus(Window* window);
intptr_t sendMessage(Window* window, int kind, intptr_t param1, intptr_t param2);
void screenFocusChanged(int gained);
// Raises the shown screen and gives it the keyboard, as after a game: without a window
// manager nobody else hands the focus back when another program's window goes away.
void takeScreenFocus();
// Shows and raises the screen's window the first time anything is to be seen on it.
void showScreen();
void postKeyMessage(int code);
void presentIfDirty();
// Windows that show surface show their own pictures again (it is being freed).
void endSurfaceLoans(const Surface* surface);
void markDirty(Window* window);
void startWindows();
void stopWindows();
void paintWindow(Window* window);
Window* firstInvalidWindow();
// Owners before the windows they own, each group in creation order.
std::vector<Window*> windowsInStackOrder();
// Draws every shown window into the upright picture of the screen (composeTarget); null when
// there is none.
SDL_Surface* composeScreen();
// Windows that covered an old layout of the screen are stretched over the new one.
void refitScreenWindows(int oldWidth, int oldHeight);

// display.cpp: starts SDL's video on the display there is (or the one SDL_VIDEODRIVER names);
// 0 after a line on standard error naming what was tried.
int startDisplay();
// A quit event: the player's, or a Wayland connection that broke, which ends the process.
void quitOrDisplayLost();
// process.cpp: asks every program started and not yet waited for, and its group, to end.
void endRunningPrograms();
// connection.cpp: lost is called when the X connection breaks, and must not return.
void watchXConnection(void (*lost)(const char* what));
int waylandConnectionBroken(SDL_Window* window);
// Chooses how the window's pixels reach the display the video started on.
void setFramebufferHint();
// start.cpp: the one full-screen window, hidden, at the display's size.
int createScreen();
// SDL's full-screen flag for a new window, or borderless where no window manager grants it.
Uint32 fullScreenFlag();

// screen.cpp: the screen's size and turn.
// The real screen's size at the start; the layout follows the turn.
void setScreenSize(int width, int height);
// The window system resized the real screen.
void screenSizeChanged(int width, int height);
// What the windows are composed into: the screen's surface, or on a turned screen the
// upright picture that showComposed turns onto it.
SDL_Surface* composeTarget();
// Puts a composed picture on the real screen.
void showComposed(SDL_Surface* composed);
void freeTurnedPicture();

// present.cpp: the one presenter of a window's picture.
// Copies the upright picture onto a screen's 32-bit pixels turned by degrees (90, 180, 270).
void turnInto(const SDL_Surface* upright, SDL_Surface* screen, int degrees);
// Puts picture into the window's surface, turned by degrees when its pixels allow (else
// upright), the rest black when clearFirst is set, and shows it. A picture that is the
// window's surface itself is only shown.
void presentToWindow(SDL_Window* window, SDL_Surface* picture, int degrees, int clearFirst);
// A pixel of what the window shows, as 0x00BBGGRR; 0xFFFFFFFF outside it (for the tests).
Color windowPixel(SDL_Window* window, int x, int y);

// messages.cpp
void forgetWindowMessages(Window* window); // its queued messages and its timers
void stopMessages();

// draw.cpp
Surface* createSurfaceFor(Window* owner, int width, int height);
void resizeSurface(Surface* surface, int width, int height);
void freeSurfaceRecord(Surface* surface);
// 0x00BBGGRR as an XRGB pixel.
inline uint32_t pixelOf(Color color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
inline Color colorOf(uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// events.cpp
void pumpSdlEvents();
// Pumps the window system's events without dispatching (keeps the display alive while a game
// runs) and puts what was drawn on the physical screen.
void pumpEventsAndPresent();

// secondscreen.cpp: the window system's events for the second screen's window (1 when the
// event was its own), and the end of the layer.
int secondScreenEvent(const SDL_Event& event);
void stopSecondScreen();

// font.cpp and sound.cpp
int startFonts();
// A surface selected (change 1) or let go of (-1) the font; a font no surface holds may be
// closed by the cache.
void fontSelected(Font* font, int change);
void stopFonts();
void startSound();
void stopSound();
// The sound device went away (a USB card pulled out): the rest of the run is silent.
void soundDeviceLost();
void resetTestRecords();
// power.cpp
void resetPowerOffRecords();
