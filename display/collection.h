// Pictures and videos a game's collection holds outside the emulator's own folders: the files
// its game list names, and the folder other front ends and scrapers keep one sub-folder of
// each kind in ("screenshots", "covers", ...), every file named as the game's ROM without its
// extension.
#pragma once

#include <string>

struct Game;

enum CollectionKind
{
    CollectionScreenshot, // the list's <image>; screenshots/, then titlescreens/
    CollectionFlyer,      // the list's <thumbnail>; covers/
    CollectionMarquee,    // the list's <marquee>; marquees/, then wheels/
    CollectionVideo,      // the list's <video>; videos/
};

// The path of the game's file of that kind: the one its list names when it exists, else the
// first the emulator's MediaFolder has (the game's name, then its parent's; .png, .jpg or
// .jpeg for pictures, the video kinds for videos; letter case not counted). 0 when none.
int findCollectionFile(const Game* game, CollectionKind kind, std::string& path);
// Whether a picture found there is read as a JPEG: by its extension, .jpg or .jpeg.
int isJpegName(const std::string& path);
// The extensions a video is looked for with, in order.
extern const char* const VideoExtensions[5];
