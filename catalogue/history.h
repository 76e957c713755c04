// Favourites and play history: which games the player marked, how often each was started and
// when last. Kept in one text file beside the configuration file, replaced whole at every
// change (a favourite marked, a game started), so a power cut loses at most the play under way.
// A game is known by its emulator's name and its own name; entries of games not present now
// are kept.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct Game;

struct PlayRecord
{
    std::string Emulator; // the emulator's Name
    std::string Game;     // the game's Name: the MAME set or the ROM file name
    int Favourite;
    int64_t Plays;
    int64_t LastPlayed; // seconds since 1970 (UTC); 0: never
    // What the game's list (of another front end) said when it was last carried over, so
    // that only what it gained since is added: written only when ListMerged is set.
    int ListMerged = 0;
    int ListFavourite = 0;
    int64_t ListPlays = 0;
    std::string Extra; // what a later version wrote after these fields, kept as it was
};

// Every entry of the file and every one added since, in the file's order; owns them. The
// games point at theirs (Game::Played).
extern std::vector<std::unique_ptr<PlayRecord>> PlayRecords;

// "<configuration file without its extension>-history.txt", beside it.
std::string playHistoryPath(const std::string& configFile);

// What a history file held.
struct PlayHistoryText
{
    std::vector<PlayRecord> Records; // one per game: entries of the same game are merged
    int Version;                     // of the format; 0 when it is not a history file at all
    int BadLines;                    // lines that could not be read
};
// Reads the text of a history file; never fails, what it cannot read is counted.
PlayHistoryText parsePlayHistory(std::string_view text);
std::string formatPlayHistory(const std::vector<std::unique_ptr<PlayRecord>>& records);

// Reads the file beside the configuration file and links every game to its entry. A file that
// cannot be read, or read only in part, is told once and left as it is until the player
// changes something; it is then copied beside the new one as "<name>.unreadable", and while
// that copy cannot be made (a file this user may not read) it is never replaced.
void loadPlayHistory();
// Marks or unmarks the game, and records one start of it now; both write the file.
void toggleFavourite(Game& game);
void recordPlay(Game& game);
// Carries what another front end's list says of the game into its record: the plays it
// gained and a favourite mark it gained since the last time, and a later last play. 2 when
// that changed the record, 1 when only what the list said is newly remembered, else 0.
int mergeListedPlays(Game& game, int favourite, int64_t plays, int64_t lastPlayed);
int isFavourite(const Game& game);
int64_t playsOf(const Game& game);
int64_t lastPlayedOf(const Game& game);
// Writes the file now; 0 when it cannot be written (told once).
int savePlayHistory();
void forgetPlayHistory();
