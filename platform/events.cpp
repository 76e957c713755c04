// SDL's events turned into key state, key messages and focus changes.
#include "platform/input.h"
#include "platform/internal.h"
#include "platform/window.h"

#include <cstdint>
#include <ctime>

static void handleWindowEvent(const SDL_WindowEvent& event)
{
    if (event.event == SDL_WINDOWEVENT_FOCUS_LOST)
    {
        // Keys released while another program has the focus never reach us.
        releaseAllKeys();
        screenFocusChanged(0);
    }
    else if (event.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        screenFocusChanged(1);
    else if (event.event == SDL_WINDOWEVENT_EXPOSED)
        Layer.Dirty = 1;
    else if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        screenSizeChanged(event.data1, event.data2);
}

static void handleEvent(const SDL_Event& event)
{
    if (secondScreenEvent(event)) return;
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    {
        int down = event.type == SDL_KEYDOWN;
        if (down && event.key.repeat) break;
        keyEvent(event.key.keysym.scancode, down);
        int code = virtualKeyOfScancode(event.key.keysym.scancode);
        if (code && down) postKeyMessage(code);
        break;
    }
    case SDL_MOUSEMOTION:
        // X's raw input already counted it, past the screen's edges.
        if (!rawKeysWatched()) pointerMotion(event.motion.xrel, event.motion.yrel);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        mouseButtonEvent(event.button.button, event.type == SDL_MOUSEBUTTONDOWN);
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_JOYDEVICEADDED:
        joystickPlugged();
        break;
    case SDL_JOYDEVICEREMOVED:
        joystickUnplugged(event.jdevice.which);
        break;
    case SDL_AUDIODEVICEREMOVED:
        if (!event.adevice.iscapture) soundDeviceLost();
        break;
    case SDL_QUIT:
        quitOrDisplayLost();
        break;
    }
}

// The system's coarse clock, which moves every few milliseconds: reading it costs a fraction
// of a read of the fine one.
static uint64_t coarseMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return (uint64_t)now.tv_sec * 1000 + (uint64_t)now.tv_nsec / 1000000;
}

// The loop asks for about twenty keys every tick, and each pump costs tens of microseconds
// of system calls; reading the queue once every few milliseconds is as good for the player
// (a tick is a hundred).
void pumpSdlEvents()
{
    static uint64_t lastPump = ~(uint64_t)0;
    if (!Layer.Started) return;
    uint64_t now = coarseMilliseconds();
    if (now == lastPump && !Layer.PumpWanted) return;
    lastPump = now;
    Layer.PumpWanted = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(event);
    drainRawInput();
    drainDeviceInput();
}

void pumpEventsAndPresent()
{
    pumpSdlEvents();
    presentIfDirty();
}
