// Category and players files of any bytes: every line given names a game and a category,
// neither empty nor with blanks around it or a line break in it, and nothing is read outside
// [Category]; a players value counts at most 99 at once or in turns, and only from a part that
// says which.
#include "catalogue/categories.h"
#include "catalogue/players.h"
#include "catalogue/sectionlines.h"
#include "fuzzing.h"

#include <string_view>

static bool clean(std::string_view text)
{
    return !text.empty() && text.find_first_of("\r\n") == std::string_view::npos &&
           text.front() != ' ' && text.back() != ' ';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text((const char*)data, size);
    bool anySection = text.find('[') != std::string_view::npos;
    parseCategoryFile(text,
                      [&](const CategoryLine& line)
                      {
                          require(anySection, "a line read before any section");
                          require(clean(line.Game) && clean(line.Category),
                                  "a game or category empty, padded or broken");
                          require(line.Game.find('=') == std::string_view::npos,
                                  "a game name holding the separator");
                      });
    forEachSectionLine(text, "NPlayers",
                       [](std::string_view, std::string_view value)
                       {
                           PlayerCounts counts = parsePlayersValue(value);
                           require(counts.Together <= 99 && counts.InTurn <= 99,
                                   "more than 99 players");
                           require(!counts.Together || value.find("sim") != value.npos,
                                   "players at once without \"sim\"");
                           require(!counts.InTurn || value.find("alt") != value.npos,
                                   "players in turn without \"alt\"");
                       });
    return 0;
}
