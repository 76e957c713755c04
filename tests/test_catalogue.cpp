// The name index and freeing the catalogue.
#include "support.h"

TEST(NameIndex, FirstInsertedWinsAndCollisionsAreToldApart)
{
    EXPECT_EQ(nameHash("\xff", 10), 5u); // bytes are signed: -1 is 4294967295
    EXPECT_EQ(nameHash("abc", 0), 0u);   // no division by zero
    EXPECT_EQ(createNameIndex(0), nullptr);
    EXPECT_EQ(findNameIndex(nullptr, "pacman"), nullptr);
    insertNameIndex(nullptr, "pacman", nullptr);

    NameIndexRecord* index = createNameIndex(3);
    std::vector<Game*> games;
    for (const char* name : {"pacman", "pacman", "ab", "ba", "PACMAN"}) // ab and ba share a bucket
    {
        games.push_back(newGame(0));
        games.back()->Name = name;
        insertNameIndex(index, name, games.back());
    }
    insertNameIndex(index, "", games[0]);
    insertNameIndex(index, "ghost", nullptr);
    const std::pair<const char*, Game*> cases[] = {
        {"pacman", games[0]}, {"PACMAN", games[4]}, {"ab", games[2]}, {"ba", games[3]},
        {"Pacman", nullptr},  {"ghost", nullptr},   {"", nullptr}};
    for (auto [name, game] : cases) EXPECT_EQ(findNameIndex(index, name), game) << name;
    freeNameIndex(index); // the games stay
    EXPECT_EQ(games[0]->Name, "pacman");
    for (Game* game : games) freeGame(game);
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
    EXPECT_TRUE(AllGames.empty() && VisibleGames.empty());
    EXPECT_EQ(NameIndex, nullptr);
    ASSERT_EQ(EmulatorTable.size(), 1u);
    freeCatalogue(); // a second call finds nothing to free
    freeEmulators();
    EXPECT_TRUE(EmulatorTable.empty());
}
