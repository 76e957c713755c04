// The game-information reader on any mameinfo.dat, with a few games loaded for its entries to
// attach to. Keyword lines and comments never become text, and no text line holds a line feed.
#include "catalogue/catalogue.h"
#include "catalogue/mameinfo.h"
#include "catalogue/mamelist.h"
#include "config/settings.h"
#include "fuzzing.h"
#include "platform/testing.h"

#include <cstdlib>
#include <cstring>

// Sets of the demo's information file and of real ones.
static const char* const GameList =
    "<mame>\n<game name=\"galdef\"/>\n<game name=\"mazemun\"/>\n<game name=\"starlncr\"/>\n"
    "<game name=\"neobout\"/>\n<game name=\"pacman\"/>\n<game name=\"24c16a\"/>\n"
    "<machine name=\"a2600\"/>\n<machine name=\"3do_m2\"/>\n<game name=\"a\"/>\n</mame>\n";

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startTestPlatform();
    FrontendSettings.UseMameInfoDat = 0;
    const std::string& file = scratchFile(".dat");
    writeScratch(file, (const uint8_t*)GameList, strlen(GameList));
    loadMameList(file, 0);
    require(AllGames.size() == 9, "the game list did not load");
    // The games serve every input; they are freed before the catalogue's own variables go, which
    // would leave them unreachable at the leak check that ends the run.
    atexit(freeCatalogue);
    FrontendSettings.UseMameInfoDat = 1;
    return 0;
}

static bool isKeywordOrComment(const std::string& line)
{
    for (const char* keyword : {"$info", "$mame", "$drv", "$end", "#"})
        if (line.rfind(keyword, 0) == 0) return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (auto& game : AllGames) game->InfoLines.clear();
    const std::string& file = scratchFile(".dat");
    writeScratch(file, data, size);
    require(loadMameInfo(file) == 1, "the file did not open");
    for (const auto& game : AllGames)
        for (const std::string& line : game->InfoLines)
            require(line.find('\n') == std::string::npos && !isKeywordOrComment(line),
                    "a keyword, comment or line feed in the text of " + game->Name);
    return 0;
}
