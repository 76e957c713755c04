// Between the virtual-key codes the configuration names and the keysyms of X and xkbcommon;
// for the files of platform/ only.
#pragma once

// A keysym stands for at most this many codes (Shift_L: the generic Shift and the left one).
const int KeysymCodesLimit = 3;

// The keysym of a virtual-key code; 0 when it has none.
unsigned long keysymOfVirtualKey(int code);
// The codes a keysym stands for, into codes; answers how many (0 for none).
int virtualKeysOfKeysym(unsigned long symbol, int codes[KeysymCodesLimit]);
