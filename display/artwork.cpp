// Artwork: the candidate file names of a game's picture, its place in the skin's box, and the
// background. Pictures come from the picture cache, so a redraw only decodes what changed.
#include "display/artwork.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "config/skin.h"
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
};

static const ArtworkKind Screenshot = {.Directory = &Emulator::Snaps,
                                       .DefaultName = &Emulator::DefaultSnap,
                                       .StartX = &SkinRecord::ScreenshotStartX,
                                       .StartY = &SkinRecord::ScreenshotStartY,
                                       .Width = &SkinRecord::ScreenshotWidth,
                                       .Height = &SkinRecord::ScreenshotHeight,
                                       .KeepsOwnSize = 1};
static const ArtworkKind Flyer = {.Directory = &Emulator::Flyers,
                                  .DefaultName = &Emulator::DefaultFlyer,
                                  .StartX = &SkinRecord::FlyerStartX,
                                  .StartY = &SkinRecord::FlyerStartY,
                                  .Width = &SkinRecord::FlyerWidth,
                                  .Height = &SkinRecord::FlyerHeight,
                                  .KeepsOwnSize = 0};
static const ArtworkKind Marquee = {.Directory = &Emulator::Marquees,
                                    .DefaultName = &Emulator::DefaultMarquee,
                                    .StartX = &SkinRecord::MarqueeStartX,
                                    .StartY = &SkinRecord::MarqueeStartY,
                                    .Width = &SkinRecord::MarqueeWidth,
                                    .Height = &SkinRecord::MarqueeHeight,
                                    .KeepsOwnSize = 0};

static int endsInJpg(const std::string& path)
{
    return path.size() >= 3 && foldedName(path.substr(path.size() - 3)) == "jpg";
}

// The first candidate that exists in the folder; the search stops there even when that file
// turns out to be no picture.
static int findArtworkFile(const Game* game, const std::string& directory,
                           const std::string& defaultName, std::string& path)
{
    if (directory.empty()) return 0;
    if (findFolderEntry(directory, stripExtension(game->Name) + ".png", path)) return 1;
    if (findFolderEntry(directory, game->Name + ".jpg", path)) return 1;
    if (!game->CloneOf.empty())
    {
        if (findFolderEntry(directory, game->CloneOf + ".png", path)) return 1;
        if (findFolderEntry(directory, game->CloneOf + ".jpg", path)) return 1;
    }
    if (defaultName.empty()) return 0;
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
    if (!game || !findArtworkFile(game, directory, defaultName, path)) return nullptr;
    return findPicture(path, endsInJpg(path));
}

static const Picture* loadKind(const Game* game, const ArtworkKind& kind)
{
    const Emulator* emulator = emulatorOf(game);
    if (!emulator) return nullptr;
    return loadArtwork(game, emulator->*kind.Directory, emulator->*kind.DefaultName);
}

const Picture* loadMarquee(const Game* game)
{
    return loadKind(game, Marquee);
}

static const ArtworkKind& kindOf(ArtworkPart part)
{
    return part == PartScreenshot ? Screenshot : part == PartFlyer ? Flyer : Marquee;
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
    const ArtworkKind& kind = kindOf(part);
    const Emulator* emulator = emulatorOf(game);
    std::string path;
    if (!emulator ||
        !findArtworkFile(game, emulator->*kind.Directory, emulator->*kind.DefaultName, path))
        return PrefetchNothing;
    return prefetchPicture(path, endsInJpg(path), keepFrom);
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
