// The history file's readers on any file: the form is told from the content, every entry the
// index names lies inside the file, and every entry read gives lines without a line feed.
#include "catalogue/historyfile.h"
#include "fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& file = scratchFile(".history");
    writeScratch(file, data, size);
    FileIndex index;
    std::vector<NamedEntry> entries;
    require(buildHistoryIndex(file, index.Form, index.Encoding, entries) == 1, "unreadable");
    for (const NamedEntry& entry : entries)
        require(entry.Place.Offset <= size && entry.Place.Length <= size - entry.Place.Offset,
                "an entry outside the file: " + entry.Name);
    index.Path = file;
    index.Source.Size = (int64_t)size;
    fillFileIndex(index, entries);
    for (size_t i = 0; i < index.Records.size() && i < 64; i++)
    {
        const IndexRecord& record = index.Records[i];
        std::string name = index.Names.substr(record.NameOffset, record.NameLength);
        for (const std::string& line :
             readEntryLines(index, MachineEntries, name, historyEntryLines))
            require(line.find('\n') == std::string::npos, "a line feed in the story of " + name);
    }
    return 0;
}
