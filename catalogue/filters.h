// Which MAME games have their zip file, the order of AllGames, and the list the screen shows.
#pragma once

#include "catalogue/catalogue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Sets Available of the games of the MAME emulator at emulatorIndex.
void markAvailableGames(int emulatorIndex);
// Byte-wise unsigned comparison of the Descriptions: negative, zero or positive.
int compareDescriptions(const Game* a, const Game* b);
void sortAllGames();
// Rebuilds VisibleGames from AllGames, FrontendState.CurrentEmulator, the filters, the
// cabinet's controls and the categories, in the order SortGamesBy chooses, narrowed last to
// SearchText.
void rebuildVisibleGames();

// The text the player searched for (while the search's keyboard is open, typed so far); empty:
// the list is not narrowed. Left (emptied) when the emulator changes or the menu's choices apply.
extern std::string SearchText;
// The games of from whose Description or Name contains text, ASCII letter case not counted, in
// from's order; all of them for an empty text.
std::vector<Game*> narrowGames(const std::vector<Game*>& from, std::string_view text);

// The control types of [Settings] CabinetControls as bits of the control-type table; none when
// it names no known type (no game is hidden for its controls). Names no list knows are told
// on standard error once.
std::optional<uint32_t> cabinetControlTypes();

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

// A random game's index in a list of count games, drawn from draw: never current when there
// are two or more; -1 for an empty list.
int otherGameAt(int current, int count, uint64_t draw);
