// The picture cache: least recently used pictures go first once the budget is passed. Failed
// decodes are kept too (without pixels), so a broken file is reported and tried once, not at
// every redraw.
#include "display/picturecache.h"

#include "display/picture.h"
#include "platform/files.h"

#include <chrono>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>
#include <vector>

PictureCacheRecord PictureCache = {DefaultPictureBudget, 0, 0, 0, 0, 0};

struct KeptPicture
{
    int64_t Stamp, Size; // of the file the picture was decoded from
    int Jpeg;
    Picture* Decoded; // null: the file could not be decoded
    uint64_t LastUse;
};

struct FolderListing
{
    int64_t Stamp;
    // A folder's time has the file system's coarse resolution: a name added just after a
    // listing, within the same tick of that clock, leaves the time as it was. A listing read
    // while the folder's time was that fresh is read again at the next use.
    int Settled;
    int Readable;
    std::unordered_set<std::string> Names;
    std::unordered_map<std::string, std::string> ByFoldedName; // the first of each folding
};

static std::unordered_map<std::string, KeptPicture> Kept;
static std::unordered_map<std::string, FolderListing> Folders;
static uint64_t UseCounter;

static void dropPicture(KeptPicture& kept)
{
    if (!kept.Decoded) return;
    PictureCache.Bytes -= pictureBytes(kept.Decoded);
    PictureCache.Pictures--;
    freePicture(kept.Decoded);
    kept.Decoded = nullptr;
}

// Frees the least recently used pictures until wanted more bytes fit the budget; keep and the
// pictures used from keepFrom on are never dropped. 0 when they do not fit even so.
static int keepWithinBudget(const KeptPicture* keep, int64_t wanted = 0,
                            uint64_t keepFrom = UINT64_MAX)
{
    while (PictureCache.Bytes + wanted > PictureCache.Budget)
    {
        auto oldest = Kept.end();
        for (auto it = Kept.begin(); it != Kept.end(); ++it)
            if (it->second.Decoded && &it->second != keep && it->second.LastUse < keepFrom &&
                (oldest == Kept.end() || it->second.LastUse < oldest->second.LastUse))
                oldest = it;
        if (oldest == Kept.end()) return 0;
        dropPicture(oldest->second);
        Kept.erase(oldest);
        PictureCache.Evictions++;
    }
    return 1;
}

uint64_t nextPictureUse()
{
    return UseCounter + 1;
}

static int isKept(const std::string& path, int64_t stamp, int64_t size, int jpeg)
{
    auto found = Kept.find(path);
    return found != Kept.end() && found->second.Stamp == stamp && found->second.Size == size &&
           found->second.Jpeg == jpeg;
}

// Keeps picture (null: the file could not be decoded) as the newest use of path.
static KeptPicture& keepPicture(const std::string& path, int64_t stamp, int64_t size, int jpeg,
                                Picture* picture)
{
    KeptPicture& kept = Kept[path];
    dropPicture(kept);
    kept = KeptPicture{stamp, size, jpeg, picture, ++UseCounter};
    PictureCache.Bytes += pictureBytes(picture);
    PictureCache.Pictures += picture != nullptr;
    return kept;
}

static Picture* readPicture(const std::string& path, int jpeg)
{
    std::string why;
    Picture* picture = loadPictureFile(path, jpeg, PictureCache.Budget, why);
    if (!picture) fprintf(stderr, "Picture not shown: [%s]: %s\n", path.c_str(), why.c_str());
    return picture;
}

const Picture* findPicture(const std::string& path, int jpeg)
{
    int64_t stamp = 0, size = 0;
    if (!platformFileStamp(path, &stamp, &size)) return nullptr;
    if (isKept(path, stamp, size, jpeg))
    {
        KeptPicture& kept = Kept[path];
        kept.LastUse = ++UseCounter;
        PictureCache.Hits++;
        return kept.Decoded;
    }
    PictureCache.Misses++;
    KeptPicture& kept = keepPicture(path, stamp, size, jpeg, readPicture(path, jpeg));
    if (kept.Decoded) keepWithinBudget(&kept);
    return kept.Decoded;
}

Prefetched prefetchPicture(const std::string& path, int jpeg, uint64_t keepFrom)
{
    int64_t stamp = 0, size = 0;
    if (!platformFileStamp(path, &stamp, &size) || isKept(path, stamp, size, jpeg))
        return PrefetchNothing;
    std::string why;
    Picture* picture = loadPictureFile(path, jpeg, PictureCache.Budget, why);
    if (!picture) return PrefetchNothing;
    if (!keepWithinBudget(nullptr, pictureBytes(picture), keepFrom))
    {
        freePicture(picture);
        return PrefetchNoRoom;
    }
    // The newest use: what the screen shows now is dropped before it only when it is older.
    keepPicture(path, stamp, size, jpeg, picture);
    return PrefetchDecoded;
}

std::string foldedName(const std::string& name)
{
    std::string result = name;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return result;
}

static void listFolder(const std::string& directory, FolderListing& listing)
{
    std::vector<std::string> names;
    listing.Names.clear();
    listing.ByFoldedName.clear();
    listing.Readable = platformListDirectory(directory + "/*", names);
    for (std::string& name : names)
    {
        listing.ByFoldedName.emplace(foldedName(name), name);
        listing.Names.insert(std::move(name));
    }
}

static int settledStamp(int64_t stamp)
{
    const int64_t settleTime = 2000000000; // nanoseconds
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - stamp > settleTime;
}

// The folder's listing, read again when the folder changed since it was last read.
static const FolderListing& folderListing(const std::string& directory)
{
    int64_t stamp = 0, size = 0;
    if (!platformFileStamp(directory, &stamp, &size)) stamp = -1;
    auto found = Folders.find(directory);
    if (found != Folders.end() && found->second.Stamp == stamp && found->second.Settled)
        return found->second;
    FolderListing& listing = Folders[directory];
    listing.Stamp = stamp;
    listing.Settled = settledStamp(stamp);
    if (stamp == -1)
    {
        listing.Readable = 0;
        listing.Names.clear();
        listing.ByFoldedName.clear();
    }
    else
        listFolder(directory, listing);
    return listing;
}

static int entryIn(const FolderListing& listing, const std::string& directory,
                   const std::string& fileName, std::string& path)
{
    if (listing.Names.count(fileName))
    {
        path = directory + "/" + fileName;
        return 1;
    }
    auto found = listing.ByFoldedName.find(foldedName(fileName));
    if (found == listing.ByFoldedName.end()) return 0;
    path = directory + "/" + found->second;
    return 1;
}

int findFolderEntry(const std::string& directory, const std::string& fileName, std::string& path)
{
    const FolderListing& listing = folderListing(directory);
    return listing.Readable && entryIn(listing, directory, fileName, path);
}

int findFirstFolderEntry(const std::string& directory, const std::vector<std::string>& fileNames,
                         std::string& path)
{
    const FolderListing& listing = folderListing(directory);
    if (!listing.Readable) return 0;
    for (const std::string& fileName : fileNames)
        if (entryIn(listing, directory, fileName, path)) return 1;
    return 0;
}

void forgetPictures()
{
    for (auto& entry : Kept) dropPicture(entry.second);
    Kept.clear();
    Folders.clear();
    int64_t budget = PictureCache.Budget;
    PictureCache = PictureCacheRecord{budget, 0, 0, 0, 0, 0};
}
