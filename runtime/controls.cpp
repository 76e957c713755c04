// Keys and the joystick are polled, never waited for: the tick samples them ten times a second.
#include "runtime/controls.h"

#include "config/settings.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "runtime/state.h"

#include <cstdint>
#include <cstdio>

struct ActionSample
{
    Action Target;
    KeyBinding Key;
    int WithJoystick; // the joystick binding of the same name is tested when the key is not
};

// The Player 2 page keys are crossed: seated on the other side of the cabinet, that player's
// "page down" key pages back.
static const ActionSample SampleOrder[] = {
    {ActionSelectUp, KeySelectUp, 1},
    {ActionSelectDown, KeySelectDown, 1},
    {ActionSelectPageDown, KeySelectPageDown, 1},
    {ActionSelectPageUp, KeySelectPageUp, 1},
    {ActionExit, KeyExit, 1},
    {ActionStartGame, KeyStartGame, 1},
    {ActionGameInfo, KeyGameInfo, 1},
    {ActionShowMenu, KeyShowMenu, 1},
    {ActionConfigControls, KeyConfigControls, 0},
    {ActionShutdown1, KeyShutdown1, 0},
    {ActionShutdown2, KeyShutdown2, 0},
    {ActionChangeEmu, KeyChangeEmu, 0},
    {ActionSelectUp, KeyP2SelectUp, 0},
    {ActionSelectDown, KeyP2SelectDown, 0},
    {ActionSelectPageUp, KeyP2SelectPageDown, 0},
    {ActionSelectPageDown, KeyP2SelectPageUp, 0},
    {ActionExit, KeyP2Exit, 0},
    {ActionStartGame, KeyP2StartGame, 0},
    {ActionGameInfo, KeyP2GameInfo, 0},
    {ActionShowMenu, KeyP2ShowMenu, 0},
};

void sampleActions(int active[ActionCount])
{
    for (int i = 0; i < ActionCount; i++) active[i] = 0;
    for (const ActionSample& sample : SampleOrder)
    {
        int on = isKeyActive(FrontendSettings.Keys[sample.Key]);
        if (!on && sample.WithJoystick)
            on = isJoystickActive(FrontendSettings.Joystick[sample.Key]);
        if (on) active[sample.Target] = 1;
    }
}

int isControlActive(KeyBinding key, KeyBinding playerTwoKey)
{
    int active = isKeyActive(FrontendSettings.Keys[key]);
    if (!active && key < JoystickBindingCount)
        active = isJoystickActive(FrontendSettings.Joystick[key]);
    if (isKeyActive(FrontendSettings.Keys[playerTwoKey])) active = 1;
    return active;
}

int isKeyActive(int key)
{
    // Keys typed into another program are not meant for the front end.
    if (!FrontendState.WindowHasFocus) return 0;
    KeyState state = platformKeyState(key);
    return state.Down || state.PressedSinceLastQuery;
}

// An unplugged joystick fails every read, up to eight times a tick: one line a second tells
// the technician without filling the log.
static void reportJoystickFailure()
{
    static int64_t lastReport = INT64_MIN;
    int64_t frequency = platformCounterFrequency();
    int64_t now = frequency > 0 ? (int64_t)((__int128)platformCounter() * 1000 / frequency) : 0;
    if (lastReport != INT64_MIN && now - lastReport < 1000) return;
    lastReport = now;
    printf("Error reading joystick!\n");
    fflush(stdout);
}

int isJoystickActive(int code)
{
    if (!FrontendSettings.UseJoystick || !FrontendState.JoystickPresent) return 0;
    JoystickPosition position;
    if (!platformJoystickRead(&position))
    {
        reportJoystickFailure();
        return 0;
    }
    // Each zone is a fifth of the axis maximum wide, measured from the end it lies at.
    const FrontendStateRecord& s = FrontendState;
    double x = position.X, y = position.Y;
    switch (code)
    {
    case 1:
        return x >= s.JoystickXMax - 0.2 * s.JoystickXMax;
    case 2:
        return x <= s.JoystickXMin + 0.2 * s.JoystickXMax;
    case 4:
        return y >= s.JoystickYMax - 0.2 * s.JoystickYMax;
    case 8:
        return y <= s.JoystickYMin + 0.2 * s.JoystickYMax;
    case 16:
    case 32:
    case 64:
    case 128:
        return (int)(position.Buttons & (uint32_t)(code / 16));
    default:
        return 0;
    }
}

void flushKeyboard()
{
    platformClearKeyPresses();
}

void initJoystick()
{
    FrontendStateRecord& s = FrontendState;
    s.JoystickPresent =
        platformJoystickPresent(&s.JoystickXMin, &s.JoystickXMax, &s.JoystickYMin, &s.JoystickYMax);
}
