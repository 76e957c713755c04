// The game-information window: a game's information text, scrolled with the controls.
#pragma once

#include <string>
#include <vector>

// Opens the window on the first count lines and returns when the player has closed it.
void showGameInfo(const std::vector<std::string>& lines, int count);
