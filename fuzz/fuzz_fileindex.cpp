// The index file's reader on any bytes: what it accepts points only inside its names and the
// file it describes, finds every name it holds, and is written back byte for byte.
#include "catalogue/commandfile.h"
#include "catalogue/fileindex.h"
#include "catalogue/historyfile.h"
#include "fuzzing.h"

#include <cstdio>

// With FUZZ_INDEX_SEED=<folder>, indexes its history.xml and command.dat as the program does,
// which leaves the index files beside them for run-fuzz to seed with, and ends.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* folder = std::getenv("FUZZ_INDEX_SEED");
    if (!folder) return 0;
    FileIndex index;
    openFileIndex(index, std::string(folder) + "/history.xml", "History file", buildHistoryIndex);
    openFileIndex(index, std::string(folder) + "/command.dat", "Command file", buildCommandIndex);
    std::exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes((const char*)data, size), why;
    FileIndex index;
    if (!readIndexFile(bytes, index, why)) return 0;
    for (const IndexRecord& record : index.Records)
    {
        std::string name = index.Names.substr(record.NameOffset, record.NameLength);
        IndexedEntry place;
        require(findIndexedEntry(index, MachineEntries, name, place) &&
                    place.Offset == record.Place.Offset,
                "a name that is held is not found");
    }
    char* written = nullptr;
    size_t writtenSize = 0;
    FILE* out = open_memstream(&written, &writtenSize);
    require(writeIndexFile(out, index) == 1, "an index read could not be written");
    std::fclose(out);
    require(std::string(written, writtenSize) == bytes, "written back differently");
    std::free(written);
    return 0;
}
