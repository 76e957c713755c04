// The one lookup of games: by name and emulator, the first added wins, letter case counts; a
// name's place in the list shown; a game's emulator.
#include "support.h"

TEST(Catalogue, GamesByNameAndEmulator)
{
    addEmulator("A");
    addEmulator("B");
    for (const char* name : {"pacman", "pacman", "ab", "ba", "PACMAN", ""}) addGame(name);
    Game* other = addGame("pacman", 1);
    const std::tuple<const char*, int, Game*> cases[] = {
        {"pacman", 0, AllGames[0].get()},
        {"PACMAN", 0, AllGames[4].get()},
        {"ab", 0, AllGames[2].get()},
        {"ba", 0, AllGames[3].get()},
        {"pacman", 1, other},
        {"Pacman", 0, nullptr},
        {"ab", 1, nullptr},
        {"", 0, nullptr}}; // a game without a name is not found
    for (auto [name, emulator, game] : cases)
        EXPECT_EQ(findGame(name, emulator), game) << name << " " << emulator;
    EXPECT_EQ(gamesNamed("pacman"),
              (std::vector<Game*>{AllGames[0].get(), AllGames[1].get(), other}));

    // The first game of that name the list shows, of whichever emulator.
    VisibleGames = {AllGames[2].get(), other, AllGames[1].get()};
    EXPECT_EQ(findGameByName("pacman"), 1);
    EXPECT_EQ(findGameByName("PACMAN"), -1);

    EXPECT_EQ(emulatorOf(other), EmulatorTable[1].get());
    other->EmulatorIndex = 2;
    EXPECT_EQ(emulatorOf(other), nullptr);
    EXPECT_EQ(emulatorAt(-1), nullptr);
    EXPECT_EQ(emulatorOf(nullptr), nullptr);
    addEmulator("A"); // a second entry of one name: the last is the one
    EXPECT_EQ(std::make_pair(emulatorNamed("A"), emulatorNamed("a")), std::make_pair(2, -1));

    // Many games of one name among others, through every growth of the lookup: all found, in
    // the order added.
    std::vector<Game*> many;
    for (int i = 0; i < 3000; i++)
    {
        addGame("g" + std::to_string(i));
        many.push_back(addGame("many"));
    }
    EXPECT_EQ(gamesNamed("many"), many);
    EXPECT_EQ(findGame("g2999", 0), AllGames[AllGames.size() - 2].get());
    resetCatalogue();
    EXPECT_TRUE(AllGames.empty() && VisibleGames.empty() && gamesNamed("pacman").empty());
}
