// The player walks the shuffled round; a track that cannot play is told once and skipped, and
// a folder where nothing plays falls silent instead of trying again every tick.
#include "runtime/music.h"

#include "base/text.h"
#include "config/settings.h"
#include "platform/files.h"
#include "platform/sound.h"

#include <algorithm>
#include <cstdio>
#include <random>

MusicRecord Music;

static const char* const MusicExtensions[] = {".mp3", ".ogg", ".oga", ".flac", ".wav"};

std::vector<size_t> shuffledRound(size_t count, size_t last, uint64_t seed)
{
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; i++) order[i] = i;
    std::mt19937_64 draws(seed);
    std::shuffle(order.begin(), order.end(), draws);
    // The same track twice in a row, across the turn of a round, would sound like a repeat.
    if (count > 1 && order[0] == last) std::swap(order[0], order[1 + draws() % (count - 1)]);
    return order;
}

static int isMusicFile(const std::string& path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return 0;
    std::string extension = asciiLowerCase(path.substr(dot));
    return std::count(std::begin(MusicExtensions), std::end(MusicExtensions), extension) > 0;
}

static void findTracks(const std::string& folder)
{
    std::vector<std::string> files;
    if (!platformListFilesDeep(folder, files, MusicTrackLimit * 4))
    {
        fprintf(stderr, "[Settings] MusicFolder=%s: not a folder that can be read; no music\n",
                folder.c_str());
        return;
    }
    for (const std::string& file : files)
        if (isMusicFile(file) && Music.Tracks.size() < MusicTrackLimit)
            Music.Tracks.push_back({file});
    // The shuffle alone decides the order.
    std::sort(Music.Tracks.begin(), Music.Tracks.end(),
              [](const MusicTrack& a, const MusicTrack& b) { return a.Path < b.Path; });
    if (Music.Tracks.empty())
        fprintf(stderr, "[Settings] MusicFolder=%s: no MP3, Ogg, FLAC or WAV files; no music\n",
                folder.c_str());
    else if (Music.Tracks.size() == MusicTrackLimit)
        fprintf(stderr, "[Settings] MusicFolder=%s: only %zu of its tracks are played\n",
                folder.c_str(), MusicTrackLimit);
}

// The name without its folder and extension, for a track without a title tag.
static std::string fileTitle(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// A round of the tracks that can still play, never starting with the one just heard.
static void newRound()
{
    std::vector<size_t> playable;
    size_t last = SIZE_MAX;
    for (size_t i = 0; i < Music.Tracks.size(); i++)
        if (!Music.Tracks[i].Unplayable)
        {
            if (i == Music.Last) last = playable.size();
            playable.push_back(i);
        }
    Music.Order.clear();
    for (size_t place : shuffledRound(playable.size(), last, Music.Seed++))
        Music.Order.push_back(playable[place]);
    Music.Next = 0;
}

// SIZE_MAX once no track can play.
static size_t nextInRound()
{
    while (Music.Next < Music.Order.size() && Music.Tracks[Music.Order[Music.Next]].Unplayable)
        Music.Next++;
    if (Music.Next >= Music.Order.size()) newRound();
    return Music.Order.empty() ? SIZE_MAX : Music.Order[Music.Next++];
}

static int playTrack(size_t track)
{
    const std::string& path = Music.Tracks[track].Path;
    std::string title, why;
    if (!platformPlayMusic(path, FrontendSettings.MusicVolume, &title, why))
    {
        fprintf(stderr, "Music not played: %s %s\n", path.c_str(), why.c_str());
        Music.Tracks[track].Unplayable = true;
        return 0;
    }
    Music.Last = track;
    Music.Title = title.empty() ? fileTitle(path) : title;
    // A tag may hold line breaks or tabs; the status bar is one line.
    for (char& c : Music.Title)
        if ((unsigned char)c < 32) c = ' ';
    Music.TitleChanges++;
    if (Music.Pauses > 0) platformPauseMusic(1);
    return 1;
}

// The next track that plays; once none can, the music stops.
static void playNext()
{
    Music.Title.clear();
    Music.TitleChanges++;
    for (size_t track; (track = nextInRound()) != SIZE_MAX;)
        if (playTrack(track)) return;
    if (!Music.Tracks.empty())
        fprintf(stderr, "No track of the music folder could be played; the music stops\n");
    Music.Tracks.clear();
}

void startMusic()
{
    stopMusic();
    Music = MusicRecord();
    if (FrontendSettings.MusicFolder.empty()) return;
    if (!platformSoundOpen())
    {
        fprintf(stderr, "[Settings] MusicFolder: no sound device; no music\n");
        return;
    }
    Music.Seed = std::random_device{}();
    findTracks(FrontendSettings.MusicFolder);
    playNext();
}

void stopMusic()
{
    platformStopMusic();
    Music.Title.clear();
}

void musicStep()
{
    if (Music.Title.empty()) return;
    if (!platformSoundOpen())
    {
        Music.Title.clear(); // the device went away
        Music.TitleChanges++;
    }
    else if (platformMusicEnded())
        playNext();
}

void skipTrack()
{
    if (!Music.Tracks.empty()) playNext();
}

void pauseMusic()
{
    if (Music.Pauses++ == 0) platformPauseMusic(1);
}

void resumeMusic()
{
    if (Music.Pauses == 0) return;
    if (--Music.Pauses == 0) platformPauseMusic(0);
}

const std::string& musicTitle()
{
    return Music.Title;
}
