// What the files of the platform layer share among themselves; nothing outside platform/
// includes this header.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

struct Window;

// The layer's own state, filled by platformStart and cleared by platformStop.
struct LayerRecord
{
    int Started;
    int TestSeams;      // startTestPlatform switched the seams on
    int RealDisplay;    // a display a player can see (not the dummy or offscreen driver)
    SDL_Window* Screen; // the one full-screen window everything is composited into
    int ScreenWidth, ScreenHeight;
    int ScreenShown;
    int Dirty; // something was drawn on a shown window since the last present
    int TestScreenWidth, TestScreenHeight; // a screen size asked for by a test; 0 for none
};
extern LayerRecord Layer;

// clock.cpp
void resetTestClock();

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

// window.cpp: the windows' side of events and presenting.
void screenFocusChanged(int gained);
void postKeyMessage(int kind, int code);
void presentIfDirty();
void markDirty(Window* window);
void startWindows();
void stopWindows();

// events.cpp
void pumpSdlEvents();

// messagebox.cpp
void runModalMessageBox(Window* owner, const std::string& text, const std::string& caption);

// font.cpp and sound.cpp
int startFonts();
void stopFonts();
void startSound();
void stopSound();
void resetTestRecords();
