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

// A sound device is open: sounds and music can play.
int platformSoundOpen();

// Music: one track at a time, streamed from its file while it plays, mixed under the skin's
// sounds. Starts the file at volume (0 to 100), replacing the track playing; fills title with
// its title tag (empty without one). 0, with why in a few words, when it cannot play (no sound
// device, unreadable, not MP3, Ogg Vorbis, FLAC or WAV).
int platformPlayMusic(const std::string& path, int volume, std::string* title, std::string& why);
// The track ended by itself since the last call (a truncated file ends where it breaks off).
int platformMusicEnded();
// Paused music keeps its place; resuming goes on from there.
void platformPauseMusic(int paused);
void platformStopMusic();
