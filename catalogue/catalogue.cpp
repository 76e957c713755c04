// The catalogue's collections, the name index and the lifetime of games and emulators.
#include "catalogue/catalogue.h"

#include "catalogue/sectionlines.h"
#include "runtime/state.h"

#include <algorithm>
#include <functional>

std::vector<std::unique_ptr<Emulator>> EmulatorTable;
std::vector<std::unique_ptr<Game>> AllGames;
std::vector<Game*> VisibleGames;

// Every game of AllGames that has a name, in a table of at least twice as many slots as games,
// found from the slot its name's hash gives, one slot on at a time (the last wraps to the first).
// A slot costs 8 bytes where a map's entry would cost some 100, and a full set has 45,000 games.
// No game leaves the table but all at once, so the games of one name lie along their path in
// the order they were added, and a path ends at the first empty slot.
static std::vector<Game*> NameSlots;
static size_t NamedGames;
static const size_t FewestNameSlots = 1024;

static size_t homeSlot(std::string_view name)
{
    return std::hash<std::string_view>{}(name) & (NameSlots.size() - 1);
}

static size_t nextSlot(size_t slot)
{
    return (slot + 1) & (NameSlots.size() - 1);
}

static void placeByName(Game* game)
{
    size_t slot = homeSlot(game->Name);
    while (NameSlots[slot]) slot = nextSlot(slot);
    NameSlots[slot] = game;
}

// The first game of that name, in the order added, that wanted answers true for; null when
// none does. Nothing is allocated: the clones of a full set look their parents up at load.
template <class Wanted>
static Game* firstNamed(std::string_view name, Wanted wanted)
{
    if (NameSlots.empty()) return nullptr;
    for (size_t slot = homeSlot(name); NameSlots[slot]; slot = nextSlot(slot))
        if (NameSlots[slot]->Name == name && wanted(NameSlots[slot])) return NameSlots[slot];
    return nullptr;
}

// Each path is taken up whole and in order: from just after an empty slot, paths never wrap
// across the start of the walk.
static void growNameSlots()
{
    std::vector<Game*> old(std::max(NameSlots.size() * 2, FewestNameSlots), nullptr);
    old.swap(NameSlots);
    if (old.empty()) return;
    size_t start = std::find(old.begin(), old.end(), nullptr) - old.begin();
    for (size_t i = 1; i <= old.size(); i++)
        if (Game* game = old[(start + i) % old.size()]) placeByName(game);
}

// Row i is index i of NameCodeFlags and NameCodeFilter. The bracket codes are searched
// without their closing bracket so that "[a" also finds "[a1]" and "[T" finds "[T+Eng]".
const NameCodeInfo NameCodeTable[NameCodeCount] = {
    {"[a", nullptr, "ShowAlternates"},
    {"(Beta)", nullptr, "ShowBetas"},
    {"[b", nullptr, "ShowBadDumps"},
    {"[f", nullptr, "ShowFixed"},
    {"[h", "Hack", "ShowHacks"},
    {"[o", nullptr, "ShowOverDumps"},
    {"[p", nullptr, "ShowPirate"},
    {"[t", nullptr, "ShowTrainers"},
    {"[T", nullptr, "ShowTranslations"},
    {"[!", nullptr, "ShowVerified"},
    {"(M", nullptr, "ShowMultiLanguage"},
    {"(Unl)", nullptr, "ShowUnlicensed"},
    {"(1)", nullptr, "ShowJapanAndKorea"},
    {"(A)", nullptr, "ShowAustralia"},
    {"(B)", nullptr, "ShowNonUSAGenesis"},
    {"(C)", nullptr, "ShowChina"},
    {"(E)", nullptr, "ShowEurope"},
    {"(F)", nullptr, "ShowFrance"},
    {"(FC)", nullptr, "ShowFrenchCanadian"},
    {"(FN)", nullptr, "ShowFinland"},
    {"(G)", nullptr, "ShowGermany"},
    {"(GR)", nullptr, "ShowGreece"},
    {"(HK)", nullptr, "ShowHongKong"},
    {"(4)", nullptr, "ShowUSAAndBrazilNTSC"},
    {"(J)", nullptr, "ShowJapan"},
    {"(K)", nullptr, "ShowKorea"},
    {"(NL)", nullptr, "ShowNetherlands"},
    {"(PD)", nullptr, "ShowPublicDomain"},
    {"(S)", nullptr, "ShowSpain"},
    {"(SW)", nullptr, "ShowSweden"},
    {"(U)", nullptr, "ShowUSA"},
    {"(UK)", nullptr, "ShowEngland"},
    {"(Unk)", nullptr, "ShowUnknownCountry"},
    {"(I)", nullptr, "ShowItaly"},
};

Game* appendGame(std::unique_ptr<Game> owned)
{
    Game* game = AllGames.emplace_back(std::move(owned)).get();
    if (game->Name.empty()) return game;
    if (2 * (NamedGames + 1) > NameSlots.size()) growNameSlots();
    placeByName(game);
    NamedGames++;
    return game;
}

std::vector<Game*> gamesNamed(std::string_view name)
{
    std::vector<Game*> games;
    firstNamed(name, [&](Game* game) { return games.push_back(game), false; });
    return games;
}

Game* findGame(std::string_view name, int emulatorIndex)
{
    return firstNamed(name, [&](const Game* game) { return game->EmulatorIndex == emulatorIndex; });
}

Game* selectedGame()
{
    int index = FrontendState.CurrentGame;
    return index >= 0 && index < (int)VisibleGames.size() ? VisibleGames[index] : nullptr;
}

// VisibleGames keeps the order of AllGames, so the first of the games of that name that it
// holds is the one nearest its start.
int findGameByName(const std::string& name)
{
    int first = -1;
    firstNamed(name,
               [&](const Game* game)
               {
                   auto found = std::find(VisibleGames.begin(), VisibleGames.end(), game);
                   int at = found == VisibleGames.end() ? -1 : (int)(found - VisibleGames.begin());
                   if (at >= 0 && (first < 0 || at < first)) first = at;
                   return false;
               });
    return first;
}

int emulatorNamed(std::string_view name)
{
    for (int i = (int)EmulatorTable.size() - 1; i >= 0; i--)
        if (EmulatorTable[i]->Name == name) return i;
    return -1;
}

// An extension is at most three characters after the last dot: "game.tar.gz" keeps ".tar".
std::string stripExtension(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && name.size() - dot <= 4) return name.substr(0, dot);
    return name;
}

std::string_view cutToLength(std::string_view text, size_t limit, int* cuts)
{
    if (text.size() <= limit) return text;
    (*cuts)++;
    size_t end = limit;
    while (end > 0 && ((unsigned char)text[end] & 0xC0) == 0x80) end--; // a continuation byte
    return text.substr(0, end);
}

void keepOnOneLine(std::string& text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
}

std::unique_ptr<Game> newGame(int emulatorIndex)
{
    auto game = std::make_unique<Game>();
    game->EmulatorIndex = emulatorIndex;
    game->Available = true;
    return game;
}

void freeCatalogue()
{
    std::vector<Game*>().swap(VisibleGames);
    std::vector<Game*>().swap(NameSlots);
    NamedGames = 0;
    decltype(AllGames)().swap(AllGames);
}

void freeEmulators()
{
    decltype(EmulatorTable)().swap(EmulatorTable);
}

const char* const ControlTypeNames[ControlTypeCount] = {
    "joy",       "doublejoy", "triplejoy", "stick",    "only_buttons", "lightgun",
    "trackball", "dial",      "paddle",    "pedal",    "positional",   "mouse",
    "keyboard",  "keypad",    "mahjong",   "hanafuda", "gambling"};

// "joy8way" (the old lists) is a joy with its ways written into the name.
static std::string withoutWays(std::string type)
{
    if (type.size() > 4 && type.ends_with("way") && type[type.size() - 4] >= '0' &&
        type[type.size() - 4] <= '9' && type.find("joy") != std::string::npos)
        type.resize(type.size() - 4);
    return type;
}

uint32_t knownControlTypeBit(std::string_view type)
{
    std::string lower = withoutWays(comparableName(type));
    for (int i = 0; i < ControlTypeCount; i++)
        if (lower == ControlTypeNames[i]) return 1u << i;
    return 0;
}

uint32_t controlTypeBit(std::string_view type)
{
    if (type.find_first_not_of(" \t") == std::string_view::npos) return 0;
    uint32_t bit = knownControlTypeBit(type);
    return bit ? bit : OtherControlType;
}
