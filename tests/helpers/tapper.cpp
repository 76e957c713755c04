// Taps a key on the X display for an exact time, as an arcade encoder does: tapper <keysym>
// <milliseconds>. xdotool's own steps take longer than the shortest taps.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    Display* display = argc == 3 ? XOpenDisplay(nullptr) : nullptr;
    if (!display) return fprintf(stderr, "usage: tapper <keysym> <milliseconds>, on X\n"), 2;
    KeyCode key = XKeysymToKeycode(display, XStringToKeysym(argv[1]));
    if (key == 0) return fprintf(stderr, "tapper: no key %s\n", argv[1]), 2;
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XSync(display, False);
    usleep((useconds_t)atoi(argv[2]) * 1000);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
