// The game-information file: pages of text for MAME games, attached to their records.
#pragma once

#include <cstdio>
#include <string>

// Does nothing (1) when the information file is switched off; 0 when it cannot be opened.
// Clears *complete (when given) when the reading stopped before the end of the file.
int loadMameInfo(const std::string& path, int* complete = nullptr);
// Reads the entries of file into the games' InfoLines; 1 when it ended between entries.
int parseMameInfo(FILE* file);
