// Which MAME games have their zip file, the order of AllGames, and the list the screen shows.
#pragma once

#include "catalogue/catalogue.h"

#include <string>
#include <vector>

// Sets Available of the games of the MAME emulator at emulatorIndex.
void markAvailableGames(int emulatorIndex);
// Byte-wise unsigned comparison of the Descriptions: negative, zero or positive.
int compareDescriptions(const Game* a, const Game* b);
void sortAllGames();
// Rebuilds VisibleGames from AllGames, FrontendState.CurrentEmulator, the filters and the
// categories, in the order SortGamesBy chooses.
void rebuildVisibleGames();

// Why the list of the emulator (or emulators) in view is empty, one line for each: "<name>:
// ROM folder not found: <path>", "... no file with the extension .zip in <path>", "... all 12
// games hidden: 12 without their zip in roms", "... emulator section not found"; one line for
// the favourites. Meant for an empty VisibleGames.
std::vector<std::string> emptyListReasons();

// Jumping by letter. The group of a description's first byte: 1-26 for the letters A to Z
// regardless of case, 0 for anything else (digits, signs, bytes beyond ASCII, an empty text).
int initialGroup(const std::string& description);
// The index of the first visible game of the nearest group after (step 1) or before (step -1)
// the one of the game at current, wrapping round; its own group's first game when it is the
// only group. -1 for an empty list.
int gameOfNextInitial(int current, int step);
