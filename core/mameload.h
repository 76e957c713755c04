// The MAME emulators' games at start-up, from mame.lst or from MAME itself.
#pragma once

struct Emulator;

// Reads the emulator's games from mame.lst in the current directory, asking MAME for the list
// first when there is none; then their availability and categories. 0 after telling the player
// why the start cannot go on.
int loadMameEmulator(const Emulator& emulator, int index);
// Once every emulator is loaded, or the loading failed: a list used only for this start is
// deleted.
void finishMameLists();
