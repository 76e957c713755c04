// The name hash, the name index and freeing the catalogue.
#include "support.h"

static Game* gameNamed(const char* name)
{
    Game* game = newGame(0);
    game->Name = name;
    return game;
}

TEST(NameHash, SumsSignedBytesThenTakesTheModulo)
{
    EXPECT_EQ(nameHash("abc", 10), 4u);
    EXPECT_EQ(nameHash("\xff", 10), 5u); // -1 is 4294967295
    EXPECT_EQ(nameHash("\x80\x01", 1000), (uint32_t)(-127) % 1000u);
    EXPECT_EQ(nameHash("", 10), 0u);
    EXPECT_EQ(nameHash("abc", 1), 0u);
    EXPECT_EQ(nameHash("abc", 0), 0u); // no division by zero
}

TEST(NameIndex, FirstInsertedWinsAndCollisionsAreToldApart)
{
    EXPECT_EQ(createNameIndex(0), nullptr);
    EXPECT_EQ(findNameIndex(nullptr, "pacman"), nullptr);
    insertNameIndex(nullptr, "pacman", nullptr); // nothing to do, nothing to crash

    NameIndexRecord* index = createNameIndex(3);
    Game* first = gameNamed("pacman");
    Game* second = gameNamed("pacman");
    Game* ab = gameNamed("ab");
    Game* ba = gameNamed("ba"); // same bucket as "ab"
    Game* upper = gameNamed("PACMAN");
    for (Game* game : {first, second, ab, ba, upper}) insertNameIndex(index, game->Name, game);
    insertNameIndex(index, "", first);
    insertNameIndex(index, "ghost", nullptr);

    EXPECT_EQ(findNameIndex(index, "pacman"), first);
    EXPECT_EQ(findNameIndex(index, "PACMAN"), upper);
    EXPECT_EQ(findNameIndex(index, "ab"), ab);
    EXPECT_EQ(findNameIndex(index, "ba"), ba);
    EXPECT_EQ(findNameIndex(index, "Pacman"), nullptr);
    EXPECT_EQ(findNameIndex(index, "ghost"), nullptr);
    EXPECT_EQ(findNameIndex(index, ""), nullptr);

    freeNameIndex(index); // the games stay
    EXPECT_EQ(first->Name, "pacman");
    for (Game* game : {first, second, ab, ba, upper}) freeGame(game);
}

TEST(Catalogue, FreeCatalogueFreesGamesAndIndexButKeepsEmulators)
{
    addEmulator("Genesis");
    NameIndex = createNameIndex(4);
    for (int i = 0; i < 10; i++)
    {
        Game* game = addGame("game" + std::to_string(i));
        game->NameCodes = std::make_unique<NameCodeFlags>();
        game->Roms.push_back({"a.rom", 1024, 0xdeadbeef});
        game->Video = std::make_unique<VideoInfo>();
        game->Input = std::make_unique<InputInfo>();
        game->InfoLines.push_back("line");
        game->Parent = i % 2 ? AllGames[i - 1] : nullptr;
        insertNameIndex(NameIndex, game->Name, game);
        if (i % 2) VisibleGames.push_back(game);
    }
    freeCatalogue(); // the sanitizer build reports anything left behind
    EXPECT_TRUE(AllGames.empty());
    EXPECT_TRUE(VisibleGames.empty());
    EXPECT_EQ(NameIndex, nullptr);
    ASSERT_EQ(EmulatorTable.size(), 1u);
    EXPECT_EQ(EmulatorTable[0]->Name, "Genesis");
    freeCatalogue(); // a second call finds nothing to free
    freeEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
}
