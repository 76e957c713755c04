// Finding a game in a big set: categories from a category file, favourites and play history
// kept beside the configuration, and the list sorted by them.
#include "catalogue/categories.h"
#include "catalogue/filters.h"
#include "catalogue/history.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "support.h"

#include <gmock/gmock.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

static std::string visible()
{
    rebuildVisibleGames();
    std::string names;
    for (const Game* game : VisibleGames) names += game->Name + ",";
    return names;
}

class History : public WithMainWindow
{
protected:
    // The games of a MAME emulator named by the category file text, each with its category
    // and a "*" when mature, and what stderr said.
    std::string categories(const std::string& text, std::string* said = nullptr)
    {
        resetCatalogue();
        forgetCategories();
        Emulator* mame = addMame();
        addEmulator("Other");
        mame->CategoryFile = (Dir / "catver.ini").string();
        fs::remove(mame->CategoryFile);
        if (!text.empty()) writeText(mame->CategoryFile, text);
        for (const char* name : {"1942", "1942a", "a=b", "sys", "none"}) addGame(name);
        addGame("other", 1); // another emulator's game of a name the file gives
        std::string err = stderrOf([] { loadCategories(0); });
        if (said) *said = err;
        std::string seen;
        for (const auto& game : AllGames)
            seen += categoryOf(*game) + (game->Mature ? "*" : "") + ",";
        return seen;
    }
};

TEST_F(History, CategoriesFromTheFileAndWhatTheyHide)
{
    const std::string lines = "1942=Shooter / Flying Vertical\r\n1942a=Shooter / Flying "
                              "Vertical * Mature *\r\nsys=Game Console/Computer\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"[Category]\r\n" + lines,
         "Shooter / Flying Vertical,Shooter / Flying Vertical*,,Game Console/Computer,,,"},
        // A byte-order mark, other sections first and after, lines without "=", a game the list
        // does not have, the same game twice (the first counts), a name with "=" cut at it.
        {"\xEF\xBB\xBF;; comment\n[FOLDER_SETTINGS]\n1942=Maze\n[ category ]\nno equals\n"
         "gone=Quiz\n1942 = Sports / Golf \n1942=Maze\n\nsys=\n[VerAdded]\nsys=0.1\n",
         "Sports / Golf,,,,,,"},
        {"[Category]\nother=Quiz\n", ",,,,,,"},
        {"[Category]\rsys=Quiz\r", ",,,Quiz,,,"}, // lines ended by CR alone
    };
    for (const auto& [text, seen] : cases) EXPECT_EQ(categories(text), seen) << text;

    // A missing file: one line, every game shown.
    std::string said;
    EXPECT_EQ(categories("", &said), ",,,,,,");
    EXPECT_THAT(said, testing::HasSubstr("Category file cannot be read: [" + Dir.string() +
                                         "/catver.ini] (No such file or directory)"));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

    // Hidden main categories as typed by hand, mature games, and games the file does not name.
    categories("[Category]\n" + lines + "none=Casino / Cards\nother=Casino\n");
    FrontendState.CurrentEmulator = AllEmulators;
    EXPECT_EQ(visible(), "1942,1942a,a=b,sys,none,other,");
    EmulatorTable[0]->HiddenCategories = {" shooter", "CASINO"};
    EXPECT_EQ(visible(), "a=b,sys,other,");
    EmulatorTable[0]->HiddenCategories = {"Game Console"};
    EmulatorTable[0]->ShowMature = 0;
    EXPECT_EQ(visible(), "1942,a=b,sys,none,other,");
    std::vector<std::string> offered;
    for (int main : mainCategoriesOf(0)) offered.push_back(MainCategories[main]);
    EXPECT_EQ(offered, (std::vector<std::string>{"Casino", "Game Console/Computer", "Shooter"}));

    // The menu's answer: shown ones taken out, hidden ones added, names not offered kept.
    EmulatorTable[0]->HiddenCategories = {"Mahjong", "shooter"};
    setShownCategories(*EmulatorTable[0], {{"Casino", 0}, {"Shooter", 1}, {"Quiz", 0}});
    EXPECT_EQ(EmulatorTable[0]->HiddenCategories,
              (std::vector<std::string>{"Mahjong", "Casino", "Quiz"}));

    // 10,000 categories, each of one game: all offered, all hidden, all shown again.
    std::string many = "[Category]\n";
    for (int i = 0; i < 10000; i++)
        many += "g" + std::to_string(i) + "=Kind " + std::to_string(i) + "\n";
    categories(many);
    for (int i = 0; i < 10000; i++) addGame("g" + std::to_string(i));
    loadCategories(0);
    std::vector<std::pair<std::string, int>> rows;
    for (int main : mainCategoriesOf(0)) rows.emplace_back(MainCategories[main], 0);
    ASSERT_EQ(rows.size(), 10000u);
    setShownCategories(*EmulatorTable[0], rows);
    EXPECT_EQ(visible(), "1942,1942a,a=b,sys,none,other,");
    for (auto& row : rows) row.second = 1;
    setShownCategories(*EmulatorTable[0], rows);
    rebuildVisibleGames();
    EXPECT_EQ(VisibleGames.size(), 10006u);
}

TEST(Categories, TheRealFileOfAFullSet)
{
    SKIP_WITHOUT_REALDATA("catver/catver-0.289.ini");
    std::string text = readText(RealData);
    int lines = 0, mature = 0;
    std::map<std::string, std::string> named;
    parseCategoryFile(text,
                      [&](const CategoryLine& line)
                      {
                          lines++;
                          mature += line.Mature;
                          named.emplace(line.Game, line.Category);
                      });
    EXPECT_EQ(lines, 50368); // every line of [Category], none of [VerAdded]
    EXPECT_GT(mature, 700);
    EXPECT_EQ(named.at("10yard"), "Sports / Football");
    EXPECT_EQ(named.at("3kokushi"), "Tabletop / Shanghai");
}

// Names with tabs, "=", backslashes and bytes that are not UTF-8; two emulators with a game of
// the same name; entries of games not present; what a later version added.
TEST_F(History, TheFileKeepsEveryEntryAndReadsBackWhatItWrote)
{
    addEmulator("A");
    addEmulator("B");
    Game* odd = addGame("a\tb=c\\d\xff\n", 0);
    Game* sameA = addGame("pacman", 0);
    Game* sameB = addGame("pacman", 1);
    std::string path = playHistoryPath(FrontendSettings.ConfigFile);
    EXPECT_EQ(path, (Dir / "t-history.txt").string());
    writeText(path, "# Torvanell favourites and play history, format 7\n"
                    "C\tgone\tyes\t3\t2025-02-03 04:05:06\tlater\tfields\n");
    loadPlayHistory();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{});
    toggleFavourite(*odd);
    recordPlay(*sameB);
    testAdvanceClock(platformCounterFrequency() * 90);
    recordPlay(*sameB);
    recordPlay(*sameA);
    EXPECT_EQ(readText(path),
              "# Torvanell favourites and play history, format 1\n"
              "# One game a line: emulator, game, favourite (yes or no), plays, last played "
              "(UTC),\n# separated by tabs.\n"
              "C\tgone\tyes\t3\t2025-02-03 04:05:06\tlater\tfields\n"
              "A\ta\\tb=c\\\\d\xff\\n\tyes\t0\tnever\n"
              "B\tpacman\tno\t2\t2026-01-01 00:01:30\n"
              "A\tpacman\tno\t1\t2026-01-01 00:01:30\n");

    // The next start finds each game again.
    for (auto& game : AllGames) game->Played = nullptr;
    loadPlayHistory();
    EXPECT_EQ(std::vector<int64_t>(
                  {isFavourite(*odd), playsOf(*sameA), playsOf(*sameB), lastPlayedOf(*sameB)}),
              std::vector<int64_t>({1, 1, 2, 1767225690}));
    EXPECT_EQ(PlayRecords.size(), 4u);
    // The favourites of every emulator, also of one left out of "All".
    EmulatorTable[1]->IncludeInAll = 0;
    toggleFavourite(*sameB);
    FrontendState.CurrentEmulator = FavouriteGames;
    EXPECT_EQ(visible(), "a\tb=c\\d\xff\n,pacman,");
    FrontendState.CurrentGame = 1;
    tick({'C'}); // the mark taken off: the game keeps its place until the list is rebuilt
    EXPECT_EQ(VisibleGames.size(), 2u);
    std::string shown;
    for (int i = 0; i < 3; i++) tick({'5'}), shown += Skin.ShownEmulator + ","; // ChangeEmu
    EXPECT_EQ(shown, "All,A,B,");

    // The same file mended in an editor that ends lines with CRLF.
    std::string text = readText(path), crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    writeText(path, crlf);
    loadPlayHistory();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{});
    EXPECT_EQ(playsOf(*sameB), 2);
}

// A file that cannot be read whole is told once, left as it is, and kept aside at the first
// change; one that cannot be written is told once.
TEST_F(History, FilesThatCannotBeReadOrWritten)
{
    addEmulator("A");
    Game* game = addGame("g");
    std::string path = playHistoryPath(FrontendSettings.ConfigFile);
    const std::string header = "# Torvanell favourites and play history, format 1\n";
    const std::string good = "A\tg\tyes\t4\tnever\n";
    // The file, what the box says, whether the good entry was read.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {header + good + "A\th\tyes\t4\t2026-13-01 00:00:00\nA\ti\tno\t", "2 lines cannot be read",
         true},
        {std::string("\x89PNG\r\n\x1a\n\0\0", 10), "not a history file", false},
        {"[Settings]\nA=g\n", "not a history file", false},
        {header + good + std::string(65 << 20, 'x'), "far too large", false},
    };
    for (const auto& [text, why, read] : cases)
    {
        testMessageBoxes().clear();
        fs::remove(path + ".unreadable");
        writeText(path, text);
        game->Played = nullptr;
        loadPlayHistory();
        std::vector<std::string> boxes = boxTexts();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_THAT(boxes[0], testing::HasSubstr(why));
        EXPECT_EQ(isFavourite(*game), read);
        EXPECT_EQ(readText(path), text); // untouched until the player changes something
        recordPlay(*game);
        PlayHistoryText now = parsePlayHistory(readText(path));
        ASSERT_EQ(now.Records.size(), 1u);
        EXPECT_EQ(now.Records[0].Plays, read ? 5 : 1);
        EXPECT_EQ(readText(path + ".unreadable"), text); // too large to read, it is still kept
    }

    // Read-only: told once, however many changes follow; what was changed is kept meanwhile.
    testMessageBoxes().clear();
    fs::permissions(path, fs::perms::owner_read);
    toggleFavourite(*game);
    toggleFavourite(*game);
    recordPlay(*game);
    std::vector<std::string> boxes = boxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_THAT(boxes[0], testing::HasSubstr("could not be saved"));
    EXPECT_EQ(playsOf(*game), 2);

    // Unreadable by this user: never replaced, and nothing set aside; changes stay in memory.
    writeText(path, header + good);
    fs::permissions(path, fs::perms::none);
    fs::remove(path + ".unreadable");
    {
        AsAnotherUser nobody;
        testMessageBoxes().clear();
        game->Played = nullptr;
        loadPlayHistory();
        toggleFavourite(*game);
        recordPlay(*game);
        EXPECT_THAT(boxTexts(), testing::ElementsAre(testing::HasSubstr("Permission denied"),
                                                     testing::HasSubstr("could not be saved")));
    }
    EXPECT_EQ(readText(path), header + good);
    EXPECT_FALSE(fs::exists(path + ".unreadable"));
    EXPECT_EQ(playsOf(*game), 1);
    fs::permissions(path, fs::perms::owner_all);
}

// Ties keep the order of the descriptions; games never played come last.
TEST_F(History, MostAndLastPlayedOrders)
{
    addEmulator("A");
    for (const char* name : {"a", "b", "c", "d", "e"}) addGame(name);
    // Plays of each game at minutes 1, 2, ... of the test clock.
    for (const char* name : {"d", "b", "d", "c", "b", "e"})
    {
        testAdvanceClock(platformCounterFrequency() * 60);
        recordPlay(*AllGames[name[0] - 'a']);
    }
    const std::pair<GameOrder, std::string> cases[] = {
        {OrderByDescription, "a,b,c,d,e,"},
        {OrderByMostPlayed, "b,d,c,e,a,"},
        {OrderByLastPlayed, "e,b,c,d,a,"},
    };
    for (const auto& [order, shown] : cases)
    {
        FrontendSettings.SortGamesBy = order;
        EXPECT_EQ(visible(), shown) << order;
    }
    FrontendSettings.SortGamesBy = OrderByDescription;
}

// Every change replaces the file: killed at any moment, it holds the plays before the change or
// after it, whole, and the next start reads it.
TEST_F(History, PlaysKilledAtAnyMomentOfTheWrite)
{
    addEmulator("A");
    for (int i = 0; i < 200; i++) addGame("game" + std::to_string(i));
    std::string path = playHistoryPath(FrontendSettings.ConfigFile);
    std::mt19937 random(11);
    int64_t plays = 0;
    for (int i = 0; i < 150; i++)
    {
        // The child says when its first replacement is done: the kill then lands at a random
        // moment of the writes after it, however late a loaded machine runs the child.
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        if (child == 0)
        {
            if (!std::freopen("/dev/null", "w", stderr)) _exit(1);
            loadPlayHistory();
            for (auto& game : AllGames) // 200 replacements of the file
            {
                recordPlay(*game);
                if (game == AllGames.front() && write(ready[1], "w", 1) != 1) _exit(1);
            }
            _exit(0);
        }
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1) << i;
        close(ready[0]);
        close(ready[1]);
        usleep((int)(random() % 30000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        PlayHistoryText text = parsePlayHistory(readText(path));
        ASSERT_EQ(text.BadLines, 0) << i;
        int64_t total = 0;
        for (const PlayRecord& record : text.Records) total += record.Plays;
        ASSERT_GT(total, plays) << i; // never fewer than before, and the first write is in
        plays = total;
    }
    stderrOf([] { loadPlayHistory(); }); // the next start removes what a kill left
    for (const fs::directory_entry& entry : fs::directory_iterator(Dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
            << entry.path();
}

// Categories are read at every start, after the list (parsed or from its snapshot): a changed
// file counts at the next start either way.
static std::string ShownAtFirstTick;
static void noteShownAndLeave(Window*)
{
    ShownAtFirstTick.clear();
    for (const Game* game : VisibleGames) ShownAtFirstTick += game->Name + ",";
    platformPostQuit(0);
}

TEST_F(InFreshDirectory, ACategoryFileChangedCountsAtTheNextStart)
{
    fs::create_directories("emu");
    fs::create_directories("roms");
    fs::copy_file(TestPrograms + "fakemame", "emu/fakemame");
    for (const char* zip : {"fakepac.zip", "fakepacb.zip", "fakevert.zip"})
        touch("roms/" + std::string(zip));
    writeText("t.ini", "[Settings]\nEmulators=MAME\n[MAME]\nExecPath=emu\nExecutable=fakemame\n"
                       "RomPath=roms\nCategoryFile=cat.ini\nHiddenCategories=Maze\n");
    MainLoopTick = noteShownAndLeave;
    // The category file of each start; the second and third start from the snapshot.
    const std::pair<std::string, std::string> starts[] = {
        {"[Category]\nfakevert=Maze / Collect\n", "fakepac,fakepacb,"},
        {"[Category]\nfakepac=Maze / Collect\nfakevert=Shooter\n", "fakepacb,fakevert,"},
        {"", "fakepac,fakepacb,fakevert,"},
    };
    for (const auto& [categories, shown] : starts)
    {
        startTestPlatform();
        fs::remove("cat.ini");
        if (!categories.empty()) writeText("cat.ini", categories);
        std::string said = stderrOf([] { EXPECT_EQ(runFrontend("t.ini"), 0); });
        EXPECT_EQ(ShownAtFirstTick, shown) << categories;
        EXPECT_EQ(said.find("Category file cannot be read") != std::string::npos,
                  categories.empty());
        EXPECT_TRUE(fs::exists("mame.lst.cache"));
    }
    MainLoopTick = processTick;
}
