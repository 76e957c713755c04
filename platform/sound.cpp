// Wave sounds through SDL_mixer on a single channel, so a new sound cuts off the one playing.
#include "platform/sound.h"

#include "platform/files.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>

// A skin's sounds are seconds long; a bigger file is a mistake, and the mixer would decode
// all of it into memory (several times its size) before playing a note.
const int64_t SoundFileLimit = 16 << 20;
// An album in one FLAC file is a few hundred megabytes.
const int64_t MusicFileLimit = 4LL << 30;

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

// The video's sound waiting for the mixer, filled by the video's decoder and emptied by the
// mixer's thread.
struct VideoSoundQueue
{
    std::mutex Lock;
    std::deque<int16_t> Samples;
    int Volume = 0; // the mixer's scale, 0 to 128
    int Playing = 0;
    int64_t Queued = 0;
};
static VideoSoundQueue VideoSound;
const size_t VideoSoundLimit = 2 * 44100 * 2;

// Runs on the mixer's thread after the skin's channel was mixed.
static void mixVideoSound(void*, Uint8* stream, int length)
{
    std::vector<int16_t> samples((size_t)length / 2);
    {
        std::lock_guard<std::mutex> hold(VideoSound.Lock);
        if (!VideoSound.Playing) return;
        size_t count = std::min(samples.size(), VideoSound.Samples.size());
        std::copy_n(VideoSound.Samples.begin(), count, samples.begin());
        VideoSound.Samples.erase(VideoSound.Samples.begin(), VideoSound.Samples.begin() + count);
    }
    if (Mix_Playing(0)) return; // the skin's sound alone: what it hides is dropped
    SDL_MixAudioFormat(stream, (const Uint8*)samples.data(), AUDIO_S16SYS, (Uint32)length,
                       VideoSound.Volume);
}

// The mixer runs at the rate and layout the video's sound is decoded to, or the sound would
// play at the wrong speed: otherwise it stays silent.
static int mixerTakesVideoSound()
{
    int rate = 0, channels = 0;
    Uint16 format = 0;
    return AudioOpen && Mix_QuerySpec(&rate, &format, &channels) && rate == 44100 &&
           format == AUDIO_S16SYS && channels == 2;
}

void platformStartVideoSound(int volume)
{
    {
        std::lock_guard<std::mutex> hold(VideoSound.Lock);
        VideoSound.Samples.clear();
        VideoSound.Playing = 0;
        VideoSound.Volume = std::clamp(volume, 0, 100) * MIX_MAX_VOLUME / 100;
    }
    // Mixed after everything else: the music's own hook belongs to the music.
    if (mixerTakesVideoSound()) Mix_SetPostMix(mixVideoSound, nullptr);
}

void platformQueueVideoSound(const int16_t* samples, size_t count)
{
    std::lock_guard<std::mutex> hold(VideoSound.Lock);
    count = std::min(count, VideoSoundLimit - std::min(VideoSoundLimit, VideoSound.Samples.size()));
    VideoSound.Samples.insert(VideoSound.Samples.end(), samples, samples + count);
    VideoSound.Queued += (int64_t)count;
}

void platformPlayVideoSound()
{
    std::lock_guard<std::mutex> hold(VideoSound.Lock);
    VideoSound.Playing = 1;
}

void platformStopVideoSound()
{
    if (AudioOpen) Mix_SetPostMix(nullptr, nullptr); // waits for the mixer's thread to let go
    std::lock_guard<std::mutex> hold(VideoSound.Lock);
    VideoSound.Samples.clear();
    VideoSound.Playing = 0;
}

int64_t testVideoSoundQueued()
{
    std::lock_guard<std::mutex> hold(VideoSound.Lock);
    return VideoSound.Queued;
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
    platformStopMusic();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    AudioOpen = 0;
}

void soundDeviceLost()
{
    if (!AudioOpen) return;
    fprintf(stderr, "The sound device went away: music and sounds are off until the next start\n");
    platformStopVideoSound();
    stopSound();
}

// A sound's or a track's file as platformOpenData opens it: never a FIFO, never beyond limit.
static SDL_RWops* openStream(const std::string& path, int64_t limit)
{
    FILE* file = platformOpenData(path, limit);
    SDL_RWops* stream = file ? SDL_RWFromFP(file, SDL_TRUE) : nullptr;
    if (file && !stream) fclose(file);
    return stream;
}

// The decoded sound; null for a missing file (silently) or one that cannot be played (told
// once per path on standard error, as the same sound is asked for at every key).
static Mix_Chunk* loadSound(const std::string& path)
{
    static std::set<std::string> reported;
    SDL_RWops* file = openStream(path, SoundFileLimit);
    if (!file) return nullptr;
    // The file is closed here: the mixer does not close it when the contents are not a sound.
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 0);
    SDL_RWclose(file);
    if (!chunk && reported.insert(path).second)
        fprintf(stderr, "Sound not played: %s is not a readable wave file\n", path.c_str());
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

int platformSoundOpen()
{
    return AudioOpen;
}

static Mix_Music* Music;
static std::atomic<int> MusicEnded;

// Runs on the mixer's thread: only a flag is set there.
static void onMusicFinished()
{
    MusicEnded = 1;
}

// The kind by the file's first bytes, never by its name: a picture named .mp3 would otherwise
// be searched through for sound to its end. MUS_NONE for anything else.
static Mix_MusicType musicKind(SDL_RWops* file)
{
    unsigned char head[12] = {0};
    size_t got = SDL_RWread(file, head, 1, sizeof head);
    SDL_RWseek(file, 0, RW_SEEK_SET);
    if (got < 4) return MUS_NONE;
    if (!memcmp(head, "OggS", 4)) return MUS_OGG;
    if (!memcmp(head, "fLaC", 4)) return MUS_FLAC;
    if (got == 12 && !memcmp(head, "RIFF", 4) && !memcmp(head + 8, "WAVE", 4)) return MUS_WAV;
    if (!memcmp(head, "ID3", 3) || (head[0] == 0xFF && (head[1] & 0xE6) == 0xE2)) return MUS_MP3;
    return MUS_NONE;
}

static Mix_Music* openMusic(const std::string& path, std::string& why)
{
    SDL_RWops* file = openStream(path, MusicFileLimit);
    if (!file)
    {
        why = "cannot be read";
        return nullptr;
    }
    Mix_MusicType kind = musicKind(file);
    if (kind == MUS_NONE)
    {
        SDL_RWclose(file);
        why = "is not MP3, Ogg Vorbis, FLAC or WAV";
        return nullptr;
    }
    Mix_Music* music = Mix_LoadMUSType_RW(file, kind, 1); // streamed: the file stays open
    if (!music) why = std::string("cannot be played (") + Mix_GetError() + ")";
    return music;
}

int platformPlayMusic(const std::string& path, int volume, std::string* title, std::string& why)
{
    platformStopMusic();
    if (!AudioOpen)
    {
        why = "no sound device";
        return 0;
    }
    Mix_Music* music = openMusic(path, why);
    if (!music) return 0;
    Mix_HookMusicFinished(onMusicFinished);
    Mix_VolumeMusic(std::clamp(volume, 0, 100) * MIX_MAX_VOLUME / 100);
    if (Mix_PlayMusic(music, 0) != 0)
    {
        why = std::string("cannot be played (") + Mix_GetError() + ")";
        Mix_FreeMusic(music);
        return 0;
    }
    Music = music;
    MusicEnded = 0;
    if (title) *title = Mix_GetMusicTitleTag(music);
    return 1;
}

int platformMusicEnded()
{
    return MusicEnded.exchange(0);
}

void platformPauseMusic(int paused)
{
    if (!Music) return;
    if (paused)
        Mix_PauseMusic();
    else
        Mix_ResumeMusic();
}

void platformStopMusic()
{
    if (!Music) return;
    Mix_HookMusicFinished(nullptr); // a track stopped on purpose did not end by itself
    Mix_HaltMusic();
    Mix_FreeMusic(Music);
    Music = nullptr;
    MusicEnded = 0;
}

std::vector<std::string>& testSoundsPlayed()
{
    return SoundsPlayed;
}

void resetTestRecords()
{
    SoundsPlayed.clear();
}
