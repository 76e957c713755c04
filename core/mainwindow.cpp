// The main window's procedure. Everything is drawn off screen into the back buffer; painting
// only copies it, so a paint never has to know what the screen shows.
#include "core/mainwindow.h"

#include "core/frontend.h"
#include "platform/window.h"

static void onCreate(Window* window)
{
    FrontendState.WindowDC = platformWindowSurface(window);
    Rect client = platformClientRect(window);
    FrontendState.BackBufferDC =
        platformCreateSurface(client.Right - client.Left, client.Bottom - client.Top);
}

// A new back buffer is blank until the next drawMainScreen; nothing is redrawn here.
static void onSize(Window* window)
{
    FrontendState.WindowDC = platformWindowSurface(window); // the old one went with the size
    Rect client = platformClientRect(window);
    Surface* previous = FrontendState.BackBufferDC;
    FrontendState.BackBufferDC =
        platformCreateSurface(client.Right - client.Left, client.Bottom - client.Top);
    if (previous) platformFreeSurface(previous);
}

static void onPaint(Window* window)
{
    Rect client = platformClientRect(window);
    if (!FrontendState.BackBufferDC || !FrontendState.WindowDC) return;
    platformCopyRect(FrontendState.WindowDC, 0, 0, client.Right - client.Left,
                     client.Bottom - client.Top, FrontendState.BackBufferDC, 0, 0);
}

intptr_t mainWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    switch (kind)
    {
    case MsgCreate:
        onCreate(window);
        return 0;
    case MsgDestroy:
        platformPostQuit(0);
        return 0;
    case MsgSize:
        onSize(window);
        return 0;
    case MsgSetFocus:
        FrontendState.WindowHasFocus = 1;
        return 0;
    case MsgKillFocus:
        FrontendState.WindowHasFocus = 0;
        return 0;
    case MsgPaint:
        onPaint(window);
        return 0;
    // MsgTimer (the idle and screensaver timers) is handled here once the screensaver exists.
    default:
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
}
