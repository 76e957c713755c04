// What the redraws keep between them: decoded pictures by path, and the names in each
// artwork folder. Each is checked against the disk at every use (a picture's size and time, a
// folder's time), so a file replaced, added or removed is seen at the next redraw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture;

const int64_t DefaultPictureBudget = 128 * 1024 * 1024;

struct PictureCacheRecord
{
    int64_t Budget; // bytes of decoded pixels kept at most; a larger picture is never decoded
    int64_t Bytes;  // bytes kept now
    int Pictures;   // pictures kept now
    int64_t Hits, Misses, Evictions;
};

// Budget set at start; the counters since the last forgetPictures.
extern PictureCacheRecord PictureCache;

// The decoded picture at path (a JPEG when jpeg is set, else a PNG), or null when it cannot
// be read or decoded: that is written to standard error once for each version of the file.
// Owned by the cache; valid until the next findPicture or forgetPictures.
const Picture* findPicture(const std::string& path, int jpeg);
enum Prefetched
{
    PrefetchNoRoom = -1, // the picture would pass the budget: nothing more fits
    PrefetchNothing = 0, // already kept, missing or not a picture: nothing was decoded
    PrefetchDecoded = 1,
};
// Decodes the picture at path into the cache ahead of its use. Room under the budget is made
// only from pictures last used before the use numbered keepFrom (what the screen shows and
// what was decoded ahead for it stays). A file that fails is left to findPicture, which
// reports it when it is shown.
Prefetched prefetchPicture(const std::string& path, int jpeg, uint64_t keepFrom);
// The number of the next use of a picture: a redraw notes it before it starts.
uint64_t nextPictureUse();
// The name of the entry of directory whose name is fileName, compared without regard to ASCII
// letter case (an exact match first): 1 and its path in path, or 0 when there is none.
int findFolderEntry(const std::string& directory, const std::string& fileName, std::string& path);
// The first of fileNames that the folder has, found as findFolderEntry finds it, looking at the
// folder once.
int findFirstFolderEntry(const std::string& directory, const std::vector<std::string>& fileNames,
                         std::string& path);
// The name with ASCII capitals made small, as file names are compared here.
std::string foldedName(const std::string& name);
// Drops every picture and folder listing and clears the counters; the budget stays.
void forgetPictures();
