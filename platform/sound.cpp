// Wave sounds through SDL_mixer on a single channel, so a new sound cuts off the one playing.
#include "platform/sound.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <SDL_mixer.h>

#include <cstdio>

static int AudioOpen;
static Mix_Chunk* Playing;
static std::vector<std::string> SoundsPlayed;

// A machine without a sound device runs silent: that is not an error.
void startSound()
{
    if (AudioOpen) return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        fprintf(stderr, "No sound device, sounds are off: %s\n", SDL_GetError());
        return;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0)
    {
        fprintf(stderr, "No sound device, sounds are off: %s\n", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(1);
    AudioOpen = 1;
}

void platformStopSound()
{
    if (!AudioOpen) return;
    Mix_HaltChannel(0);
    if (Playing) Mix_FreeChunk(Playing);
    Playing = nullptr;
}

void stopSound()
{
    if (!AudioOpen) return;
    platformStopSound();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    AudioOpen = 0;
}

void platformPlayWave(const std::string& path, int wait)
{
    if (!AudioOpen) return;
    // The file is closed here: the mixer does not close it when the contents are not a sound.
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) return;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 0);
    SDL_RWclose(file);
    if (!chunk) return; // missing or unreadable: silence, and no default sound either
    platformStopSound();
    Playing = chunk;
    if (Mix_PlayChannel(0, chunk, 0) < 0) return;
    SoundsPlayed.push_back(path);
    if (!wait) return;
    // Waiting blocks the program: what was drawn must be on the screen meanwhile.
    presentIfDirty();
    while (Mix_Playing(0))
    {
        pumpSdlEvents();
        SDL_Delay(5);
    }
}

std::vector<std::string>& testSoundsPlayed()
{
    return SoundsPlayed;
}

void resetTestRecords()
{
    SoundsPlayed.clear();
}
