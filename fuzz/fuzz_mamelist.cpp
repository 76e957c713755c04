// The MAME list reader on any mame.lst: old lists (game), new ones (machine) and DAT files,
// whole, cut off or broken. Clones must end up linked to a parent of the name they give, and a
// second load, which takes the snapshot the first one left, must give the same games.
#include "catalogue/catalogue.h"
#include "catalogue/mamelist.h"
#include "config/settings.h"
#include "fuzzing.h"
#include "platform/testing.h"
#include "tests/gamefields.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startTestPlatform(); // an error box is recorded instead of waiting for a player
    FrontendSettings.UseMameInfoDat = 0;
    return 0;
}

static std::vector<std::string> loadedFields(const std::string& file)
{
    loadMameList(file, 0);
    std::vector<std::string> fields;
    for (const auto& game : AllGames) fields.push_back(gameFields(*game));
    freeCatalogue();
    return fields;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& file = scratchFile(".lst");
    std::filesystem::remove(file + ".cache");
    writeScratch(file, data, size);
    loadMameList(file, 0);
    std::vector<std::string> parsed;
    for (const auto& game : AllGames)
    {
        require(game->EmulatorIndex == 0, "a game of another emulator");
        if (game->Parent) require(game->Parent->Name == game->CloneOf, "parent of another name");
        require(findGame(game->Name, 0) || game->Name.empty(), "a game not indexed");
        parsed.push_back(gameFields(*game));
    }
    freeCatalogue();
    if (std::filesystem::exists(file + ".cache"))
        require(loadedFields(file) == parsed, "the snapshot gave other games");
    testMessageBoxes().clear();
    return 0;
}
