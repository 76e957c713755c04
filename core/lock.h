// The operator's lock: the actions it stops, and the sequence of actions that switches it on
// and off from the cabinet's own controls.
#pragma once

#include "runtime/controls.h"

#include <cstdint>
#include <string>
#include <vector>

const int LockSequenceMs = 5000; // the whole sequence is entered within this time

struct LockEntry
{
    Action Entered;
    int64_t At; // on the platform clock
};

struct LockRecord
{
    std::vector<Action> Sequence;  // empty: only the configuration file switches the lock
    int Allowed[ActionCount];      // let through although the lock would stop it
    std::vector<LockEntry> Latest; // the latest entries, oldest first
};
extern LockRecord Lock;

// The action a name stands for, letter case aside: a [Keymappings] name of the first player
// (SelectUp, ShowMenu, ...) or one of the short names Up, Down, Left, Right, Start, Info, Menu,
// Exit; -1 for none.
int actionNamed(const std::string& name);
// Reads LockSequence and LockAllows from the settings, telling on standard error what cannot
// be used (then the lock is switched by the file only, or the name is let pass unheeded).
void loadLock();
// The lock is on and stops this action.
int lockStops(Action action);
// Enters a tick's new presses into the sequence. 1 when they completed it within
// LockSequenceMs (the entries start over).
int noteLockEntries(const int newlyPressed[ActionCount], int64_t now);
