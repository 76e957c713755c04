// Wave sounds through SDL_mixer on a single channel, so a new sound cuts off the one playing.
#include "platform/sound.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <set>

// A skin's sounds are seconds long; a bigger file is a mistake, and the mixer would decode
// all of it into memory (several times its size) before playing a note.
const Sint64 SoundFileLimit = 16 << 20;

static int AudioOpen;
static Mix_Chunk* Playing;
static std::vector<std::string> SoundsPlayed;

// The sound libraries print their own lines while they look for a device (ALSA prints eight
// without a sound card); standard error is sent to /dev/null meanwhile, and our one line says
// what matters. Answers the saved standard error, -1 when it could not be saved.
static int silenceStandardError()
{
    fflush(stderr);
    int saved = dup(STDERR_FILENO);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
    return saved;
}

static void restoreStandardError(int saved)
{
    if (saved < 0) return;
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
}

// 0 with the reason in why when there is no device to play on.
static int openAudio(std::string& why)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        why = SDL_GetError();
        return 0;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0)
    {
        why = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    return 1;
}

// A machine without a sound device runs silent: that is not an error.
void startSound()
{
    if (AudioOpen) return;
    std::string why;
    int saved = silenceStandardError();
    int opened = openAudio(why);
    restoreStandardError(saved);
    if (!opened)
    {
        fprintf(stderr, "No sound device, sounds are off: %s\n", why.c_str());
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

// The decoded sound; null for a missing file (silently) or one that cannot be played (told
// once per path on standard error, as the same sound is asked for at every key).
static Mix_Chunk* loadSound(const std::string& path)
{
    static std::set<std::string> reported;
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) return nullptr;
    Sint64 size = SDL_RWsize(file);
    // The file is closed here: the mixer does not close it when the contents are not a sound.
    Mix_Chunk* chunk = size >= 0 && size <= SoundFileLimit ? Mix_LoadWAV_RW(file, 0) : nullptr;
    SDL_RWclose(file);
    if (!chunk && reported.insert(path).second)
        fprintf(stderr, "Sound not played: %s %s\n", path.c_str(),
                size > SoundFileLimit ? "is larger than 16 MB" : "is not a readable wave file");
    return chunk;
}

void platformPlayWave(const std::string& path, int wait)
{
    if (!AudioOpen) return;
    Mix_Chunk* chunk = loadSound(path);
    if (!chunk) return; // silence, and no default sound either
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

int testSoundPlaying()
{
    return AudioOpen && Mix_Playing(0);
}

std::vector<std::string>& testSoundsPlayed()
{
    return SoundsPlayed;
}

void resetTestRecords()
{
    SoundsPlayed.clear();
}
