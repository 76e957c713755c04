// The display server's connection, looked at apart from the rest of the layer: X's headers
// name a Window and a Font of their own.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <wayland-client.h>

static void (*ConnectionLost)(const char* what);

static int onXConnectionLost(Display*)
{
    ConnectionLost("the X server went away");
    return 0; // not reached: the handler ends the process
}

void watchXConnection(void (*lost)(const char* what))
{
    ConnectionLost = lost;
    XSetIOErrorHandler(onXConnectionLost);
}

int waylandConnectionBroken(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_WAYLAND &&
           wl_display_get_error(info.info.wl.display) != 0;
}
