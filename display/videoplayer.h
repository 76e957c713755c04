// The selected game's video, played in the screenshot's box once the selection has rested, and
// the screensaver's videos over the whole screen. Frames are decoded away from the main thread
// and shown by it when their time comes, between ticks.
#pragma once

#include "platform/window.h"

#include <cstdint>
#include <string>

struct Game;
struct Surface;

struct VideoPlayerRecord
{
    const Game* Resting = nullptr; // the game whose video is wanted; null for none
    int64_t RestingSince = 0;      // on the platform clock
    int FullScreen = 0;            // the screensaver's: played once, over the whole screen
    Rect Box{};                    // where the wanted video goes, before its own size is known
    int Asked = 0;                 // handed to the decoder
    int Showing = 0;               // its frames replace the screenshot
    Rect Shown{};                  // where its frames are drawn
    int64_t Origin = 0;            // the clock's time at the video's time 0
    std::string Path;
    // Counted since the start, for the benchmarks and the tests.
    int64_t VideosAsked = 0; // handed to the decoder
    int64_t FramesShown = 0;
    int64_t FramesDropped = 0; // due while an earlier one was still waiting to be shown
    int64_t FramesLate = 0;    // shown more than 10 ms after their time
    int64_t WorstLateness = 0; // milliseconds
};
extern VideoPlayerRecord VideoPlayer;

// The path of the game's video in its emulator's Videos folder: <name> with .mp4, .mkv, .webm,
// .avi or .flv (the name without its extension first, then whole), else its parent's; else the
// one its collection holds (its game list's, its emulator's MediaFolder's). 0 when there is
// none, or when the file found could not be played and has not changed since.
int findGameVideo(const Game* game, std::string& path);
// Called by every redraw of the screenshot's box (box as placed on the screen): a game other
// than the one wanted stops the video at once, and its video is wanted from now on. 1 when a
// frame of the game's video was drawn into surface in place of the screenshot.
int drawVideoInBox(Surface* surface, const Game* game, Rect box);
// The screensaver's video of game over area, played once from its start; 0 when game has none.
int playScreenSaverVideo(const Game* game, Rect area);
// A redraw begins, and ends: a redraw that drew no box for the wanted video (a view or skin
// without a screenshot box, another kind of screensaver) stops it.
void beginVideoRedraw();
void endVideoRedraw();

enum VideoStep
{
    VideoIdle,  // nothing was due
    VideoDrew,  // a frame was drawn into the back buffer, and the main window invalidated
    VideoEnded, // the video ended or failed: its frames are no longer shown
};
// Between ticks: asks for the video once the selection has rested VideoDelay milliseconds, and
// draws the frame whose time has come.
VideoStep videoStep();
// Milliseconds until the shown video's next frame is due; a second when none is coming.
int videoMillisecondsToNextFrame();
// Stops the video at once (a game starts, the screen is given up); nothing is wanted until the
// next redraw.
void stopVideo();
// Ends the decoder's thread, waiting for its current frame, and forgets what was reported.
void shutDownVideo();
