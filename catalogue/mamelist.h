// The MAME game list: the emulator's -listxml output, captured once into mame.lst (by the
// launcher), read from there into games, with clones linked to their parents.
#pragma once

#include <string>

// What reading a MAME list came to.
enum MameListLoad
{
    ListUnreadable = 0, // the list could not be read: only capturing it again can mend it
    ListLoaded = 1,
    InfoUnreadable = 2, // the list was read, the game information file could not be opened
};
// Appends the games of the list at path to AllGames for the emulator at emulatorIndex,
// links its clones to their parents; reads the game information when it is switched on.
// The games come from the list's snapshot when it matches the list, and a list read without
// an error leaves a snapshot for the next start. A list that is not whole XML (cut off, or
// damaged) gives the games before the fault; the fault's "Parse error" text goes to problem
// (empty when the list is whole) for the caller to tell, or without problem into the box.
MameListLoad loadMameList(const std::string& path, int emulatorIndex,
                          std::string* problem = nullptr);
// Deletes the list and its snapshot.
void deleteMameList(const std::string& path);
