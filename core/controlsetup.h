// The controls set-up, in which a player records the five Player 1 keys.
#pragma once

#include <string>

// Shows prompt and waits for any key or mouse button; answers its virtual-key code, or -1
// when a stop signal came first.
int waitForAnyKey(const std::string& prompt);
// Records the Player 1 up, down, page up, page down and start keys, each written to the
// configuration file as soon as it is pressed.
void configureControls();
