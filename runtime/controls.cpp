// Keys and the joystick are polled, never waited for: the tick samples them ten times a second.
#include "runtime/controls.h"

#include "config/settings.h"
#include "platform/input.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdint>

struct ActionSample
{
    Action Target;
    KeyBinding Key;
    int WithJoystick; // player 1's binding of the same name is tested when the key is not
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
    {ActionSelectLetterUp, KeySelectLetterUp, 1},
    {ActionSelectLetterDown, KeySelectLetterDown, 1},
    {ActionSelectLetterUp, KeyP2SelectLetterUp, 0},
    {ActionSelectLetterDown, KeyP2SelectLetterDown, 0},
    {ActionToggleFavourite, KeyToggleFavourite, 1},
    {ActionSearch, KeySearch, 1},
    {ActionRandomGame, KeyRandomGame, 1},
    {ActionNextTrack, KeyNextTrack, 1},
};

// Player 2's stick is not crossed: two sticks side by side act alike.
struct StickSample
{
    Action Target;
    KeyBinding Key;
};
static const StickSample PlayerTwoStick[] = {
    {ActionSelectUp, KeyP2SelectUp},
    {ActionSelectDown, KeyP2SelectDown},
    {ActionSelectPageUp, KeyP2SelectPageUp},
    {ActionSelectPageDown, KeyP2SelectPageDown},
    {ActionExit, KeyP2Exit},
    {ActionStartGame, KeyP2StartGame},
    {ActionGameInfo, KeyP2GameInfo},
    {ActionShowMenu, KeyP2ShowMenu},
    {ActionSelectLetterUp, KeyP2SelectLetterUp},
    {ActionSelectLetterDown, KeyP2SelectLetterDown},
};

// Set when a game was left with Exit still held: until it is let go, Exit does not act.
static int ExitHeldOver;

void sampleActions(int active[ActionCount])
{
    for (int i = 0; i < ActionCount; i++) active[i] = 0;
    const FrontendSettingsRecord& settings = FrontendSettings;
    for (const ActionSample& sample : SampleOrder)
    {
        int on = isKeyActive(settings.Keys[sample.Key]);
        if (!on && sample.WithJoystick) on = isJoystickActive(settings.Joystick[sample.Key]);
        if (on) active[sample.Target] = 1;
    }
    for (const StickSample& sample : PlayerTwoStick)
        if (isPlayerJoystickActive(2, settings.Joystick[sample.Key])) active[sample.Target] = 1;
    if (ExitHeldOver) ExitHeldOver = isExitHeld();
    if (ExitHeldOver) active[ActionExit] = 0;
}

// The actions of the tick sampled last: a press is new only against them.
static int ActiveBefore[ActionCount];

void sampleTick(TickActions& tick)
{
    sampleActions(tick.Active);
    for (int i = 0; i < ActionCount; i++)
    {
        tick.NewlyPressed[i] = tick.Active[i] && !ActiveBefore[i];
        ActiveBefore[i] = tick.Active[i];
    }
}

int isMove(Action action)
{
    return action == ActionSelectUp || action == ActionSelectDown || action == ActionSelectPageUp ||
           action == ActionSelectPageDown || action == ActionSelectLetterUp ||
           action == ActionSelectLetterDown;
}

int isControlActive(KeyBinding key, KeyBinding playerTwoKey)
{
    int active = isKeyActive(FrontendSettings.Keys[key]);
    if (!active) active = isJoystickActive(FrontendSettings.Joystick[key]);
    if (isKeyActive(FrontendSettings.Keys[playerTwoKey])) active = 1;
    if (isPlayerJoystickActive(2, FrontendSettings.Joystick[playerTwoKey])) active = 1;
    return active;
}

int isKeyActive(int key)
{
    // Keys typed into another program are not meant for the front end.
    if (!FrontendState.WindowHasFocus) return 0;
    KeyState state = platformKeyState(key);
    return state.Down || state.PressedSinceLastQuery;
}

int isJoystickActive(int code)
{
    return isPlayerJoystickActive(1, code);
}

// Codes 16, 32, 64, ... are the buttons 1, 2, 3, ...: one bit each, never two together.
static uint32_t buttonBit(int code)
{
    if (code < 16 || (code & (code - 1)) != 0) return 0;
    uint32_t bit = (uint32_t)code / 16;
    return bit < (1u << JoystickButtons) ? bit : 0;
}

int isPlayerJoystickActive(int player, int code)
{
    if (!FrontendSettings.UseJoystick || code <= 0) return 0;
    JoystickPosition position;
    if (!platformJoystickRead(player, &position)) return 0;
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
    default:
        return (int)(position.Buttons & buttonBit(code));
    }
}

// Let go and pressed again between two looks is a new hold, not the old one going on.
static int keyHeldOn(int code)
{
    KeyHold hold = platformKeyHold(code);
    return hold.Down && !hold.Released;
}

int isExitHeld()
{
    const FrontendSettingsRecord& settings = FrontendSettings;
    int keys = keyHeldOn(settings.Keys[KeyExit]);
    keys |= keyHeldOn(settings.Keys[KeyP2Exit]); // both asked: neither keeps an old release
    return keys || isPlayerJoystickActive(1, settings.Joystick[KeyExit]) ||
           isPlayerJoystickActive(2, settings.Joystick[KeyP2Exit]);
}

int isAnyControlTouched()
{
    if (platformAnyKeyTouched()) return 1;
    for (int player = 1; player <= JoystickPlayers; player++)
    {
        JoystickPosition position;
        if (FrontendSettings.UseJoystick && platformJoystickRead(player, &position) &&
            position.Buttons)
            return 1;
        for (int side : {1, 2, 4, 8})
            if (isPlayerJoystickActive(player, side)) return 1;
    }
    return 0;
}

// The pointer's motion not yet a whole step, in the layout's directions.
static long PointerRestX, PointerRestY;

// A pointer moved on the turned screen moves across the picture as the picture lies there: with
// 90 degrees the picture's top runs along the screen's right edge.
static void turnMotion(long& x, long& y)
{
    long dx = x, dy = y;
    switch (FrontendSettings.Rotation)
    {
    case 90:
        x = dy, y = -dx;
        break;
    case 180:
        x = -dx, y = -dy;
        break;
    case 270:
        x = -dy, y = dx;
        break;
    }
}

// Whole steps of rest, at most limit either way; the rest of a capped step is dropped.
static int wholeSteps(long& rest, int pixels, int limit)
{
    if (pixels <= 0) return rest = 0, 0;
    long steps = rest / pixels;
    rest -= steps * pixels;
    if (steps > limit || steps < -limit) rest = 0;
    return (int)std::clamp<long>(steps, -limit, limit);
}

PointerSteps takePointerSteps(int maxRows)
{
    int dx = 0, dy = 0;
    platformTakePointerMotion(&dx, &dy);
    long x = dx, y = dy;
    turnMotion(x, y);
    PointerRestX += x;
    PointerRestY += y;
    return {wholeSteps(PointerRestY, FrontendSettings.TrackballRowPixels, std::max(maxRows, 1)),
            wholeSteps(PointerRestX, FrontendSettings.SpinnerPagePixels, 1)};
}

void holdOffExit()
{
    ExitHeldOver = isExitHeld();
}

void flushKeyboard()
{
    platformForgetInput();
    PointerRestX = PointerRestY = 0;
}

void initJoystick()
{
    FrontendStateRecord& s = FrontendState;
    s.JoystickXMin = s.JoystickYMin = 0;
    s.JoystickXMax = s.JoystickYMax = 65535;
    if (FrontendSettings.UseJoystick) platformWatchJoysticks();
}
