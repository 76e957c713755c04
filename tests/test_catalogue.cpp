// The name index and freeing the catalogue.
#include "support.h"

TEST(Catalogue, TheNameIndexAndFreeingWhatTheCatalogueHolds)
{
    EXPECT_EQ(nameHash("\xff", 10), 5u); // bytes are signed: -1 is 4294967295
    EXPECT_EQ(nameHash("abc", 0), 0u);   // no division by zero
    EXPECT_EQ(findNameIndex(nullptr, "pacman"), nullptr);
    addEmulator("Genesis");
    NameIndex = createNameIndex(3);
    for (const char* name : {"pacman", "pacman", "ab", "ba", "PACMAN"}) // ab and ba share a bucket
    {
        Game* game = addGame(name);
        game->NameCodes = std::make_unique<NameCodeFlags>();
        game->Video = std::make_unique<VideoInfo>();
        game->Parent = AllGames[0];
        insertNameIndex(NameIndex, name, game);
        VisibleGames.push_back(game);
    }
    insertNameIndex(NameIndex, "ghost", nullptr);
    const std::pair<const char*, Game*> cases[] = {{"pacman", AllGames[0]}, {"PACMAN", AllGames[4]},
                                                   {"ab", AllGames[2]},     {"ba", AllGames[3]},
                                                   {"Pacman", nullptr},     {"ghost", nullptr}};
    for (auto [name, game] : cases) EXPECT_EQ(findNameIndex(NameIndex, name), game) << name;
    freeCatalogue(); // the sanitizer build reports anything left behind
    EXPECT_TRUE(AllGames.empty() && VisibleGames.empty() && NameIndex == nullptr);
    EXPECT_EQ(EmulatorTable.size(), 1u);
    freeEmulators();
}
