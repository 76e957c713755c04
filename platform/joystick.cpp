// Every joystick and game controller, found when the front end starts watching and whenever one
// is plugged in or removed. The first two found serve players 1 and 2.
#include "platform/input.h"
#include "platform/internal.h"
#include "platform/testing.h"

#include <cstdio>
#include <string>
#include <vector>

struct Stick
{
    // What was held when the input was last forgotten: it reads as let go until it is.
    uint32_t HeldButtons;
    int HeldX, HeldY;

    SDL_Joystick* Joystick;         // the device; a controller's own joystick too
    SDL_GameController* Controller; // null for a device SDL has no mapping for
    SDL_JoystickID Id;
    std::string Name;
    int Player; // 1 or 2; 0 for a device found while both players had one
};

static int JoystickStarted;
static int Watching;
static std::vector<Stick> Sticks;             // in the order they were found
static std::vector<SDL_Joystick*> TestSticks; // the virtual devices a test plugged in

// A controller's inputs as the front end numbers its buttons: the face buttons first, so the
// default bindings (start, menu, information, exit) fall on A, B, X and Y.
static const SDL_GameControllerButton ControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
};

void startJoystick()
{
    if (!JoystickStarted && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) JoystickStarted = 1;
}

static void closeStick(Stick& stick)
{
    if (stick.Controller)
        SDL_GameControllerClose(stick.Controller);
    else
        SDL_JoystickClose(stick.Joystick);
}

void stopJoystick()
{
    if (!JoystickStarted) return;
    for (Stick& stick : Sticks) closeStick(stick);
    Sticks.clear();
    for (SDL_Joystick* joystick : TestSticks)
        if (joystick) SDL_JoystickClose(joystick);
    TestSticks.clear();
    Watching = 0;
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    JoystickStarted = 0;
}

static Stick* findStick(SDL_JoystickID id)
{
    for (Stick& stick : Sticks)
        if (stick.Id == id) return &stick;
    return nullptr;
}

static int freePlayer()
{
    for (int player = 1; player <= JoystickPlayers; player++)
    {
        bool taken = false;
        for (const Stick& stick : Sticks) taken |= stick.Player == player;
        if (!taken) return player;
    }
    return 0;
}

static std::string describe(const Stick& stick)
{
    if (stick.Controller) return "game controller";
    SDL_Joystick* joystick = stick.Joystick;
    return std::to_string(SDL_JoystickNumAxes(joystick)) + " axes, " +
           std::to_string(SDL_JoystickNumButtons(joystick)) + " buttons, " +
           std::to_string(SDL_JoystickNumHats(joystick)) + " hats";
}

static void openStick(int index)
{
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    if (id < 0 || findStick(id)) return;
    Stick stick = {};
    if (SDL_IsGameController(index))
    {
        stick.Controller = SDL_GameControllerOpen(index);
        if (stick.Controller) stick.Joystick = SDL_GameControllerGetJoystick(stick.Controller);
    }
    else
        stick.Joystick = SDL_JoystickOpen(index);
    if (!stick.Joystick)
    {
        fprintf(stderr, "A joystick was plugged in but cannot be opened: %s\n", SDL_GetError());
        return;
    }
    const char* name = SDL_JoystickName(stick.Joystick);
    stick.Name = name && *name ? name : "unnamed device";
    stick.Id = id;
    stick.Player = freePlayer();
    Sticks.push_back(stick);
    std::string serves =
        stick.Player ? "player " + std::to_string(stick.Player) : "not used: both players have one";
    fprintf(stderr, "Joystick found: %s (%s), %s\n", stick.Name.c_str(), describe(stick).c_str(),
            serves.c_str());
}

// Device indices shift as others come and go, so every device is looked at, not only the one
// an event names; those already open are skipped.
static void openNewSticks()
{
    for (int index = 0; index < SDL_NumJoysticks(); index++) openStick(index);
}

// The player whose stick went takes the earliest device found while both had one.
static void removeStick(SDL_JoystickID id)
{
    Stick* stick = findStick(id);
    if (!stick) return;
    int player = stick->Player;
    fprintf(stderr, "Joystick removed: %s (%s)\n", stick->Name.c_str(),
            player ? ("player " + std::to_string(player)).c_str() : "not used");
    closeStick(*stick);
    Sticks.erase(Sticks.begin() + (stick - Sticks.data()));
    if (!player) return;
    for (Stick& spare : Sticks)
        if (!spare.Player)
        {
            spare.Player = player;
            fprintf(stderr, "Joystick %s now serves player %d\n", spare.Name.c_str(), player);
            return;
        }
}

void platformWatchJoysticks()
{
    if (!JoystickStarted || Watching) return;
    Watching = 1;
    openNewSticks();
}

void joystickPlugged()
{
    if (Watching) openNewSticks();
}

void joystickUnplugged(int id)
{
    if (Watching) removeStick(id);
}

// Axes read 0 ... 65535 from left to right and top to bottom, 32768 in the middle.
static uint32_t axisPosition(int16_t value)
{
    return (uint32_t)(value + 32768);
}

// A hat or d-pad pressed to one side puts the stick at that end.
static void pressToward(JoystickPosition* position, int left, int right, int up, int down)
{
    if (left) position->X = 0;
    if (right) position->X = 65535;
    if (up) position->Y = 0;
    if (down) position->Y = 65535;
}

static void readController(SDL_GameController* controller, JoystickPosition* position)
{
    position->X = axisPosition(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    position->Y = axisPosition(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    auto held = [&](SDL_GameControllerButton button)
    { return SDL_GameControllerGetButton(controller, button); };
    pressToward(position, held(SDL_CONTROLLER_BUTTON_DPAD_LEFT),
                held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), held(SDL_CONTROLLER_BUTTON_DPAD_UP),
                held(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    position->Buttons = 0;
    int count = sizeof ControllerButtons / sizeof ControllerButtons[0];
    for (int i = 0; i < count; i++)
        if (held(ControllerButtons[i])) position->Buttons |= 1u << i;
}

static void readRaw(SDL_Joystick* joystick, JoystickPosition* position)
{
    int axes = SDL_JoystickNumAxes(joystick);
    position->X = axisPosition(axes > 0 ? SDL_JoystickGetAxis(joystick, 0) : 0);
    position->Y = axisPosition(axes > 1 ? SDL_JoystickGetAxis(joystick, 1) : 0);
    for (int hat = 0; hat < SDL_JoystickNumHats(joystick); hat++)
    {
        Uint8 value = SDL_JoystickGetHat(joystick, hat);
        pressToward(position, value & SDL_HAT_LEFT, value & SDL_HAT_RIGHT, value & SDL_HAT_UP,
                    value & SDL_HAT_DOWN);
    }
    position->Buttons = 0;
    int buttons = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < JoystickButtons && i < buttons; i++)
        if (SDL_JoystickGetButton(joystick, i)) position->Buttons |= 1u << i;
}

// Pushed past the middle half of its travel: far enough to count as a move.
static int offCentre(uint32_t axis)
{
    return axis < 16384 || axis > 49152;
}

static void hideHeldOver(Stick& stick, JoystickPosition* position)
{
    stick.HeldButtons &= position->Buttons;
    position->Buttons &= ~stick.HeldButtons;
    stick.HeldX = stick.HeldX && offCentre(position->X);
    stick.HeldY = stick.HeldY && offCentre(position->Y);
    if (stick.HeldX) position->X = 32768;
    if (stick.HeldY) position->Y = 32768;
}

static void readStick(const Stick& stick, JoystickPosition* position)
{
    if (stick.Controller)
        readController(stick.Controller, position);
    else
        readRaw(stick.Joystick, position);
}

// The events were read as platformKeyState says.
int platformJoystickRead(int player, JoystickPosition* position)
{
    if (Layer.PumpWanted) pumpSdlEvents();
    Stick* stick = nullptr;
    for (Stick& candidate : Sticks)
        if (player >= 1 && candidate.Player == player) stick = &candidate;
    if (!stick || !position) return 0;
    // Pulled out since the last pump: it must stop acting now, not when its event comes.
    if (!SDL_JoystickGetAttached(stick->Joystick))
    {
        removeStick(stick->Id);
        return 0;
    }
    readStick(*stick, position);
    hideHeldOver(*stick, position);
    return 1;
}

void platformForgetJoysticks()
{
    for (Stick& stick : Sticks)
    {
        JoystickPosition position = {};
        readStick(stick, &position);
        stick.HeldButtons = position.Buttons;
        stick.HeldX = offCentre(position.X);
        stick.HeldY = offCentre(position.Y);
    }
}

int testPlugJoystick(int controller, int axes, int buttons, int hats)
{
    if (!JoystickStarted) return -1;
    SDL_VirtualJoystickDesc description = {};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type =
        controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_ARCADE_STICK;
    description.naxes = (Uint16)axes;
    description.nbuttons = (Uint16)buttons;
    description.nhats = (Uint16)hats;
    description.name = controller ? "Test Pad" : "Test Encoder";
    int index = SDL_JoystickAttachVirtualEx(&description);
    SDL_Joystick* joystick = index < 0 ? nullptr : SDL_JoystickOpen(index);
    if (!joystick) return -1;
    TestSticks.push_back(joystick);
    Layer.PumpWanted = 1;
    return (int)TestSticks.size() - 1;
}

static SDL_Joystick* testStick(int handle)
{
    return handle >= 0 && handle < (int)TestSticks.size() ? TestSticks[handle] : nullptr;
}

void testUnplugJoystick(int handle)
{
    SDL_Joystick* joystick = testStick(handle);
    if (!joystick) return;
    SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); i++)
        if (SDL_JoystickGetDeviceInstanceID(i) == id)
        {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    SDL_JoystickClose(joystick);
    TestSticks[handle] = nullptr;
    Layer.PumpWanted = 1;
}

void testJoystickAxis(int handle, int axis, int16_t value)
{
    if (SDL_Joystick* joystick = testStick(handle))
        SDL_JoystickSetVirtualAxis(joystick, axis, value);
    Layer.PumpWanted = 1;
}

void testJoystickButton(int handle, int button, int down)
{
    if (SDL_Joystick* joystick = testStick(handle))
        SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
    Layer.PumpWanted = 1;
}

void testJoystickHat(int handle, int hat, uint8_t value)
{
    if (SDL_Joystick* joystick = testStick(handle)) SDL_JoystickSetVirtualHat(joystick, hat, value);
    Layer.PumpWanted = 1;
}
