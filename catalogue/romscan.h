// Games found as ROM files in an emulator's directories, or listed by hand in its section,
// with the name codes their file names carry.
#pragma once

#include "catalogue/catalogue.h"

#include <string>

// Appends the emulator's games to AllGames.
void discoverRoms(const Emulator* emulator, int emulatorIndex);
// Flag i set exactly when the code of row i occurs in text.
NameCodeFlags decodeNameCodes(const std::string& text);
