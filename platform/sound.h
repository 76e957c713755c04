// Wave sounds played from files; one at a time.
#pragma once

#include <string>

// Plays the file; a new sound cuts off the one playing. A missing or unreadable file plays
// nothing and reports nothing. With wait set, returns when the sound has played.
void platformPlayWave(const std::string& path, int wait);
void platformStopSound();
