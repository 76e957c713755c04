// The X server's raw input (XInput 2.2) on a connection of its own: every key, mouse button
// and relative motion, whichever window has the focus. A game holding the keyboard then hides
// no tap from the front end, however short, and a trackball keeps rolling past the screen's
// edge (raw motion is the device's own, before the pointer moves or stops).
#include "platform/input.h"
#include "platform/keysyms.h"
#include "platform/rawinput.h"

#include <SDL.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstdio>
#include <cstring>
#include <map>

struct RawInputRecord
{
    Display* Connection = nullptr;
    int Opcode = 0;
    std::map<int, bool> Relative;             // by source device: its first valuators count motion
    std::map<std::pair<int, int>, int> Typed; // keys typed by the front end, not yet seen
};
static RawInputRecord Raw;

static int selectRawEvents(Display* display)
{
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int kind :
         {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease, XI_RawMotion})
        XISetMask(bits, kind);
    XIEventMask mask = {XIAllMasterDevices, (int)sizeof bits, bits};
    return XISelectEvents(display, DefaultRootWindow(display), &mask, 1) == Success;
}

// Raw events reach every client whatever grabs the game holds from XInput 2.1 on.
static int openRawInput()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    int event, error, major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &Raw.Opcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success || major * 100 + minor < 202 ||
        !selectRawEvents(display))
    {
        XCloseDisplay(display);
        return 0;
    }
    XFlush(display);
    Raw.Connection = display;
    return 1;
}

int startRawInput()
{
    if (Raw.Connection) return 1;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0) return 0;
    if (openRawInput()) return 1;
    fprintf(stderr, "The X server has no XInput 2.2: while a game runs its keyboard is looked at "
                    "every few tens of milliseconds, and a trackball stops at the screen's edge\n");
    return 0;
}

int rawKeysWatched()
{
    return Raw.Connection != nullptr;
}

// A tablet or a touch screen gives where it is touched, not how far it moved: not a trackball.
static bool isRelative(int device)
{
    auto known = Raw.Relative.find(device);
    if (known != Raw.Relative.end()) return known->second;
    int count = 0;
    bool relative = false;
    if (XIDeviceInfo* info = XIQueryDevice(Raw.Connection, device, &count))
    {
        for (int i = 0; i < info->num_classes; i++)
            if (info->classes[i]->type == XIValuatorClass)
                relative |= ((XIValuatorClassInfo*)info->classes[i])->mode == XIModeRelative;
        XIFreeDeviceInfo(info);
    }
    return Raw.Relative[device] = relative;
}

static void rawMotion(const XIRawEvent& event)
{
    if (!isRelative(event.sourceid)) return;
    const double* value = event.raw_values;
    double moved[2] = {0, 0};
    for (int axis = 0; axis < 2 && axis < event.valuators.mask_len * 8; axis++)
        if (XIMaskIsSet(event.valuators.mask, axis)) moved[axis] = *value++;
    pointerMotion((int)moved[0], (int)moved[1]);
}

void ownKeyTyped(int keycode, int down)
{
    if (Raw.Connection) Raw.Typed[{keycode, down}]++;
}

// The front end's own typing comes back as raw events, in the order it was typed.
static bool typedByUs(int keycode, int down)
{
    auto typed = Raw.Typed.find({keycode, down});
    if (typed == Raw.Typed.end()) return false;
    if (--typed->second == 0) Raw.Typed.erase(typed);
    return true;
}

static void rawKey(const XIRawEvent& event, int down)
{
    if (typedByUs(event.detail, down)) return;
    int codes[KeysymCodesLimit];
    KeySym symbol = XkbKeycodeToKeysym(Raw.Connection, (KeyCode)event.detail, 0, 0);
    for (int i = 0, count = virtualKeysOfKeysym(symbol, codes); i < count; i++)
        systemKeyEvent(codes[i], down);
}

static void rawEvent(const XIRawEvent& event)
{
    switch (event.evtype)
    {
    case XI_RawKeyPress:
    case XI_RawKeyRelease:
        return rawKey(event, event.evtype == XI_RawKeyPress);
    case XI_RawButtonPress:
    case XI_RawButtonRelease:
        // X's 4-7 are the wheel; from 8 on, the buttons SDL numbers from 4.
        if (event.detail >= 4 && event.detail <= 7) return;
        return systemKeyEvent(mouseButtonCode(event.detail > 7 ? event.detail - 4 : event.detail),
                              event.evtype == XI_RawButtonPress);
    case XI_RawMotion:
        return rawMotion(event);
    }
}

void drainRawInput()
{
    if (!Raw.Connection) return;
    while (XPending(Raw.Connection))
    {
        XEvent event;
        XNextEvent(Raw.Connection, &event);
        XGenericEventCookie& cookie = event.xcookie;
        if (cookie.type != GenericEvent || cookie.extension != Raw.Opcode ||
            !XGetEventData(Raw.Connection, &cookie))
            continue;
        rawEvent(*(const XIRawEvent*)cookie.data);
        XFreeEventData(Raw.Connection, &cookie);
    }
}

void stopRawInput()
{
    if (Raw.Connection) XCloseDisplay(Raw.Connection);
    Raw = RawInputRecord();
}
