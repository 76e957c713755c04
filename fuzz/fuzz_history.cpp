// The history file of any bytes: what it reads, written and read again, is the same entries,
// every line readable, whatever bytes the names hold.
#include "catalogue/history.h"
#include "fuzzing.h"

#include <string_view>

static bool same(const PlayRecord& a, const PlayRecord& b)
{
    return a.Emulator == b.Emulator && a.Game == b.Game && a.Favourite == b.Favourite &&
           a.Plays == b.Plays && a.LastPlayed == b.LastPlayed && a.Extra == b.Extra;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlayHistoryText read = parsePlayHistory(std::string_view((const char*)data, size));
    std::vector<std::unique_ptr<PlayRecord>> records;
    for (const PlayRecord& record : read.Records)
        records.push_back(std::make_unique<PlayRecord>(record));
    PlayHistoryText again = parsePlayHistory(formatPlayHistory(records));
    require(again.Version == 1 && again.BadLines == 0, "a written file does not read back whole");
    require(again.Records.size() == read.Records.size(), "entries lost or added on the way back");
    for (size_t i = 0; i < read.Records.size(); i++)
        require(same(again.Records[i], read.Records[i]), "an entry changed on the way back");
    return 0;
}
