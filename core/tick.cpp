// The tick as far as the spine needs it: leaving the program. The actions and navigation
// replace this file's body.
#include "core/tick.h"

#include "config/settings.h"
#include "core/frontend.h"
#include "platform/input.h"
#include "platform/window.h"

static int exitKeyPressed(int code)
{
    KeyState state = platformKeyState(code);
    return state.Down || state.PressedSinceLastQuery;
}

void processTick(Window*)
{
    // Keys typed into another program's window are not meant for the front end.
    if (!FrontendState.WindowHasFocus) return;
    if (exitKeyPressed(FrontendSettings.Keys[KeyExit]) ||
        exitKeyPressed(FrontendSettings.Keys[KeyP2Exit]))
        platformPostQuit(0);
}
