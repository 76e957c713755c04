// The pages of a MAME game's information window: the information text, the story from the
// history file and one page per block of the command file, each taken from the game's parent
// when the game has none of its own.
#pragma once

#include "popups/gameinfo.h"

#include <vector>

struct Game;

// Opens (or builds) the indexes of the history and command files the settings name; run at
// start-up, before the first frame.
void openInformationFiles();
// Forgets both indexes.
void closeInformationFiles();
// The game's pages, in the window's order; none when it has nothing to show. A game with only
// its information text gets one untitled page, the plain information window.
std::vector<InfoPage> informationPages(const Game& game);
