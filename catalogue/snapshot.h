// The snapshot of a MAME list: the games one read of mame.lst gave (with their game
// information), kept in a compact binary file beside it and read back at the next start in
// place of the XML when nothing they came from has changed. The file checks itself: a
// damaged, foreign or stale one is ignored and the list is read again.
#pragma once

#include "catalogue/sealedfile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct Game;

// Everything the games read from a list depend on.
struct SnapshotSource
{
    SourceStamp List;     // the list, and the build that read it
    std::string InfoPath; // empty when the game information is not read
    int64_t InfoSize;
    int64_t InfoStamp;
};

int operator==(const SnapshotSource& a, const SnapshotSource& b);

// The snapshot file of the list at listPath.
std::string snapshotPath(const std::string& listPath);
// Describes the list and, when it is switched on, the information file the settings name;
// 0 when either cannot be read.
int describeSnapshotSource(const std::string& listPath, SnapshotSource& source);
// Appends the snapshot's games to AllGames for that emulator, as the list read gave them,
// when the snapshot was made from source. 0, with nothing appended, when there is no
// snapshot or it cannot be used; each reason but a missing file is one line on standard error.
int loadSnapshot(const std::string& listPath, const SnapshotSource& source, int emulatorIndex);
// Replaces the snapshot with the games AllGames holds from firstGame on. 0 when it cannot be
// written, which is told on standard error once for each folder.
int saveSnapshot(const std::string& listPath, const SnapshotSource& source, size_t firstGame);

// What a snapshot file holds.
struct SnapshotContents
{
    SnapshotSource Source;
    std::vector<std::unique_ptr<Game>> Games;
};

// The file format on its own, for the fuzzer and the tests. Reading answers 0 and says why,
// with no games; an expected source of null accepts whichever the file names.
int writeSnapshotFile(FILE* file, const SnapshotSource& source,
                      std::span<const std::unique_ptr<Game>> games);
int readSnapshotFile(FILE* file, const SnapshotSource* expected, int emulatorIndex,
                     SnapshotContents& contents, std::string& why);
