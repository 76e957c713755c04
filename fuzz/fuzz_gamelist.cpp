// The game-list reader on any bytes: every entry names a file, once, with its fields in their
// ranges; what is read survives the cache kept beside the list; and the cache's reader, on any
// bytes, accepts only what it writes back byte for byte.
#include "catalogue/fileindex.h"
#include "catalogue/gamelist.h"
#include "fuzzing.h"

#include <set>

static void checkEntries(const GameListRead& read)
{
    std::set<std::string> files;
    for (const GameListEntry& entry : read.Entries)
    {
        require(!entry.File.empty() && entry.File.find_first_of("/\\") == std::string::npos,
                "an entry without a file name: " + entry.File);
        require(files.insert(entry.File).second, "a file twice: " + entry.File);
        require(entry.Description.size() <= 64 * 1024 && entry.Name.size() <= 1024,
                "a text longer than its limit");
        require(entry.Year == 0 || (entry.Year >= 1000 && entry.Year <= 9999), "no year");
        require(entry.Rating >= -1 && entry.Rating <= 100, "a rating out of range");
        require(entry.Players >= 0 && entry.Players <= 255, "players out of range");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes((const char*)data, size), why;
    GameListRead read = parseGameList(bytes);
    checkEntries(read);
    SourceStamp source{"build", (int64_t)size, 1, 2, 3}, back;
    std::string cache = formatGameListCache(source, read);
    GameListRead again;
    require(readGameListCache(cache, back, again, why) == 1, "a cache written is not read: " + why);
    require(again.Entries.size() == read.Entries.size() && back == source, "the cache differs");
    if (!readGameListCache(bytes, back, again, why)) return 0;
    require(formatGameListCache(back, again) == bytes, "a cache written back differently");
    return 0;
}
