// Music between games: the tracks of the music folder in a shuffled order that plays every
// track once before any plays again, silent while a game runs or a video plays its sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

const size_t MusicTrackLimit = 100000; // of a folder; more are left out, told

struct MusicTrack
{
    std::string Path;
    bool Unplayable = false; // it could not play, and is left out from now on
};

struct MusicRecord
{
    std::vector<MusicTrack> Tracks; // every track found, sorted by path
    std::vector<size_t> Order;      // this round: places in Tracks
    size_t Next = 0;                // the place in Order of the track to play next
    size_t Last = SIZE_MAX;         // the track that played last; none at first
    std::string Title;              // of the track playing; empty while none plays
    uint64_t TitleChanges = 0;      // counts every change of Title, for whoever shows it
    int Pauses = 0;                 // reasons to be silent now: a game, a video with sound
    uint64_t Seed = 0;              // of the next round's shuffle
};
extern MusicRecord Music;

// The order of a round of count tracks: each once, shuffled from seed; a round never starts
// with last, the track the round before ended with (when there is another).
std::vector<size_t> shuffledRound(size_t count, size_t last, uint64_t seed);
// Finds the tracks of MusicFolder and starts the first; nothing without a folder. What cannot
// be used is told on standard error.
void startMusic();
void stopMusic();
// Run every tick: the next track once one has ended.
void musicStep();
// The NextTrack key: the next track at once.
void skipTrack();
// Pauses nest: the music goes on where it stopped once every pause is resumed.
void pauseMusic();
void resumeMusic();
// The title of the track playing (its tag, else its file name); empty while none plays.
const std::string& musicTitle();
