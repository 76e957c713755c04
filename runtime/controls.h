// The controls: what a key or the joystick asks for, how each is tested and the joystick found
// at start-up. Keys and the joystick are polled, never waited for.
#pragma once

#include "config/settings.h"

// What a control can ask for.
enum Action
{
    ActionSelectUp,
    ActionSelectDown,
    ActionSelectPageUp,
    ActionSelectPageDown,
    ActionExit,
    ActionStartGame,
    ActionGameInfo,
    ActionShowMenu,
    ActionConfigControls,
    ActionShutdown1,
    ActionShutdown2,
    ActionChangeEmu,
    ActionCount
};

// Tests every binding once, in the fixed sampling order, and marks the actions asked for.
// A key test clears the key's "pressed since" fact, so a tap is seen by the first binding
// tested only.
void sampleActions(int active[ActionCount]);

// The key is down or was pressed since its last test; never while another program has the
// focus.
int isKeyActive(int key);
// Non-zero when the joystick direction (1 right, 2 left, 4 down, 8 up) or button (16, 32, 64,
// 128) is held. Every call reads the joystick afresh.
int isJoystickActive(int code);
// A control of the pop-up windows: the first player's key, else its joystick input when the
// binding has one, or the second player's key. Both keys are tested, so neither press is left
// over for a later tick.
int isControlActive(KeyBinding key, KeyBinding playerTwoKey);
// Forgets every key press made so far.
void flushKeyboard();
// Finds the first joystick and its axis ranges; run once, at the end of loading.
void initJoystick();
