// Typing keys into whatever window has the X focus, through the XTest extension.
#include "platform/process.h"

#include <SDL.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstring>

struct KeyRange
{
    int FirstCode, LastCode;
    KeySym FirstSym;
};

// Runs of virtual-key codes whose keysyms run in the same order.
static const KeyRange KeyRanges[] = {
    {0x30, 0x39, XK_0},           {0x41, 0x5A, XK_a},           {0x60, 0x69, XK_KP_0},
    {0x70, 0x87, XK_F1},          {0x25, 0x25, XK_Left},        {0x26, 0x26, XK_Up},
    {0x27, 0x27, XK_Right},       {0x28, 0x28, XK_Down},        {0x21, 0x21, XK_Prior},
    {0x22, 0x22, XK_Next},        {0x23, 0x23, XK_End},         {0x24, 0x24, XK_Home},
    {0x08, 0x08, XK_BackSpace},   {0x09, 0x09, XK_Tab},         {0x0C, 0x0C, XK_Clear},
    {0x0D, 0x0D, XK_Return},      {0x10, 0x10, XK_Shift_L},     {0x11, 0x11, XK_Control_L},
    {0x12, 0x12, XK_Alt_L},       {0x13, 0x13, XK_Pause},       {0x14, 0x14, XK_Caps_Lock},
    {0x1B, 0x1B, XK_Escape},      {0x20, 0x20, XK_space},       {0x29, 0x29, XK_Select},
    {0x2A, 0x2A, XK_Print},       {0x2B, 0x2B, XK_Execute},     {0x2C, 0x2C, XK_Print},
    {0x2D, 0x2D, XK_Insert},      {0x2E, 0x2E, XK_Delete},      {0x2F, 0x2F, XK_Help},
    {0x5B, 0x5B, XK_Super_L},     {0x5C, 0x5C, XK_Super_R},     {0x5D, 0x5D, XK_Menu},
    {0x6A, 0x6A, XK_KP_Multiply}, {0x6B, 0x6B, XK_KP_Add},      {0x6C, 0x6C, XK_KP_Separator},
    {0x6D, 0x6D, XK_KP_Subtract}, {0x6E, 0x6E, XK_KP_Decimal},  {0x6F, 0x6F, XK_KP_Divide},
    {0x90, 0x90, XK_Num_Lock},    {0x91, 0x91, XK_Scroll_Lock}, {0xA0, 0xA0, XK_Shift_L},
    {0xA1, 0xA1, XK_Shift_R},     {0xA2, 0xA2, XK_Control_L},   {0xA3, 0xA3, XK_Control_R},
    {0xA4, 0xA4, XK_Alt_L},       {0xA5, 0xA5, XK_Alt_R},       {0xBA, 0xBA, XK_semicolon},
    {0xBB, 0xBB, XK_equal},       {0xBC, 0xBC, XK_comma},       {0xBD, 0xBD, XK_minus},
    {0xBE, 0xBE, XK_period},      {0xBF, 0xBF, XK_slash},       {0xC0, 0xC0, XK_grave},
    {0xDB, 0xDB, XK_bracketleft}, {0xDC, 0xDC, XK_backslash},   {0xDD, 0xDD, XK_bracketright},
    {0xDE, 0xDE, XK_apostrophe},
};

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
    for (const KeyRange& range : KeyRanges)
        if (code >= range.FirstCode && code <= range.LastCode)
            return range.FirstSym + (code - range.FirstCode);
    return NoSymbol;
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
