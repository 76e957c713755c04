// The snapshot reader on any bytes: as they come (almost always refused by the check sum), and
// resealed with a right check sum as a deliberately made file would be. What it accepts must
// write back and read back to the same games, and write the same bytes again.
#include "catalogue/catalogue.h"
#include "catalogue/mamelist.h"
#include "catalogue/snapshot.h"
#include "config/settings.h"
#include "fuzzing.h"
#include "platform/testing.h"
#include "tests/gamefields.h"

#include <cstring>
#include <vector>

// With FUZZ_SNAPSHOT_SEED=<list> (and FUZZ_SNAPSHOT_INFO=<information file>), loads the list
// as the program does, which leaves its snapshot beside it for run-fuzz to seed with, and ends.
static void writeSeed(const char* list)
{
    const char* info = std::getenv("FUZZ_SNAPSHOT_INFO");
    FrontendSettings.UseMameInfoDat = info != nullptr;
    FrontendSettings.MameinfoDat = info ? info : "";
    loadMameList(list, 0);
    freeCatalogue();
    std::exit(0);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startTestPlatform();
    if (const char* list = std::getenv("FUZZ_SNAPSHOT_SEED")) writeSeed(list);
    return 0;
}

static int readBytes(std::vector<char>& bytes, const SnapshotSource* expected,
                     SnapshotContents& contents)
{
    std::string why;
    FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    require(file != nullptr, "fmemopen failed");
    int read = readSnapshotFile(file, expected, 0, contents, why);
    std::fclose(file);
    require(read == why.empty(), "refused without a reason, or accepted with one");
    require(read || contents.Games.empty(), "games left after a refusal");
    return read;
}

// Writes into memory; what the writer gives back is never longer than what was read.
static std::vector<char> writeBytes(const SnapshotContents& contents, size_t room)
{
    std::vector<char> bytes(room);
    FILE* file = fmemopen(bytes.data(), bytes.size(), "w+b");
    require(file && writeSnapshotFile(file, contents.Source, contents.Games),
            "an accepted snapshot did not write");
    long size = std::ftell(file);
    std::fclose(file);
    bytes.resize((size_t)size);
    return bytes;
}

static std::vector<std::string> fieldsOf(const SnapshotContents& contents)
{
    std::vector<std::string> fields;
    for (const auto& game : contents.Games) fields.push_back(gameFields(*game));
    return fields;
}

static void checkRoundTrip(SnapshotContents& first, size_t room)
{
    std::vector<char> written = writeBytes(first, room);
    SnapshotContents second;
    require(readBytes(written, &first.Source, second), "a written snapshot was refused");
    require(fieldsOf(second) == fieldsOf(first), "the games changed on the way");
    require(writeBytes(second, room) == written, "writing again gave other bytes");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0; // fmemopen wants a buffer
    std::vector<char> bytes(data, data + size);
    SnapshotContents contents;
    readBytes(bytes, nullptr, contents);
    if (size < SealedCheckedFrom) return 0;
    uint64_t sum = sealedChecksum(bytes.data() + SealedCheckedFrom, size - SealedCheckedFrom);
    std::memcpy(bytes.data() + SealedChecksumOffset, &sum, 8); // little-endian machines
    if (readBytes(bytes, nullptr, contents)) checkRoundTrip(contents, size + 64);
    return 0;
}
