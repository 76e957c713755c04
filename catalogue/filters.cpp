// Availability of MAME games, the order of AllGames and the list the screen shows.
#include "catalogue/filters.h"

#include "base/message.h"
#include "base/text.h"
#include "catalogue/categories.h"
#include "catalogue/emulators.h"
#include "catalogue/history.h"
#include "catalogue/players.h"
#include "config/settings.h"
#include "platform/files.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

// Only the games a zip file names count as present, so every game starts out missing.
static void clearAvailable(int emulatorIndex)
{
    for (auto& game : AllGames)
        if (game->EmulatorIndex == emulatorIndex) game->Available = 0;
}

// A full ROM folder holds some 40,000 zip files against as many games, so each file is looked
// up by name rather than searched for. A zip file makes the first game of its name available.
static void markZipFilesIn(const std::string& directory, int emulatorIndex)
{
    std::vector<std::string> names;
    if (!platformListDirectory(directory + "/*.zip", names)) return;
    for (const std::string& name : names)
    {
        if (name.size() < 4) continue;
        Game* game = findGame(std::string_view(name).substr(0, name.size() - 4), emulatorIndex);
        if (game) game->Available = 1;
    }
}

void markAvailableGames(int emulatorIndex)
{
    const Emulator* emulator = emulatorAt(emulatorIndex);
    if (!emulator) return;
    clearAvailable(emulatorIndex);
    // A MAME emulator's directories are separated by semicolons, not commas.
    for (const std::string& directory : listItems(emulator->RomPath, ";"))
        markZipFilesIn(directory, emulatorIndex);
}

int compareDescriptions(const Game* a, const Game* b)
{
    // std::string compares its bytes as unsigned char, so "Zork" sorts before "alpha".
    int order = a->Description.compare(b->Description);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void sortAllGames()
{
    std::stable_sort(AllGames.begin(), AllGames.end(),
                     [](const std::unique_ptr<Game>& a, const std::unique_ptr<Game>& b)
                     { return compareDescriptions(a.get(), b.get()) < 0; });
}

// Favourites are shown whether or not their emulator is included in "All".
static bool isChosenEmulator(const Game& game, const Emulator& emulator, int current)
{
    if (current >= 0) return game.EmulatorIndex == current;
    if (current == FavouriteGames) return isFavourite(game);
    return emulator.IncludeInAll != 0;
}

static bool passesNameCodes(const Game& game, const Emulator& emulator)
{
    if (!emulator.UseGoodFilters || !emulator.CodeFilter || !game.RomFile) return true;
    for (int i = 0; i < NameCodeCount; i++)
        if (game.RomFile->Codes.Flags[i] && !emulator.CodeFilter->Flags[i]) return false;
    return true;
}

static bool missingRoms(const Game& game)
{
    if (!game.Available) return true;
    return !game.CloneOf.empty() && (!game.Parent || !game.Parent->Available);
}

// A game the players file counts is tested by that count even without an input element.
static bool outsideInputBounds(const Game& game, const Emulator& emulator)
{
    const MameFilter& filter = *emulator.MachineFilter;
    int players = playersCounted(game, emulator.PlayersAtOnce && !emulator.PlayersFile.empty());
    if (players >= 0 && (players < filter.MinPlayers || players > filter.MaxPlayers)) return true;
    if (!game.Input) return false;
    const InputInfo& input = *game.Input;
    return input.Buttons < filter.MinButtons || input.Buttons > filter.MaxButtons ||
           input.Coins < filter.MinCoins || input.Coins > filter.MaxCoins ||
           (filter.ControllerTypes & input.Control) == 0;
}

// The names are the owner's: told once for each list that names a type no list knows.
std::optional<uint32_t> cabinetControlTypes()
{
    static std::string told;
    const std::string& text = FrontendSettings.CabinetControls;
    uint32_t types = 0;
    std::string unknown;
    for (const std::string& name : listItems(text))
    {
        uint32_t bit = knownControlTypeBit(name);
        types |= bit;
        if (!bit && name.find_first_not_of(" \t") != std::string::npos)
            unknown += (unknown.empty() ? "" : ", ") + name;
    }
    if (!unknown.empty() && told != text)
    {
        fprintf(stderr, "[Settings] CabinetControls=%s: no such control type: %s%s\n", text.c_str(),
                unknown.c_str(), types ? "" : "; no game is hidden for its controls");
        told = text;
    }
    if (!types) return std::nullopt;
    return types;
}

static bool needsOtherControls(const Game& game, const Emulator& emulator,
                               std::optional<uint32_t> cabinet)
{
    return cabinet && emulator.CabinetOnly && game.Input &&
           (game.Input->ControlTypes & ~*cabinet) != 0;
}

static bool hasOrientation(const Game& game, ScreenOrientation orientation)
{
    return game.Video && game.Video->Orientation == orientation;
}

static bool hasScreen(const Game& game, const char* screen)
{
    return game.Video && game.Video->Screen == screen;
}

// The tests in the order the filter has always applied them; any one hides the game.
static bool passesMameFilter(const Game& game, const Emulator& emulator)
{
    if (emulator.Kind != EmulatorMame || !emulator.MachineFilter) return true;
    const MameFilter& filter = *emulator.MachineFilter;
    bool neoGeo = game.RomOf == "neogeo";
    bool clone = !game.CloneOf.empty();
    return !(game.NotRunnable || (!filter.DisplayMissingRoms && missingRoms(game)) ||
             (!filter.DisplayVertical && hasOrientation(game, OrientationVertical)) ||
             (!filter.DisplayHorizontal && hasOrientation(game, OrientationHorizontal)) ||
             (!filter.DisplayClones && clone) || outsideInputBounds(game, emulator) ||
             (!filter.DisplayNeoGeo && neoGeo) || (!filter.DisplayNonNeoGeo && !neoGeo) ||
             (!filter.DisplayVector && hasScreen(game, "vector")) ||
             (!filter.DisplayRaster && hasScreen(game, "raster")));
}

// A game the category file does not name is shown.
static bool passesCategories(const Game& game, const Emulator& emulator,
                             const std::vector<char>& hidden)
{
    if (game.Mature && (!emulator.ShowMature || FrontendSettings.Locked)) return false;
    if (game.Category <= 0 || game.Category > (int)Categories.size()) return true;
    size_t main = Categories[game.Category - 1].Main;
    return main >= hidden.size() || !hidden[main];
}

static bool passesHiddenMark(const Game& game)
{
    return !game.Listed || !game.Listed->Hidden || FrontendSettings.ShowHiddenGames;
}

// Games that tie keep the order they came in: that of their descriptions.
static void sortByPlayHistory(GameOrder order)
{
    if (order == OrderByMostPlayed)
        std::stable_sort(VisibleGames.begin(), VisibleGames.end(),
                         [](const Game* a, const Game* b) { return playsOf(*a) > playsOf(*b); });
    else if (order == OrderByLastPlayed)
        std::stable_sort(VisibleGames.begin(), VisibleGames.end(),
                         [](const Game* a, const Game* b)
                         { return lastPlayedOf(*a) > lastPlayedOf(*b); });
}

std::string SearchText;

// ASCII letters in lower case, every other byte as it is: a table, as the search folds every
// byte of 45,000 descriptions at each letter typed.
struct FoldTable
{
    unsigned char Byte[256];
    FoldTable()
    {
        for (int c = 0; c < 256; c++) Byte[c] = (unsigned char)(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
};
static const FoldTable Fold;

// The needle is folded already.
static bool containsFolded(std::string_view text, std::string_view needle)
{
    if (needle.size() > text.size()) return false;
    const unsigned char* bytes = (const unsigned char*)text.data();
    const unsigned char* wanted = (const unsigned char*)needle.data();
    size_t last = text.size() - needle.size(), length = needle.size();
    for (size_t i = 0; i <= last; i++)
    {
        if (Fold.Byte[bytes[i]] != wanted[0]) continue;
        size_t k = 1;
        while (k < length && Fold.Byte[bytes[i + k]] == wanted[k]) k++;
        if (k == length) return true;
    }
    return false;
}

std::vector<Game*> narrowGames(const std::vector<Game*>& from, std::string_view text)
{
    if (text.empty()) return from;
    std::string needle(text);
    for (char& c : needle) c = (char)Fold.Byte[(unsigned char)c];
    std::vector<Game*> narrowed;
    // A ROM file's description is its name: the name would only add its extension, and a
    // search for "MD" find every file of a console.
    for (Game* game : from)
        if (containsFolded(game->Description, needle) ||
            (!game->RomFile && containsFolded(game->Name, needle)))
            narrowed.push_back(game);
    return narrowed;
}

void rebuildVisibleGames()
{
    std::vector<Game*>().swap(VisibleGames);
    int current = FrontendState.CurrentEmulator;
    std::vector<std::vector<char>> hidden;
    for (const auto& emulator : EmulatorTable) hidden.push_back(hiddenCategoryMask(*emulator));
    std::optional<uint32_t> cabinet = cabinetControlTypes();
    for (const auto& owned : AllGames)
    {
        Game* game = owned.get();
        const Emulator* emulator = emulatorOf(game);
        if (emulator && isChosenEmulator(*game, *emulator, current) &&
            passesNameCodes(*game, *emulator) && passesMameFilter(*game, *emulator) &&
            !needsOtherControls(*game, *emulator, cabinet) &&
            passesCategories(*game, *emulator, hidden[game->EmulatorIndex]) &&
            passesHiddenMark(*game))
            VisibleGames.push_back(game);
    }
    sortByPlayHistory(FrontendSettings.SortGamesBy);
    if (!SearchText.empty()) VisibleGames = narrowGames(VisibleGames, SearchText);
}

static int anyFolderExists(const std::string& paths)
{
    for (const std::string& path : listItems(paths, ";"))
        if (platformIsDirectory(path)) return 1;
    return 0;
}

// Why none of an emulator's games is there at all.
static std::string whyNoGames(const Emulator& emulator)
{
    if (!emulator.SectionFound)
        return message("emulator section not found: [{1}]", {emulator.Name});
    if (emulator.Kind == EmulatorMame) return message("MAME's game list holds no games");
    if (emulator.RomPath.empty()) return message("no games listed and no ROM folder (RomPath)");
    if (!anyFolderExists(emulator.RomPath))
        return message("ROM folder not found: {1}", {emulator.RomPath});
    return message("no file with the extension .{1} in {2}",
                   {emulator.RomFileExt, emulator.RomPath});
}

// "a, b, c": the causes in the order they were tested.
static std::string joinedCauses(const std::vector<std::string>& causes)
{
    std::string joined;
    for (const std::string& cause : causes) joined += (joined.empty() ? "" : ", ") + cause;
    return joined;
}

// What hid each of its games, counted by the first test that hides it.
static std::string whyAllHidden(int index, const Emulator& emulator, int games)
{
    const std::vector<char> hidden = hiddenCategoryMask(emulator);
    int missing = 0, codes = 0, machines = 0, controls = 0, categories = 0, marked = 0;
    std::optional<uint32_t> cabinet = cabinetControlTypes();
    bool hidesMissing = emulator.MachineFilter && !emulator.MachineFilter->DisplayMissingRoms;
    for (const auto& game : AllGames)
    {
        if (game->EmulatorIndex != index) continue;
        if (emulator.Kind == EmulatorMame && hidesMissing && missingRoms(*game))
            missing++;
        else if (!passesNameCodes(*game, emulator))
            codes++;
        else if (!passesMameFilter(*game, emulator))
            machines++;
        else if (needsOtherControls(*game, emulator, cabinet))
            controls++;
        else if (!passesCategories(*game, emulator, hidden))
            categories++;
        else if (!passesHiddenMark(*game))
            marked++;
    }
    if (missing == games && !anyFolderExists(emulator.RomPath))
        return message("ROM folder not found: {1}", {emulator.RomPath});
    std::vector<std::string> causes;
    auto add = [&causes](int count, std::string text)
    {
        if (count) causes.push_back(std::move(text));
    };
    add(missing, pluralMessage(missing, "{1} without its zip in {2}",
                               "{1} without their zip in {2}", {emulator.RomPath}));
    add(codes,
        pluralMessage(codes, "{1} by the name-code filters", "{1} by the name-code filters"));
    add(machines, pluralMessage(machines, "{1} by the MAME filters", "{1} by the MAME filters"));
    add(controls, pluralMessage(controls, "{1} needing controls the cabinet lacks",
                                "{1} needing controls the cabinet lacks"));
    add(categories, pluralMessage(categories, "{1} by its category", "{1} by their category"));
    add(marked, pluralMessage(marked, "{1} marked hidden in the game list",
                              "{1} marked hidden in the game list"));
    return pluralMessage(games, "its 1 game hidden: {2}", "all {1} games hidden: {2}",
                         {joinedCauses(causes)});
}

std::vector<std::string> emptyListReasons()
{
    if (!SearchText.empty())
        return {message("no game's description or name holds \"{1}\"", {SearchText})};
    int current = FrontendState.CurrentEmulator;
    if (current == FavouriteGames) return {message("Favourites: no game is marked as a favourite")};
    std::vector<std::string> reasons;
    for (int index = 0; index < (int)EmulatorTable.size(); index++)
    {
        const Emulator& emulator = *EmulatorTable[index];
        if (current >= 0 ? index != current : !emulator.IncludeInAll) continue;
        int games =
            (int)std::count_if(AllGames.begin(), AllGames.end(),
                               [index](const auto& game) { return game->EmulatorIndex == index; });
        // "Emulators=MAME, NES" leaves a blank before the name that is no part of the reason.
        size_t start = emulator.Name.find_first_not_of(" \t");
        std::string name = start == std::string::npos ? emulator.Name : emulator.Name.substr(start);
        reasons.push_back(message("{1}: {2}", {name, games ? whyAllHidden(index, emulator, games)
                                                           : whyNoGames(emulator)}));
    }
    if (reasons.empty()) reasons.push_back(message("no emulator is named in Emulators"));
    return reasons;
}

int initialGroup(const std::string& description)
{
    unsigned char first = description.empty() ? 0 : (unsigned char)description[0];
    if (first >= 'a' && first <= 'z') return first - 'a' + 1;
    if (first >= 'A' && first <= 'Z') return first - 'A' + 1;
    return 0;
}

// The list is sorted by bytes, so "alpha" comes long after "Zork": a group's first game is the
// first one anywhere in the list, not the start of a run.
int gameOfNextInitial(int current, int step)
{
    const int groups = 27;
    int count = (int)VisibleGames.size();
    if (count == 0) return -1;
    int first[groups];
    std::fill(first, first + groups, -1);
    for (int i = count - 1; i >= 0; i--) first[initialGroup(VisibleGames[i]->Description)] = i;
    int from = initialGroup(VisibleGames[std::clamp(current, 0, count - 1)]->Description);
    int direction = step < 0 ? -1 : 1;
    for (int k = 1; k < groups; k++)
    {
        int group = ((from + direction * k) % groups + groups) % groups;
        if (first[group] >= 0) return first[group];
    }
    return first[from];
}

int otherGameAt(int current, int count, uint64_t draw)
{
    if (count <= 0) return -1;
    if (count == 1 || current < 0 || current >= count) return (int)(draw % (uint64_t)count);
    int other = (int)(draw % (uint64_t)(count - 1)); // one of the others, counted past current
    return other >= current ? other + 1 : other;
}
