// A game's screenshot, flyer and marquee: found in its emulator's artwork folders, drawn into
// the boxes the skin places (or over the whole screen while the screensaver runs); and the
// skin's background picture.
#pragma once

#include "display/picturecache.h"

#include <cstdint>
#include <string>

struct Game;
struct Picture;
struct Surface;
struct Rect;

// Reloads the background picture from "<SkinDir>/<SkinName>/back.png", and the one for
// screens taller than wide from back-portrait.png beside it; none when missing or not
// decodable. Kept until the next reload or freeArtwork.
void loadBackgroundImage();
// back.png stretched over area (back-portrait.png when area is taller than wide and the skin
// has it); without it the background colour of the view.
void drawBackground(Surface* surface, Rect area);
// The first picture that exists of: <directory>/<Name without extension>.png,
// <directory>/<Name>.jpg, the parent's .png and .jpg (for a clone), <directory>/<defaultName>.
// Null when none exists or the one found cannot be decoded. Owned by the picture cache; valid
// until the next picture is asked for.
const Picture* loadArtwork(const Game* game, const std::string& directory,
                           const std::string& defaultName);
// The game's marquee, found as loadArtwork finds it in its emulator's marquee folder.
const Picture* loadMarquee(const Game* game);
// Each draws its kind of picture of game into the skin's box for it, or over area while the
// screensaver runs.
void drawScreenshot(Surface* surface, const Game* game, Rect area);
void drawFlyer(Surface* surface, const Game* game, Rect area);
void drawMarquee(Surface* surface, const Game* game, Rect area);
enum ArtworkPart
{
    PartScreenshot,
    PartFlyer,
    PartMarquee,
};
// The file the game's picture of that part is read from: the emulator's folder (the game's
// name, then its parent's), then its collection (game list, MediaFolder), then the emulator's
// default picture. 0 when there is none; jpeg tells how it is decoded.
int findArtworkPath(const Game* game, ArtworkPart part, std::string& path, int& jpeg);
// The skin's box for the part is in use on the screen last drawn.
int artworkBoxInUse(ArtworkPart part);
// Decodes the game's picture of that part into the picture cache ahead of its use, keeping
// the pictures used from keepFrom on.
Prefetched prefetchArtwork(const Game* game, ArtworkPart part, uint64_t keepFrom);
// Frees the background picture and every picture and listing kept between redraws.
void freeArtwork();
