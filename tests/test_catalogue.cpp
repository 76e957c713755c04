// The name index: signed bytes in the hash, first inserted wins, collisions told apart.
#include "support.h"

TEST(Catalogue, TheNameIndex)
{
    EXPECT_EQ(nameHash("\xff", 10), 5u); // bytes are signed: -1 is 4294967295
    EXPECT_EQ(nameHash("abc", 0), 0u);   // no division by zero
    EXPECT_EQ(findNameIndex(nullptr, "pacman"), nullptr);
    NameIndex = createNameIndex(3);
    for (const char* name : {"pacman", "pacman", "ab", "ba", "PACMAN"}) // ab and ba share a bucket
        insertNameIndex(NameIndex, name, addGame(name));
    insertNameIndex(NameIndex, "ghost", nullptr);
    const std::pair<const char*, Game*> cases[] = {{"pacman", AllGames[0]}, {"PACMAN", AllGames[4]},
                                                   {"ab", AllGames[2]},     {"ba", AllGames[3]},
                                                   {"Pacman", nullptr},     {"ghost", nullptr}};
    for (auto [name, game] : cases) EXPECT_EQ(findNameIndex(NameIndex, name), game) << name;
    freeCatalogue();
    EXPECT_TRUE(AllGames.empty() && NameIndex == nullptr);
}
