// A full players file has some 37,000 lines, read at every start: scanned in place, each game
// looked up by name, and the clones without a line of their own given their parent's after.
#include "catalogue/players.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "catalogue/sectionlines.h"

// Nobody seats more; a larger number is a mistake, not a game.
const int MostPlayers = 99;

// "NP sim" or "NP alt": the number, or 0 when the part is neither.
static int partPlayers(std::string_view part, std::string_view kind)
{
    part = trimmedText(part);
    size_t p = part.find('P');
    if (p == 0 || p == std::string_view::npos || p > 2) return 0;
    int players = 0;
    for (char c : part.substr(0, p))
    {
        if (c < '0' || c > '9') return 0;
        players = players * 10 + (c - '0');
    }
    if (trimmedText(part.substr(p + 1)) != kind) return 0;
    return players <= MostPlayers ? players : 0;
}

PlayerCounts parsePlayersValue(std::string_view value)
{
    PlayerCounts counts{0, 0};
    while (!value.empty())
    {
        size_t slash = value.find('/');
        std::string_view part = value.substr(0, slash);
        value.remove_prefix(slash == std::string_view::npos ? value.size() : slash + 1);
        int together = partPlayers(part, "sim"), inTurn = partPlayers(part, "alt");
        if (!together && !inTurn) return {0, 0}; // one part unknown: the whole value is
        if (together > counts.Together) counts.Together = (uint8_t)together;
        if (inTurn > counts.InTurn) counts.InTurn = (uint8_t)inTurn;
    }
    return counts;
}

static void setPlayers(Game& game, PlayerCounts counts)
{
    game.HasPlayersLine = true;
    game.PlayersTogether = counts.Together;
    game.PlayersInTurn = counts.InTurn;
}

static void useParentsLines(int emulatorIndex)
{
    for (const auto& game : AllGames)
    {
        if (game->EmulatorIndex != emulatorIndex || game->HasPlayersLine || game->CloneOf.empty())
            continue;
        const Game* parent = findGame(game->CloneOf, emulatorIndex);
        if (parent && parent->HasPlayersLine)
            setPlayers(*game, {parent->PlayersTogether, parent->PlayersInTurn});
    }
}

int loadPlayersFile(int emulatorIndex)
{
    const Emulator* emulator = emulatorAt(emulatorIndex);
    if (!emulator || emulator->Kind != EmulatorMame || emulator->PlayersFile.empty()) return 0;
    std::string text;
    if (!readWholeFile(emulator->PlayersFile, "Players file",
                       "the games of " + emulator->Name + " are counted by MAME's list", text))
        return 0;
    forEachSectionLine(text, "NPlayers",
                       [&](std::string_view name, std::string_view value)
                       {
                           Game* game = findGame(name, emulatorIndex);
                           if (game && !game->HasPlayersLine)
                               setPlayers(*game, parsePlayersValue(value));
                       });
    useParentsLines(emulatorIndex);
    return 1;
}

int playersCounted(const Game& game, int countAtOnce)
{
    if (countAtOnce && game.PlayersTogether) return game.PlayersTogether;
    if (countAtOnce && game.PlayersInTurn) return 1;
    if (game.Input) return game.Input->Players;
    return game.Listed && game.Listed->Players ? game.Listed->Players : -1;
}

static std::string players(int count)
{
    return pluralMessage(count, "{1} player", "{1} players");
}

std::string playersText(const Game& game)
{
    std::string together =
        game.PlayersTogether
            ? pluralMessage(game.PlayersTogether, "{1} player at once", "{1} players at once")
            : "";
    std::string inTurn =
        game.PlayersInTurn ? pluralMessage(game.PlayersInTurn, "{1} alternating", "{1} alternating")
                           : "";
    if (!together.empty() && !inTurn.empty()) return message("{1}, {2}", {together, inTurn});
    if (!together.empty() || !inTurn.empty()) return together + inTurn;
    if (game.Input && game.Input->Players > 0) return players(game.Input->Players);
    if (game.Listed && game.Listed->Players) return players(game.Listed->Players);
    return "";
}
