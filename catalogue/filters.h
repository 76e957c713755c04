// Which MAME games have their zip file, the order of AllGames, and the list the screen shows.
#pragma once

#include "catalogue/catalogue.h"

// Sets Available of the games of the MAME emulator at emulatorIndex.
void markAvailableGames(int emulatorIndex);
// Byte-wise unsigned comparison of the Descriptions: negative, zero or positive.
int compareDescriptions(const Game* a, const Game* b);
void sortAllGames();
// Rebuilds VisibleGames from AllGames, FrontendState.CurrentEmulator and the filters.
void rebuildVisibleGames();
