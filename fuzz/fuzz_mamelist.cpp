// The MAME list reader on any mame.lst: old lists (game), new ones (machine) and DAT files,
// whole, cut off or broken. Clones must end up linked to a parent of the name they give.
#include "catalogue/catalogue.h"
#include "catalogue/mamelist.h"
#include "config/settings.h"
#include "fuzzing.h"
#include "platform/testing.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startTestPlatform(); // an error box is recorded instead of waiting for a player
    FrontendSettings.UseMameInfoDat = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& file = scratchFile(".lst");
    writeScratch(file, data, size);
    loadMameList(file, 0);
    for (const Game* game : AllGames)
    {
        require(game->EmulatorIndex == 0, "a game of another emulator");
        if (game->Parent) require(game->Parent->Name == game->CloneOf, "parent of another name");
        require(findNameIndex(NameIndex, game->Name) || game->Name.empty(), "a game not indexed");
    }
    freeCatalogue();
    testMessageBoxes().clear();
    return 0;
}
