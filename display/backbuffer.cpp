// The back buffers of the front end's windows and the messages their procedures share.
#include "display/backbuffer.h"

#include "platform/window.h"
#include "runtime/state.h"

Surface* renewBackBuffer(Window* window, Surface* previous)
{
    Rect client = platformClientRect(window);
    Surface* buffer = platformCreateSurface(client.Right - client.Left, client.Bottom - client.Top);
    // Shown as it is, the back buffer needs no copy at a paint, and the window no picture of its
    // own; lent before the previous one goes, so the window never falls back to one meanwhile.
    platformShowSurface(window, buffer);
    if (previous) platformFreeSurface(previous);
    return buffer;
}

void fillFramed(Surface* surface, Rect area, uint32_t frame, uint32_t background)
{
    platformFillRect(surface, area, frame);
    const int w = PopupFrameWidth;
    platformFillRect(surface, Rect{area.Left + w, area.Top + w, area.Right - w, area.Bottom - w},
                     background);
}

int handleCommonMessage(Window* window, int kind, const Surface* backBuffer)
{
    switch (kind)
    {
    case MsgSetFocus:
        FrontendState.WindowHasFocus = 1;
        return 1;
    case MsgKillFocus:
        FrontendState.WindowHasFocus = 0;
        return 1;
    case MsgPaint:
    {
        Rect client = platformClientRect(window);
        if (backBuffer)
            platformCopyRect(platformWindowSurface(window), 0, 0, client.Right - client.Left,
                             client.Bottom - client.Top, backBuffer, 0, 0);
        return 1;
    }
    default:
        return 0;
    }
}
