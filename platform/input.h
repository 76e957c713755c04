// Keyboard state by Windows virtual-key code, and the first joystick.
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

// The state of a virtual-key code 0-254 (pumps pending events first).
struct KeyState
{
    int Down; // held now
    int PressedSinceLastQuery;
};
// Answers the state and clears PressedSinceLastQuery for that code. A tap shorter than a tick
// is reported once. Codes outside 0-254 are never down.
KeyState platformKeyState(int code);
// The lowest code 0-254 that is down or was pressed since its last query, querying each code
// up to it as platformKeyState does; -1 when none. Events are pumped once for the whole scan.
int platformFirstActiveKey();
// Forgets every PressedSinceLastQuery.
void platformClearKeyPresses();

struct JoystickPosition
{
    uint32_t X, Y;    // 0 ... 65535
    uint32_t Buttons; // buttons 1-4 in bits 0-3
};
// 1 when the first joystick is attached; fills its axis ranges.
int platformJoystickPresent(uint32_t* xMin, uint32_t* xMax, uint32_t* yMin, uint32_t* yMax);
// 0 when the device has gone.
int platformJoystickRead(JoystickPosition* position);
