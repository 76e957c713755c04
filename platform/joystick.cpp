// The first joystick, with SDL's axes mapped to 0-65535 and buttons 1-4 to bits 0-3.
#include "platform/input.h"
#include "platform/internal.h"
#include "platform/testing.h"

static int JoystickStarted;
static SDL_Joystick* First;
static SDL_Joystick* TestJoystick; // the virtual stick a test attached
static SDL_JoystickID TestJoystickId = -1;

void startJoystick()
{
    if (!JoystickStarted && SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) JoystickStarted = 1;
}

void stopJoystick()
{
    if (!JoystickStarted) return;
    if (First) SDL_JoystickClose(First);
    if (TestJoystick) SDL_JoystickClose(TestJoystick);
    First = TestJoystick = nullptr;
    TestJoystickId = -1;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    JoystickStarted = 0;
}

// The handle of the first device; a handle whose device has gone is given up.
static SDL_Joystick* firstJoystick()
{
    if (!JoystickStarted) return nullptr;
    SDL_JoystickUpdate();
    if (First && !SDL_JoystickGetAttached(First))
    {
        SDL_JoystickClose(First);
        First = nullptr;
    }
    if (!First && SDL_NumJoysticks() > 0) First = SDL_JoystickOpen(0);
    return First;
}

int platformJoystickPresent(uint32_t* xMin, uint32_t* xMax, uint32_t* yMin, uint32_t* yMax)
{
    if (!firstJoystick()) return 0;
    if (xMin) *xMin = 0;
    if (xMax) *xMax = 65535;
    if (yMin) *yMin = 0;
    if (yMax) *yMax = 65535;
    return 1;
}

static uint32_t axisPosition(SDL_Joystick* joystick, int axis)
{
    if (axis >= SDL_JoystickNumAxes(joystick)) return 32768; // centred
    return (uint32_t)(SDL_JoystickGetAxis(joystick, axis) + 32768);
}

int platformJoystickRead(JoystickPosition* position)
{
    SDL_Joystick* joystick = firstJoystick();
    if (!joystick || !position) return 0;
    position->X = axisPosition(joystick, 0);
    position->Y = axisPosition(joystick, 1);
    position->Buttons = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < 4 && i < buttons; i++)
        if (SDL_JoystickGetButton(joystick, i)) position->Buttons |= 1u << i;
    return 1;
}

void testAttachJoystick()
{
    if (!JoystickStarted || TestJoystick) return;
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    if (index < 0) return;
    TestJoystick = SDL_JoystickOpen(index);
    TestJoystickId = TestJoystick ? SDL_JoystickInstanceID(TestJoystick) : -1;
}

void testDetachJoystick()
{
    if (!TestJoystick) return;
    for (int i = 0; i < SDL_NumJoysticks(); i++)
        if (SDL_JoystickGetDeviceInstanceID(i) == TestJoystickId)
        {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    SDL_JoystickClose(TestJoystick);
    TestJoystick = nullptr;
    TestJoystickId = -1;
}

void testMoveJoystick(int16_t x, int16_t y)
{
    if (!TestJoystick) return;
    SDL_JoystickSetVirtualAxis(TestJoystick, 0, x);
    SDL_JoystickSetVirtualAxis(TestJoystick, 1, y);
}

void testJoystickButton(int button, int down)
{
    if (TestJoystick && button >= 1 && button <= 4)
        SDL_JoystickSetVirtualButton(TestJoystick, button - 1, down ? SDL_PRESSED : SDL_RELEASED);
}
