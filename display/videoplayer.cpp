// Playing videos. Decoding runs on a thread of its own that hands finished frames, converted
// and sized for the screen, to the main thread through a short queue: opening a file and
// decoding a key frame take longer than the gap between two ticks, and on the main thread they
// would make a held key's redraw late. The queue's lock is held only to put a frame in or take
// one out, never across a tick or a decode, and the main thread never waits for the decoder.
#include "display/videoplayer.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "display/collection.h"
#include "display/picturecache.h"
#include "display/placement.h"
#include "display/video.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/sound.h"
#include "runtime/music.h"
#include "runtime/state.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

VideoPlayerRecord VideoPlayer;

const size_t FramesAhead = 4;
// A frame due this long ago was held up (a menu, a game): the video goes on from there
// instead of racing through what it missed.
const int64_t PauseMilliseconds = 150;
const int64_t LateMilliseconds = 10;

// What the decoder is asked to play.
struct VideoRequest
{
    uint64_t Generation;
    std::string Path;
    Rect Box;
    int KeepsOwnSize; // the screenshot's rule; else stretched over Box
    Scale Pictures;
    int ScreenWidth, ScreenHeight;
    int Loop, Sound;
    int64_t Budget;
};

// Between the two threads, under Lock.
struct HandOver
{
    std::mutex Lock;
    std::condition_variable Wake; // the decoder waits for a request, or for room in Frames
    uint64_t Wanted = 0;          // the request the main thread wants; the others stop
    std::optional<VideoRequest> Request;
    std::deque<VideoFrame> Frames; // decoded, in the order of their times
    std::vector<VideoFrame> Spare; // pixels to reuse
    Rect Place{};
    int Placed = 0;
    int Ended = 0;
    std::string Failure; // why it ended without a frame; empty when it played
    int Quit = 0;
};
static HandOver Hand;
static std::thread Decoder;

// Files that could not be played, as they were then: told once, and not tried again until the
// file changes.
struct FileVersion
{
    int64_t Stamp, Size;
};
static std::map<std::string, FileVersion> Unplayable;
static VideoFrame ShownFrame;
static int RedrawClaimed;
static int SoundOn;

static FileVersion versionOf(const std::string& path)
{
    FileVersion version{-1, -1};
    platformFileStamp(path, &version.Stamp, &version.Size);
    return version;
}

static int knownUnplayable(const std::string& path)
{
    auto found = Unplayable.find(path);
    if (found == Unplayable.end()) return 0;
    FileVersion now = versionOf(path);
    return now.Stamp == found->second.Stamp && now.Size == found->second.Size;
}

static std::vector<std::string> videoNames(const Game* game)
{
    std::vector<std::string> names;
    const std::string bare = stripExtension(game->Name);
    for (const std::string* name : {&bare, &game->Name, &game->CloneOf})
    {
        if (name->empty() || (name != &bare && *name == bare)) continue;
        for (const char* extension : VideoExtensions) names.push_back(*name + extension);
    }
    return names;
}

int findGameVideo(const Game* game, std::string& path)
{
    const Emulator* emulator = emulatorOf(game);
    if (!emulator) return 0;
    int found = (!emulator->Videos.empty() &&
                 findFirstFolderEntry(emulator->Videos, videoNames(game), path)) ||
                findCollectionFile(game, CollectionVideo, path);
    return found && !knownUnplayable(path);
}

// ---- The decoder's thread ----

static VideoFrame takeSpare()
{
    std::lock_guard<std::mutex> hold(Hand.Lock);
    if (Hand.Spare.empty()) return VideoFrame();
    VideoFrame frame = std::move(Hand.Spare.back());
    Hand.Spare.pop_back();
    return frame;
}

// Waits for room; 0 when the video is no longer wanted.
static int handOver(uint64_t generation, VideoFrame&& frame)
{
    std::unique_lock<std::mutex> hold(Hand.Lock);
    Hand.Wake.wait(
        hold,
        [&] { return Hand.Quit || Hand.Wanted != generation || Hand.Frames.size() < FramesAhead; });
    if (Hand.Quit || Hand.Wanted != generation)
    {
        Hand.Spare.push_back(std::move(frame));
        return 0;
    }
    Hand.Frames.push_back(std::move(frame));
    return 1;
}

static void finish(uint64_t generation, const std::string& failure)
{
    std::lock_guard<std::mutex> hold(Hand.Lock);
    if (Hand.Wanted != generation) return;
    Hand.Ended = 1;
    Hand.Failure = failure;
}

static int placeFrames(const VideoRequest& request, const VideoFacts& facts, int& width,
                       int& height)
{
    Rect place =
        fitInBox(request.Box, request.KeepsOwnSize, request.Pictures, facts.Width, facts.Height);
    // Frames are made at the size drawn, but never larger than the screen: a box far larger
    // is stretched from that.
    width = std::clamp(place.Right - place.Left, 1, std::max(request.ScreenWidth, 1));
    height = std::clamp(place.Bottom - place.Top, 1, std::max(request.ScreenHeight, 1));
    std::lock_guard<std::mutex> hold(Hand.Lock);
    Hand.Place = place;
    Hand.Placed = 1;
    return Hand.Wanted == request.Generation;
}

// Frames until the end; a looping video starts again while its file is the one opened. The
// failure, when no frame could be shown.
static std::string decodeFrames(VideoFile* video, const VideoRequest& request, int width,
                                int height)
{
    FileVersion opened = versionOf(request.Path);
    int64_t offset = 0, last = 0, frames = 0, framesThisPass = 0;
    std::vector<int16_t> sound;
    for (;;)
    {
        VideoFrame frame = takeSpare();
        sound.clear();
        VideoRead read =
            readVideoFrame(video, width, height, frame, request.Sound ? &sound : nullptr);
        if (!sound.empty()) platformQueueVideoSound(sound.data(), sound.size());
        if (read == VideoAtEnd)
        {
            if (frames == 0) return "no frame of it could be decoded";
            FileVersion now = versionOf(request.Path);
            int same = now.Stamp == opened.Stamp && now.Size == opened.Size;
            if (!request.Loop || !same || framesThisPass == 0 || !rewindVideo(video)) return "";
            offset = last + videoFacts(video).FrameMilliseconds;
            framesThisPass = 0;
            continue;
        }
        frame.Time += offset;
        last = frame.Time;
        frames++;
        framesThisPass++;
        if (!handOver(request.Generation, std::move(frame))) return "";
    }
}

static void playRequest(const VideoRequest& request)
{
    std::string why;
    VideoFile* video = openVideoFile(request.Path, request.Budget, request.Sound, why);
    int width = 0, height = 0;
    if (video && placeFrames(request, videoFacts(video), width, height))
        why = decodeFrames(video, request, width, height);
    closeVideoFile(video);
    finish(request.Generation, why);
}

static void decodeRequests()
{
    std::unique_lock<std::mutex> hold(Hand.Lock);
    for (;;)
    {
        Hand.Wake.wait(hold, [] { return Hand.Quit || Hand.Request.has_value(); });
        if (Hand.Quit) return;
        VideoRequest request = std::move(*Hand.Request);
        Hand.Request.reset();
        hold.unlock();
        playRequest(request);
        hold.lock();
    }
}

// ---- The main thread ----

// Under Hand.Lock: what was decoded for the video before goes back to be reused.
static void dropFrames()
{
    for (VideoFrame& frame : Hand.Frames) Hand.Spare.push_back(std::move(frame));
    Hand.Frames.clear();
    Hand.Placed = 0;
    Hand.Ended = 0;
    Hand.Failure.clear();
}

static void askForVideo(const std::string& path)
{
    int sound = FrontendSettings.VideoSound; // the attract mode's too: the owner asked for it
    if (sound) platformStartVideoSound(FrontendSettings.VideoVolume);
    // The music is silent under a video's sound, and goes on where it stopped after it.
    if (sound && !SoundOn) pauseMusic();
    if (!sound && SoundOn) resumeMusic();
    SoundOn = sound;
    Surface* screen = FrontendState.BackBuffer;
    {
        std::lock_guard<std::mutex> hold(Hand.Lock);
        dropFrames();
        Hand.Spare.clear(); // another video's sizes; its memory is given back
        Hand.Wanted++;
        Hand.Request = VideoRequest{Hand.Wanted,
                                    path,
                                    VideoPlayer.Box,
                                    !VideoPlayer.FullScreen,
                                    Placement.Pictures,
                                    screen ? platformSurfaceWidth(screen) : 1,
                                    screen ? platformSurfaceHeight(screen) : 1,
                                    !VideoPlayer.FullScreen,
                                    sound,
                                    PictureCache.Budget};
    }
    Hand.Wake.notify_all();
    if (!Decoder.joinable()) Decoder = std::thread(decodeRequests);
    VideoPlayer.Asked = 1;
    VideoPlayer.Showing = 0;
    VideoPlayer.Path = path;
    VideoPlayer.VideosAsked++;
}

void stopVideo()
{
    if (VideoPlayer.Asked)
    {
        {
            std::lock_guard<std::mutex> hold(Hand.Lock);
            Hand.Wanted++;
            Hand.Request.reset();
            dropFrames();
        }
        Hand.Wake.notify_all();
    }
    if (SoundOn)
    {
        platformStopVideoSound();
        resumeMusic();
    }
    SoundOn = 0;
    VideoPlayer.Resting = nullptr;
    VideoPlayer.FullScreen = 0;
    VideoPlayer.Asked = 0;
    VideoPlayer.Showing = 0;
}

static int sameRect(Rect a, Rect b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

static void drawShownFrame(Surface* surface)
{
    platformStretchPicture(surface, VideoPlayer.Shown, ShownFrame.Pixels.data(), ShownFrame.Width,
                           ShownFrame.Height, ShownFrame.Pitch, 0);
}

int drawVideoInBox(Surface* surface, const Game* game, Rect box)
{
    RedrawClaimed = 1;
    if (FrontendSettings.VideoDelay <= 0)
    {
        stopVideo();
        return 0;
    }
    if (game != VideoPlayer.Resting || VideoPlayer.FullScreen || !sameRect(box, VideoPlayer.Box))
    {
        stopVideo();
        VideoPlayer.Resting = game;
        VideoPlayer.RestingSince = platformMilliseconds();
        VideoPlayer.Box = box;
        return 0;
    }
    if (!VideoPlayer.Showing) return 0;
    drawShownFrame(surface);
    return 1;
}

int playScreenSaverVideo(const Game* game, Rect area)
{
    RedrawClaimed = 1;
    std::string path;
    stopVideo();
    if (!findGameVideo(game, path)) return 0;
    VideoPlayer.Resting = game;
    VideoPlayer.RestingSince = platformMilliseconds();
    VideoPlayer.FullScreen = 1;
    VideoPlayer.Box = area;
    askForVideo(path);
    return 1;
}

void beginVideoRedraw()
{
    RedrawClaimed = 0;
}

void endVideoRedraw()
{
    if (!RedrawClaimed) stopVideo();
}

static void tellUnplayable(const std::string& failure)
{
    const std::string& path = VideoPlayer.Path;
    if (knownUnplayable(path)) return;
    fprintf(stderr, "Video not shown: [%s]: %s\n", path.c_str(), failure.c_str());
    Unplayable[path] = versionOf(path);
}

// The frame whose time has come, into ShownFrame; frames due before it are passed over.
// Under Hand.Lock.
static int takeDueFrame(int64_t now)
{
    if (Hand.Frames.empty()) return 0;
    if (!VideoPlayer.Showing) VideoPlayer.Origin = now - Hand.Frames.front().Time;
    int64_t due = VideoPlayer.Origin + Hand.Frames.front().Time;
    if (now < due) return 0;
    if (now - due > PauseMilliseconds)
    {
        VideoPlayer.Origin = now - Hand.Frames.front().Time;
        due = now;
    }
    while (Hand.Frames.size() > 1 && VideoPlayer.Origin + Hand.Frames[1].Time <= now)
    {
        Hand.Spare.push_back(std::move(Hand.Frames.front()));
        Hand.Frames.pop_front();
        VideoPlayer.FramesDropped++;
        due = VideoPlayer.Origin + Hand.Frames.front().Time;
    }
    std::swap(ShownFrame, Hand.Frames.front());
    Hand.Spare.push_back(std::move(Hand.Frames.front()));
    Hand.Frames.pop_front();
    VideoPlayer.WorstLateness = std::max(VideoPlayer.WorstLateness, now - due);
    if (now - due > LateMilliseconds) VideoPlayer.FramesLate++;
    return 1;
}

static VideoStep showNextFrame()
{
    int64_t now = platformMilliseconds();
    int took = 0, ended = 0;
    std::string failure;
    {
        std::lock_guard<std::mutex> hold(Hand.Lock);
        if (Hand.Placed) VideoPlayer.Shown = Hand.Place;
        took = takeDueFrame(now);
        ended = !took && Hand.Frames.empty() && Hand.Ended;
        if (ended) failure = Hand.Failure;
        if (ended) Hand.Ended = 0;
    }
    if (took) Hand.Wake.notify_all();
    if (ended)
    {
        if (!failure.empty()) tellUnplayable(failure);
        VideoPlayer.Asked = -1; // nothing more is coming; not asked again while resting here
        VideoPlayer.Showing = 0;
        return VideoEnded;
    }
    if (!took) return VideoIdle;
    if (!VideoPlayer.Showing && SoundOn) platformPlayVideoSound();
    VideoPlayer.Showing = 1;
    VideoPlayer.FramesShown++;
    drawShownFrame(FrontendState.BackBuffer);
    platformInvalidate(FrontendState.MainWindow, 0);
    return VideoDrew;
}

VideoStep videoStep()
{
    if (!VideoPlayer.Resting || VideoPlayer.Asked < 0) return VideoIdle;
    if (VideoPlayer.Asked) return showNextFrame();
    if (platformMilliseconds() - VideoPlayer.RestingSince < FrontendSettings.VideoDelay)
        return VideoIdle;
    std::string path;
    if (findGameVideo(VideoPlayer.Resting, path))
        askForVideo(path);
    else
        VideoPlayer.Asked = -1;
    return VideoIdle;
}

int videoMillisecondsToNextFrame()
{
    const int None = 1000;
    if (!VideoPlayer.Resting || VideoPlayer.Asked < 0) return None;
    int64_t now = platformMilliseconds();
    if (!VideoPlayer.Asked)
        return (int)std::clamp<int64_t>(
            VideoPlayer.RestingSince + FrontendSettings.VideoDelay - now, 0, None);
    std::lock_guard<std::mutex> hold(Hand.Lock);
    if (Hand.Frames.empty()) return Hand.Ended ? 0 : 1;
    if (!VideoPlayer.Showing) return 0;
    return (int)std::clamp<int64_t>(VideoPlayer.Origin + Hand.Frames.front().Time - now, 0, None);
}

void shutDownVideo()
{
    stopVideo();
    {
        std::lock_guard<std::mutex> hold(Hand.Lock);
        Hand.Quit = 1;
    }
    Hand.Wake.notify_all();
    if (Decoder.joinable()) Decoder.join();
    std::lock_guard<std::mutex> hold(Hand.Lock);
    Hand.Quit = 0;
    Hand.Spare.clear();
    Hand.Spare.shrink_to_fit();
    ShownFrame = VideoFrame();
    Unplayable.clear();
    VideoPlayer = VideoPlayerRecord();
}
