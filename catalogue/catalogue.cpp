// The catalogue's collections, the name index and the lifetime of games and emulators.
#include "catalogue/catalogue.h"

std::vector<Emulator*> EmulatorTable;
std::vector<Game*> AllGames;
std::vector<Game*> VisibleGames;
NameIndexRecord* NameIndex = nullptr;

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

uint32_t nameHash(const std::string& name, uint32_t bucketCount)
{
    if (bucketCount == 0) return 0;
    uint32_t sum = 0;
    for (char byte : name)
        sum += (uint32_t)(int32_t)(int8_t)byte; // bytes above 0x7F count negative
    return sum % bucketCount;
}

NameIndexRecord* createNameIndex(int bucketCount)
{
    if (bucketCount <= 0) return nullptr;
    NameIndexRecord* index = new NameIndexRecord;
    index->Buckets.assign((size_t)bucketCount, nullptr);
    index->Tails.assign((size_t)bucketCount, nullptr);
    return index;
}

void insertNameIndex(NameIndexRecord* index, const std::string& name, Game* game)
{
    if (!index || !game || name.empty()) return;
    uint32_t bucket = nameHash(name, (uint32_t)index->Buckets.size());
    NameIndexEntry* entry = new NameIndexEntry{name, game, nullptr};
    // Appending keeps the first game inserted under a name the one that is found.
    if (index->Tails[bucket])
        index->Tails[bucket]->Next = entry;
    else
        index->Buckets[bucket] = entry;
    index->Tails[bucket] = entry;
}

Game* findNameIndex(const NameIndexRecord* index, const std::string& name)
{
    if (!index || name.empty()) return nullptr;
    uint32_t bucket = nameHash(name, (uint32_t)index->Buckets.size());
    for (NameIndexEntry* entry = index->Buckets[bucket]; entry; entry = entry->Next)
        if (entry->Name == name) return entry->Game;
    return nullptr;
}

void freeNameIndex(NameIndexRecord* index)
{
    if (!index) return;
    for (NameIndexEntry* entry : index->Buckets)
        while (entry)
        {
            NameIndexEntry* next = entry->Next;
            delete entry;
            entry = next;
        }
    delete index;
}

Game* newGame(int emulatorIndex)
{
    Game* game = new Game{};
    game->EmulatorIndex = emulatorIndex;
    game->Available = 1;
    return game;
}

void freeGame(Game* game)
{
    delete game; // its texts, name codes, ROM entries, video, input and lines go with it
}

void freeCatalogue()
{
    std::vector<Game*>().swap(VisibleGames);
    freeNameIndex(NameIndex);
    NameIndex = nullptr;
    for (Game* game : AllGames) freeGame(game);
    std::vector<Game*>().swap(AllGames);
}

void freeEmulators()
{
    for (Emulator* emulator : EmulatorTable) delete emulator;
    std::vector<Emulator*>().swap(EmulatorTable);
}
