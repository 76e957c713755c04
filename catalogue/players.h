// How many play at once: the community's players file (nplayers.ini), whose [NPlayers] lines
// ("tmnt=4P sim", "1942=2P alt", "x=4P alt / 2P sim") tell players together from players
// taking turns, which MAME's own list cannot.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct Game;

// One value of the file: the most players at once ("NP sim") and taking turns ("NP alt"); both
// 0 when the value is not made of such parts ("???", "BIOS", "Pinball", "2P", "P sim").
struct PlayerCounts
{
    uint8_t Together;
    uint8_t InTurn;
};
PlayerCounts parsePlayersValue(std::string_view value);

// Gives the games of that MAME emulator what its NPlayersFile says: a game's own line, else
// its parent's; the first line naming a game counts. A file that cannot be read is one line
// on standard error, and the games are counted by the list's players as before. 0 when no
// file was read.
int loadPlayersFile(int emulatorIndex);
// The players the bounds test: with counted at once, the most players together, 1 for a game
// only taken in turns; else (or when the file does not know) the list's players. -1 when
// neither is known.
int playersCounted(const Game& game, int countAtOnce);
// For the status bar: "2 players at once", "4 alternating", both ("2 players at once, 4
// alternating"), else the list's "2 players" or "1 player"; empty when nothing is known.
std::string playersText(const Game& game);
