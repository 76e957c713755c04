// Keyboard state by Windows virtual-key code, and the joysticks.
#pragma once

#include <cstdint>

// Virtual-key codes the front end names itself; the configuration file may use any code.
enum
{
    VkLButton = 0x01,
    VkRButton = 0x02,
    VkMButton = 0x04,
    VkXButton1 = 0x05,
    VkXButton2 = 0x06,
    VkBack = 0x08,
    VkTab = 0x09,
    VkReturn = 0x0D,
    VkShift = 0x10,
    VkControl = 0x11,
    VkMenu = 0x12, // Alt
    VkEscape = 0x1B,
    VkSpace = 0x20,
    VkPrior = 0x21, // Page Up
    VkNext = 0x22,  // Page Down
    VkEnd = 0x23,
    VkHome = 0x24,
    VkLeft = 0x25,
    VkUp = 0x26,
    VkRight = 0x27,
    VkDown = 0x28,
    VkInsert = 0x2D,
    VkDelete = 0x2E,
    VkNumpad0 = 0x60,
    VkF1 = 0x70,
    VkLShift = 0xA0,
    VkRShift = 0xA1,
    VkLControl = 0xA2,
    VkRControl = 0xA3,
    VkLMenu = 0xA4,
    VkRMenu = 0xA5,
};

// Mouse buttons as SDL and X count them after X's wheel: 1 left, 2 middle, 3 right, 4 and 5 the
// side buttons, 6 on the rest. The first five have the Windows codes 1, 4, 2, 5 and 6 (so a
// configuration written on Windows keeps them); the rest follow the keys' codes.
const int MouseButtonCount = 16;
const int MouseButtonCodeBase = 0x100; // button 6 is 0x106
const int KeyCodeCount = MouseButtonCodeBase + MouseButtonCount + 1;
// The code of mouse button 1-16; 0 for any other number. Inline: the settings read these codes
// without a device behind them.
inline int mouseButtonCode(int button)
{
    const int windows[] = {0, VkLButton, VkMButton, VkRButton, VkXButton1, VkXButton2};
    if (button >= 1 && button <= 5) return windows[button];
    if (button > 5 && button <= MouseButtonCount) return MouseButtonCodeBase + button;
    return 0;
}

// The state of a virtual-key code 0-254 or a mouse button's code (pumps pending events first).
struct KeyState
{
    int Down; // held now
    int PressedSinceLastQuery;
};
// Answers the state and clears PressedSinceLastQuery for that code. A tap shorter than a tick
// is reported once. Codes outside 0 to KeyCodeCount - 1 are never down.
KeyState platformKeyState(int code);
// The key of the earliest press not yet taken (the lowest code of those one key stands for),
// and that press taken; -1 when none waits. Presses made later stay for the next call, and a
// key held since before the last clear is not a press.
int platformNextKeyPress();
// Forgets every press, and the keys, stick directions and buttons held now read as let go
// until they are: what closed a pop-up, or was pressed while it was up, does not act after it.
void platformForgetInput();

// A stick's reading: a controller's d-pad and left stick, or a device's first two axes and its
// hats, with a hat or d-pad pressed to a side putting the stick at that end.
struct JoystickPosition
{
    uint32_t X, Y;    // 0 ... 65535, 32768 in the middle
    uint32_t Buttons; // button n in bit n - 1
};
const int JoystickPlayers = 2;  // sticks beyond these wait until one of them is removed
const int JoystickButtons = 27; // buttons after these are not read
// Opens every joystick and game controller attached now and, from then on, each one plugged
// in; one line on standard error for each device found or removed.
void platformWatchJoysticks();
// Reads the stick that serves player 1 or 2; 0 when that player has none (one pulled out
// since is given up at once).
int platformJoystickRead(int player, JoystickPosition* position);
// What a key or mouse button did since the last call for it, whichever program has the
// keyboard (a game): seen as events where the system gives them (X's raw input, or the input
// devices when the user may read them), so that a tap of any length counts; elsewhere the X
// keyboard is looked at, or only the front end's own events are seen.
struct KeyHold
{
    int Down;     // held now
    int Pressed;  // pressed since the last call
    int Released; // let go since the last call
};
KeyHold platformKeyHold(int code);
// Some key or mouse button is held now or was pressed since the last call, in the same sense.
int platformAnyKeyTouched();
// The pointer's motion since the last call, in pixels as the device gives it: never stopped
// at the screen's edges, and the pointer never moved where the owner would see it.
void platformTakePointerMotion(int* dx, int* dy);
