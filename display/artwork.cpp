// Artwork: the candidate file names of a game's picture, its place in the skin's box, and the
// background. Pictures come from the picture cache, so a redraw only decodes what changed.
#include "display/artwork.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "config/skin.h"
#include "display/collection.h"
#include "display/layout.h"
#include "display/picture.h"
#include "display/picturecache.h"
#include "display/placement.h"
#include "display/videoplayer.h"
#include "platform/files.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <cstdio>

// Where a kind of picture is found and placed.
struct ArtworkKind
{
    std::string Emulator::*Directory;
    std::string Emulator::*DefaultName;
    int SkinRecord::*StartX;
    int SkinRecord::*StartY;
    int SkinRecord::*Width;
    int SkinRecord::*Height;
    int KeepsOwnSize; // a screenshot is never enlarged
    CollectionKind Elsewhere;
};

static const ArtworkKind Screenshot = {.Directory = &Emulator::Snaps,
                                       .DefaultName = &Emulator::DefaultSnap,
                                       .StartX = &SkinRecord::ScreenshotStartX,
                                       .StartY = &SkinRecord::ScreenshotStartY,
                                       .Width = &SkinRecord::ScreenshotWidth,
                                       .Height = &SkinRecord::ScreenshotHeight,
                                       .KeepsOwnSize = 1,
                                       .Elsewhere = CollectionScreenshot};
static const ArtworkKind Flyer = {.Directory = &Emulator::Flyers,
                                  .DefaultName = &Emulator::DefaultFlyer,
                                  .StartX = &SkinRecord::FlyerStartX,
                                  .StartY = &SkinRecord::FlyerStartY,
                                  .Width = &SkinRecord::FlyerWidth,
                                  .Height = &SkinRecord::FlyerHeight,
                                  .KeepsOwnSize = 0,
                                  .Elsewhere = CollectionFlyer};
static const ArtworkKind Marquee = {.Directory = &Emulator::Marquees,
                                    .DefaultName = &Emulator::DefaultMarquee,
                                    .StartX = &SkinRecord::MarqueeStartX,
                                    .StartY = &SkinRecord::MarqueeStartY,
                                    .Width = &SkinRecord::MarqueeWidth,
                                    .Height = &SkinRecord::MarqueeHeight,
                                    .KeepsOwnSize = 0,
                                    .Elsewhere = CollectionMarquee};

static int endsInJpg(const std::string& path)
{
    return path.size() >= 3 && foldedName(path.substr(path.size() - 3)) == "jpg";
}

// The first of the game's own candidates that exists in the folder (its name, its parent's);
// the search stops there even when that file turns out to be no picture.
static int findOwnArtwork(const Game* game, const std::string& directory, std::string& path)
{
    if (directory.empty()) return 0;
    if (findFolderEntry(directory, stripExtension(game->Name) + ".png", path)) return 1;
    if (findFolderEntry(directory, game->Name + ".jpg", path)) return 1;
    if (game->CloneOf.empty()) return 0;
    return findFolderEntry(directory, game->CloneOf + ".png", path) ||
           findFolderEntry(directory, game->CloneOf + ".jpg", path);
}

static int findDefaultArtwork(const std::string& directory, const std::string& defaultName,
                              std::string& path)
{
    if (directory.empty() || defaultName.empty()) return 0;
    // The owner may name a default in a sub-folder; game names never reach this path.
    if (defaultName.find('/') == std::string::npos)
        return findFolderEntry(directory, defaultName, path);
    path = directory + "/" + defaultName;
    return platformFileExists(path);
}

const Picture* loadArtwork(const Game* game, const std::string& directory,
                           const std::string& defaultName)
{
    std::string path;
    if (!game || !(findOwnArtwork(game, directory, path) ||
                   findDefaultArtwork(directory, defaultName, path)))
        return nullptr;
    return findPicture(path, endsInJpg(path));
}

// The emulator's own folder first, then the game's collection; the emulator's default picture
// stands in only when neither has one. jpeg tells how the file found is decoded.
static int findKindFile(const Game* game, const ArtworkKind& kind, std::string& path, int& jpeg)
{
    const Emulator* emulator = emulatorOf(game);
    if (!emulator) return 0;
    const std::string& directory = emulator->*kind.Directory;
    if (findOwnArtwork(game, directory, path)) return jpeg = endsInJpg(path), 1;
    if (findCollectionFile(game, kind.Elsewhere, path)) return jpeg = isJpegName(path), 1;
    if (findDefaultArtwork(directory, emulator->*kind.DefaultName, path))
        return jpeg = endsInJpg(path), 1;
    return 0;
}

static const ArtworkKind& kindOf(ArtworkPart part)
{
    return part == PartScreenshot ? Screenshot : part == PartFlyer ? Flyer : Marquee;
}

int findArtworkPath(const Game* game, ArtworkPart part, std::string& path, int& jpeg)
{
    return findKindFile(game, kindOf(part), path, jpeg);
}

static const Picture* loadKind(const Game* game, const ArtworkKind& kind)
{
    std::string path;
    int jpeg = 0;
    return findKindFile(game, kind, path, jpeg) ? findPicture(path, jpeg) : nullptr;
}

const Picture* loadMarquee(const Game* game)
{
    return loadKind(game, Marquee);
}

static int boxInUse(const ArtworkKind& kind)
{
    return PlacedSkin.*kind.Width > 0 && PlacedSkin.*kind.Height > 0;
}

int artworkBoxInUse(ArtworkPart part)
{
    return boxInUse(kindOf(part));
}

Prefetched prefetchArtwork(const Game* game, ArtworkPart part, uint64_t keepFrom)
{
    std::string path;
    int jpeg = 0;
    if (!findKindFile(game, kindOf(part), path, jpeg)) return PrefetchNothing;
    return prefetchPicture(path, jpeg, keepFrom);
}

// The skin's box for the kind on surface: a negative start counts from the right or bottom edge,
// and a box anchored to the bottom stays above the status bar.
static Rect resolveBox(Surface* surface, const ArtworkKind& kind)
{
    const SkinRecord& skin = PlacedSkin;
    int64_t x = skin.*kind.StartX, y = skin.*kind.StartY;
    if (x < 0) x += platformSurfaceWidth(surface);
    if (y < 0)
    {
        y += platformSurfaceHeight(surface);
        if (skin.ShowStatusBar) y -= ScreenLayout.StatusBarHeight;
    }
    return Rect{clampCoordinate(x), clampCoordinate(y), clampCoordinate(x + skin.*kind.Width),
                clampCoordinate(y + skin.*kind.Height)};
}

static void drawKind(Surface* surface, const Game* game, Rect area, const ArtworkKind& kind)
{
    if (FrontendState.ScreenSaverActive)
    {
        const Picture* picture = loadKind(game, kind);
        if (picture && !FrontendSettings.ScreenSaverStretch)
            area = fitKeepingShape(area, picture->Width, picture->Height);
        stretchPicture(surface, area, picture);
        return;
    }
    if (!boxInUse(kind)) return;
    Rect box = resolveBox(surface, kind);
    // Once the selection has rested, its video plays where the screenshot was.
    if (&kind == &Screenshot && drawVideoInBox(surface, game, box)) return;
    const Picture* picture = loadKind(game, kind);
    if (picture)
        stretchPicture(
            surface,
            fitInBox(box, kind.KeepsOwnSize, Placement.Pictures, picture->Width, picture->Height),
            picture);
}

void drawScreenshot(Surface* surface, const Game* game, Rect area)
{
    drawKind(surface, game, area, Screenshot);
}

void drawFlyer(Surface* surface, const Game* game, Rect area)
{
    drawKind(surface, game, area, Flyer);
}

void drawMarquee(Surface* surface, const Game* game, Rect area)
{
    drawKind(surface, game, area, Marquee);
}

// A background picture and the file it was last read from, so that asking again for an
// unchanged file (a switch of view reloads the same skin) neither decodes it nor reports it
// twice.
struct Background
{
    Picture* Image;
    std::string Path;
    int64_t Stamp, Size;
};
static Background BackgroundImage;
// The skin's picture for a screen taller than wide, when it has one.
static Background TallBackgroundImage;

static void loadBackground(Background& background, const std::string& path)
{
    int64_t stamp = -1, size = -1;
    platformFileStamp(path, &stamp, &size);
    if (path == background.Path && stamp == background.Stamp && size == background.Size) return;
    freePicture(background.Image);
    background = Background{nullptr, path, stamp, size};
    if (!platformFileExists(path)) return;
    std::string why;
    background.Image = loadPictureFile(path, 0, PictureCache.Budget, why);
    if (!background.Image)
        fprintf(stderr, "Background not shown: [%s]: %s\n", path.c_str(), why.c_str());
}

void loadBackgroundImage()
{
    loadBackground(BackgroundImage, skinFolder() + "/back.png");
    loadBackground(TallBackgroundImage, skinFolder() + "/back-portrait.png");
}

void drawBackground(Surface* surface, Rect area)
{
    int tall = area.Bottom - area.Top > area.Right - area.Left;
    if (tall && TallBackgroundImage.Image)
        stretchPicture(surface, area, TallBackgroundImage.Image);
    else if (BackgroundImage.Image)
        stretchPicture(surface, area, BackgroundImage.Image);
    else
        platformFillRect(surface, area,
                         FrontendSettings.MenuType == ViewImageBrowser
                             ? FrontendSettings.PreviewBackgroundcolor
                             : Skin.Backgroundcolor);
}

void freeArtwork()
{
    for (Background* background : {&BackgroundImage, &TallBackgroundImage})
    {
        freePicture(background->Image);
        *background = Background();
    }
    forgetPictures();
}
