// The system screen saver while a game runs, through the X screen saver extension.
#include "platform/process.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

// A suspension belongs to the connection that asked for it, so it is held on a connection of
// its own: resuming, or the front end dying, ends exactly our suspension and leaves the
// user's own settings (a screen saver switched off stays off) untouched.
static Display* SuspendingDisplay;
static int SuspendDepth;

static Display* openWithExtension()
{
    Display* display = XOpenDisplay(nullptr);
    int eventBase, errorBase;
    if (display && !XScreenSaverQueryExtension(display, &eventBase, &errorBase))
    {
        XCloseDisplay(display);
        return nullptr;
    }
    return display;
}

void platformSuspendScreenSaver()
{
    if (SuspendDepth++ > 0) return;
    SuspendingDisplay = openWithExtension();
    if (!SuspendingDisplay) return;
    XScreenSaverSuspend(SuspendingDisplay, True);
    XSync(SuspendingDisplay, False);
}

void platformResumeScreenSaver()
{
    if (SuspendDepth == 0 || --SuspendDepth > 0) return;
    if (!SuspendingDisplay) return;
    XScreenSaverSuspend(SuspendingDisplay, False);
    XSync(SuspendingDisplay, False);
    XCloseDisplay(SuspendingDisplay);
    SuspendingDisplay = nullptr;
}

int platformScreenSaverState()
{
    Display* display = openWithExtension();
    if (!display) return -1;
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    int state = -1;
    if (info && XScreenSaverQueryInfo(display, DefaultRootWindow(display), info))
        state = info->state;
    XFree(info);
    XCloseDisplay(display);
    return state;
}

int platformSetScreenSaverTimeout(int seconds)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    int timeout, interval, blanking, exposures;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    XSetScreenSaver(display, seconds, interval, blanking, exposures);
    XResetScreenSaver(display);
    XSync(display, False);
    XCloseDisplay(display);
    return 1;
}
