// The controls: what a key or a stick asks for and how each is tested. Keys and sticks are
// polled, never waited for.
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
    ActionSelectLetterUp,
    ActionSelectLetterDown,
    ActionToggleFavourite,
    ActionSearch,
    ActionRandomGame,
    ActionNextTrack,
    ActionCount
};

// The action moves the selection (up, down, a page, a letter).
int isMove(Action action);
// Tests every binding once, in the fixed sampling order, and marks the actions asked for.
// A key test clears the key's "pressed since" fact, so a tap is seen by the first binding
// tested only.
void sampleActions(int active[ActionCount]);
// The actions of one tick as every reader takes them: asked for now, and newly pressed (asked
// for now and not in the tick before, so that a held key is one press).
struct TickActions
{
    int Active[ActionCount];
    int NewlyPressed[ActionCount];
};
// Samples the tick's actions once and marks the new presses against the tick sampled before.
void sampleTick(TickActions& tick);

// The key is down or was pressed since its last test; never while another program has the
// focus.
int isKeyActive(int key);
// Non-zero when player 1's stick is pushed to a side (1 right, 2 left, 4 down, 8 up) or holds a
// button (16 button 1, 32 button 2, ... each next button doubles the code). Every call reads
// the stick afresh; never without one, or with UseJoystick off.
int isJoystickActive(int code);
// The same for player 1's or player 2's stick.
int isPlayerJoystickActive(int player, int code);
// A control of the pop-up windows: the first player's key, else its joystick input, or the
// second player's key or stick. Both keys are tested, so neither press is left over for a later
// tick.
int isControlActive(KeyBinding key, KeyBinding playerTwoKey);
// Either player's Exit key or stick button is held down now, and was not let go since the last
// look, whichever program has the focus.
int isExitHeld();
// Any key or mouse button of either player is held now or was pressed since the last look (a
// tap of any length), or a stick direction or button is held now, whichever program has the
// focus.
int isAnyControlTouched();
// What a trackball or spinner asked for since the last tick.
struct PointerSteps
{
    int Rows;  // down when positive
    int Pages; // on when positive
};
// The rows (TrackballRowPixels of motion up or down each) and pages (SpinnerPagePixels of motion
// sideways each) the pointer moved since the last call, its motion turned as the picture is
// (Rotation); what falls short of a step is kept for the next call. At most maxRows rows and one
// page are answered: motion beyond is dropped, so a ball spun hard stops when it stops.
PointerSteps takePointerSteps(int maxRows);
// After a game left with Exit held: Exit does not act until every Exit control was let go,
// so the hold that ended the game does not also end the front end.
void holdOffExit();
// Forgets every press made so far; the keys and stick inputs held now act again only once
// they were let go. Run as a pop-up opens and closes, so that nothing pressed before or during
// it, or held to close it, acts after it.
void flushKeyboard();
// Sets the sticks' axis ranges and, unless UseJoystick is off, starts watching for sticks: those
// attached now and every one plugged in later. Run once, at the end of loading.
void initJoystick();
