// Looked for only after the emulator's own folders come up empty, so an owner's own pictures
// always win. The media folder's listings come from the picture cache, which checks a folder's
// time at each use: a lookup costs a few comparisons, not a directory read.
#include "display/collection.h"

#include "catalogue/catalogue.h"
#include "display/picturecache.h"
#include "platform/files.h"

#include <vector>

const char* const VideoExtensions[5] = {".mp4", ".mkv", ".webm", ".avi", ".flv"};
static const char* const PictureExtensions[] = {".png", ".jpg", ".jpeg"};

struct CollectionPlace
{
    std::string ListedGame::*Listed;
    std::vector<const char*> SubFolders;
};

static const CollectionPlace Places[] = {
    {&ListedGame::Image, {"screenshots", "titlescreens"}},
    {&ListedGame::Thumbnail, {"covers"}},
    {&ListedGame::Marquee, {"marquees", "wheels"}},
    {&ListedGame::Video, {"videos"}},
};

int isJpegName(const std::string& path)
{
    std::string folded = foldedName(path);
    auto endsWith = [&folded](const std::string& end)
    {
        return folded.size() >= end.size() &&
               folded.compare(folded.size() - end.size(), end.size(), end) == 0;
    };
    return endsWith(".jpg") || endsWith(".jpeg");
}

static std::vector<std::string> fileNames(const Game& game, CollectionKind kind)
{
    std::vector<std::string> names;
    const std::string bare = stripExtension(game.Name);
    for (const std::string* name : {&bare, &game.CloneOf})
    {
        if (name->empty()) continue;
        if (kind == CollectionVideo)
            for (const char* extension : VideoExtensions) names.push_back(*name + extension);
        else
            for (const char* extension : PictureExtensions) names.push_back(*name + extension);
    }
    return names;
}

int findCollectionFile(const Game* game, CollectionKind kind, std::string& path)
{
    const Emulator* emulator = emulatorOf(game);
    if (!emulator) return 0;
    const CollectionPlace& place = Places[kind];
    if (game->Listed)
    {
        const std::string& listed = (*game->Listed).*place.Listed;
        if (!listed.empty() && platformFileExists(listed) && !platformIsDirectory(listed))
        {
            path = listed;
            return 1;
        }
    }
    if (emulator->MediaFolder.empty()) return 0;
    std::vector<std::string> names = fileNames(*game, kind);
    for (const char* folder : place.SubFolders)
        if (findFirstFolderEntry(emulator->MediaFolder + "/" + folder, names, path)) return 1;
    return 0;
}
