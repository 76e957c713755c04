// Game lists other front ends and scrapers write beside a system's ROMs (gamelist.xml): the
// games' proper titles, descriptions, makers, genres and pictures, and the plays and favourites
// kept there, which are carried into this program's own history once. The list is only read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct SourceStamp;

struct Game;

// What a list says of one game. Media paths are as the list writes them (made whole against
// the list's folder when a game takes them).
struct GameListEntry
{
    std::string File; // the file name of its <path>: what it is matched to a game by
    std::string Name, Description, Image, Thumbnail, Marquee, Video;
    std::string Developer, Publisher, Genre;
    int Year;    // of <releasedate>; 0 when it names none
    int Players; // the largest number of <players>; 0 when it names none
    int Rating;  // <rating> in hundredths (0-100); -1 when it is missing or out of range
    int Hidden, Favourite;
    int64_t PlayCount;
    int64_t LastPlayed; // seconds since 1970 (UTC); 0: never
};

// What reading a list found, and what it could not use.
struct GameListRead
{
    std::vector<GameListEntry> Entries; // in the list's order; a file named twice only once
    std::string Fault;                  // "line 12: mismatched tag"; empty when read whole
    int Refused;                        // a DOCTYPE: nothing is used
    int WithoutPath, Duplicates, TextsCut;
    std::string FirstDuplicate;
};

// Reads a list's bytes. Bytes that are not UTF-8 are read as Windows-1252, so one such byte
// does not end the list.
GameListRead parseGameList(std::string_view bytes);
// Where the cache of the list at listPath is kept: <list>.cache.
std::string gameListCachePath(const std::string& listPath);
// What was read, kept beside the list (<list>.cache) so that a later start reads no XML: the
// list's state it was read from, and the result. Reading answers 0 and why when bytes are no
// such cache or a damaged one.
std::string formatGameListCache(const SourceStamp& source, const GameListRead& read);
int readGameListCache(const std::string& bytes, SourceStamp& source, GameListRead& read,
                      std::string& why);

// Reads the emulator's GameList (when it names one) and gives its games what it says: the
// title (unless GameListNames=0), year, maker, genre as category, players, pictures, hidden
// mark. What the list holds of plays is kept for mergeGameListPlays. Faults are told on
// standard error once per start; a list that cannot be read leaves the games as they were.
void applyGameList(int emulatorIndex);
// Carries the plays, favourites and last-played dates of the lists read at this start into the
// play history (after it is loaded), each only once: what a list said is remembered with the
// game, so a later start adds only what the list gained since. Writes the history when
// anything changed.
void mergeGameListPlays();
// Forgets the plays of the lists read at this start that were not merged yet.
void forgetGameLists();
// Some game of the catalogue is marked hidden by its list.
int anyGameHidden();
