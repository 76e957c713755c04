// Wave sounds played from files, one at a time; and the sound of a video under them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Plays the file; a new sound cuts off the one playing. A missing or unreadable file plays
// nothing and reports nothing. With wait set, returns when the sound has played.
void platformPlayWave(const std::string& path, int wait);
void platformStopSound();

// A video's sound: 16-bit samples, two channels interleaved, 44100 a second. It is mixed under
// the skin's sounds and is silent while one plays. Every call is safe from any thread.
// Clears what was queued; what is queued next waits for platformPlayVideoSound.
void platformStartVideoSound(int volume); // 0 to 100
// Appends samples; beyond two seconds queued the rest is dropped.
void platformQueueVideoSound(const int16_t* samples, size_t count);
void platformPlayVideoSound();
void platformStopVideoSound();
