// Typing keys into whatever window has the X focus, through the XTest extension.
#include "platform/process.h"

#include "platform/keysyms.h"
#include "platform/rawinput.h"

#include <SDL.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstring>

// Opened at the first need and kept: a game types a few keys and the next game more, and the
// Exit control is looked at every few tens of milliseconds while a game runs.
static Display* KeyDisplay;
static bool NoKeyDisplay, TypingChecked, TypingUnavailable;

static Display* keyDisplay()
{
    if (!KeyDisplay && !NoKeyDisplay) KeyDisplay = XOpenDisplay(nullptr);
    NoKeyDisplay = !KeyDisplay;
    return KeyDisplay;
}

static KeySym keySymFor(int code)
{
    unsigned long symbol = keysymOfVirtualKey(code);
    return symbol ? (KeySym)symbol : NoSymbol;
}

// Wayland lets no program type into another's window, and on the console an emulator reads
// the input devices itself: neither has anything XTest could reach.
static bool typingImpossible()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (strcmp(driver, "wayland") != 0 && strcmp(driver, "KMSDRM") != 0)) return false;
    fprintf(stderr,
            "Typing keys into a game is not available on this display (%s): the games start "
            "without their SendKeys\n",
            driver);
    return true;
}

// Answers the display, or null after saying once on standard error why keys cannot be typed.
static Display* typingDisplay()
{
    if (!TypingChecked)
    {
        TypingChecked = true;
        if (typingImpossible()) TypingUnavailable = true;
        if (TypingUnavailable) return nullptr;
        int eventBase, errorBase, major, minor;
        Display* display = keyDisplay();
        TypingUnavailable =
            !display || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
        if (TypingUnavailable)
            fprintf(stderr, "No X display with the XTest extension: keys are not typed\n");
    }
    return TypingUnavailable ? nullptr : KeyDisplay;
}

// Declared in internal.h, whose Window and Font would clash with X's.
int xKeyDown(int code);
int xKeyDown(int code)
{
    // Only the display the front end draws on tells about the player's keyboard.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0) return -1;
    Display* display = keyDisplay();
    if (!display) return -1;
    KeySym symbol = keySymFor(code);
    KeyCode key = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
    if (key == 0) return 0;
    char keys[32];
    XQueryKeymap(display, keys);
    return (keys[key / 8] >> (key % 8)) & 1;
}

// Declared in internal.h.
int xAnyKeyDown();
int xAnyKeyDown()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0) return -1;
    Display* display = keyDisplay();
    if (!display) return -1;
    char keys[32];
    XQueryKeymap(display, keys);
    for (char byte : keys)
        if (byte) return 1;
    return 0;
}

// Declared in internal.h.
int xWindowManagerRunning();
int xWindowManagerRunning()
{
    Display* display = keyDisplay();
    if (!display) return 0;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return 0;
    Atom type;
    int format;
    unsigned long count, left;
    unsigned char* data = nullptr;
    int found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                   XA_WINDOW, &type, &format, &count, &left, &data) == Success &&
                count == 1;
    if (data) XFree(data);
    return found;
}

static void typeKey(int code, bool down)
{
    Display* display = typingDisplay();
    if (!display) return;
    KeySym symbol = keySymFor(code);
    KeyCode key = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
    if (key == 0)
    {
        fprintf(stderr, "Virtual-key code 0x%02X has no key on this display: not typed\n", code);
        return;
    }
    ownKeyTyped(key, down);
    XTestFakeKeyEvent(display, key, down ? True : False, CurrentTime);
    // Delivered before the caller sleeps, so the key's time is the one the caller chose.
    XSync(display, False);
}

void platformTypeKeyDown(int code)
{
    typeKey(code, true);
}

void platformTypeKeyUp(int code)
{
    typeKey(code, false);
}
