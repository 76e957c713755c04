// Game lists of other front ends: what an entry gives a game, what bad lists do, where pictures
// and videos are looked for, and plays carried into the history once.
#include "catalogue/categories.h"
#include "catalogue/filters.h"
#include "catalogue/gamelist.h"
#include "catalogue/history.h"
#include "catalogue/players.h"
#include "core/infopages.h"
#include "display/artwork.h"
#include "display/picturecache.h"
#include "display/videoplayer.h"
#include "support.h"

#include <sys/stat.h>

struct GameListTest : testing::Test
{
    fs::path Dir = freshDirectory();
    Emulator* Console = nullptr;
    void SetUp() override
    {
        resetCatalogue();
        forgetPictures();
        useConfig(Dir / "torvanell.ini", "");
        Console = addEmulator("SMS", (Dir / "roms").string(), "sms");
        Console->GameList = (Dir / "gamelist.xml").string();
        for (const char* name : {"sonic.sms", "alex.sms", "wonder.sms"})
        {
            Game* game = addGame(name);
            game->Description = stripExtension(name);
            game->Manufacturer = "Unknown";
        }
    }
    void TearDown() override
    {
        forgetPlayHistory();
        forgetGameLists();
        forgetCategories();
        forgetPictures();
        resetCatalogue();
    }
    Game* game(const std::string& name)
    {
        return findGame(name, 0);
    }
    void list(const std::string& games)
    {
        writeText(Console->GameList,
                  "<?xml version=\"1.0\"?>\n<gameList>\n" + games + "</gameList>\n");
    }
};

static std::string entry(const std::string& path, const std::string& fields = "")
{
    return "<game><path>" + path + "</path>" + fields + "</game>\n";
}

// Field values as the tools write them, the odd ones included.
TEST(GameListFields, ValuesAreReadAsTheToolsMeanThem)
{
    struct Case
    {
        const char *Players, *Date, *Rating, *Played;
        int PlayersRead, Year, RatingRead;
        int64_t PlayedRead;
    };
    const Case cases[] = {
        {"1", "19950311T000000", "0", "", 1, 1995, 0, 0},
        {"1-2", "0", "1", "20240101T120000", 2, 0, 100, 1704110400},
        {"2+", "19950000T000000", "1.5", "2024", 2, 1995, -1, 0},
        {"many", "text", "stars", "20241399T000000", 0, 0, -1, 0},
        {"1-4", "20240101", "0.85", "", 4, 2024, 85, 0},
    };
    for (const Case& c : cases)
    {
        GameListRead read = parseGameList(
            "<gameList>" +
            entry("./x.sms", std::string("<players>") + c.Players + "</players><releasedate>" +
                                 c.Date + "</releasedate><rating>" + c.Rating +
                                 "</rating><lastplayed>" + c.Played + "</lastplayed>") +
            "</gameList>");
        ASSERT_EQ(read.Entries.size(), 1u) << c.Players;
        const GameListEntry& got = read.Entries[0];
        EXPECT_EQ(got.Players, c.PlayersRead) << c.Players;
        EXPECT_EQ(got.Year, c.Year) << c.Date;
        EXPECT_EQ(got.Rating, c.RatingRead) << c.Rating;
        EXPECT_EQ(got.LastPlayed, c.PlayedRead) << c.Played;
    }
}

// Each row: a list, the files of the entries used, and what is told of it.
TEST(GameListFields, BadListsGiveWhatTheyCanAndSayWhy)
{
    struct Case
    {
        std::string Xml;
        std::vector<std::string> Files;
        std::string Told; // in Fault, or "refused", "duplicate", "no path", "cut"
    };
    const std::string big(2 << 20, 'x');
    const Case cases[] = {
        {"<!DOCTYPE g [<!ENTITY a \"aaaaaaaa\">]><gameList>" + entry("a.sms", "<name>&a;</name>") +
             "</gameList>",
         {},
         "refused"},
        {"<gameList>" + entry("a.sms") + entry("b.sms") + "<game><path>c.sms</pa",
         {"a.sms", "b.sms"},
         "line 3"},
        {"<gameList>" + entry("") + "<game><name>x</name></game>" + entry("a.sms") + "</gameList>",
         {"a.sms"},
         "no path"},
        {"<gameList>" + entry("./a.sms") + entry("/roms/../a.sms") + entry("~/b c'\".sms") +
             "</gameList>",
         {"a.sms", "b c'\".sms"},
         "duplicate"},
        {"<gameList>" + entry("./caf\xE9.sms", "<name>Caf\xE9 \x93Z\x94</name>") + entry("b.sms") +
             "</gameList>",
         {"caf\xC3\xA9.sms", "b.sms"},
         ""},
        {"<gameList>" + entry("a.sms", "<desc>" + big + "</desc>") + "</gameList>",
         {"a.sms"},
         "cut"},
        {"<gameList><folder><path>./sub</path></folder>" + entry("sub/a.sms") + "</gameList>",
         {"a.sms"},
         ""},
    };
    for (size_t i = 0; i < std::size(cases); i++)
    {
        GameListRead read = parseGameList(cases[i].Xml);
        std::vector<std::string> files;
        for (const GameListEntry& got : read.Entries) files.push_back(got.File);
        EXPECT_EQ(files, cases[i].Files) << i;
        const std::string& told = cases[i].Told;
        EXPECT_EQ(read.Refused, told == "refused") << i;
        EXPECT_EQ(read.Duplicates, told == "duplicate") << i;
        EXPECT_EQ(read.WithoutPath, told == "no path" ? 2 : 0) << i;
        EXPECT_EQ(read.TextsCut, told == "cut") << i;
        EXPECT_EQ(read.Fault.find(told.empty() ? "-" : told) == 0, told == "line 3") << read.Fault;
        if (i == 4)
        {
            EXPECT_EQ(read.Entries.at(0).Name, "Caf\xC3\xA9 \xE2\x80\x9CZ\xE2\x80\x9D");
        }
        if (i == 5)
        {
            EXPECT_EQ(read.Entries.at(0).Description.size(), 64u * 1024);
        }
    }
}

// Titles, makers, genres, players and hidden marks reach the games; a damaged cache beside the
// list is told and made again, and a changed list is read again.
TEST_F(GameListTest, EntriesBecomeWhatTheGamesShow)
{
    list(entry("./sonic.sms",
               "<name>Sonic the Hedgehog</name><desc>Fast.\nBlue.</desc><releasedate>"
               "19910725T000000</releasedate><developer>Sonic Team</developer><publisher>Sega"
               "</publisher><genre>Platform / Action</genre><players>1-2</players><rating>0.9"
               "</rating>") +
         entry("./alex.sms", "<name>Alex Kidd</name><hidden>true</hidden>") +
         entry("./missing.sms", "<name>Not here</name>"));
    std::string told = stderrOf([&] { applyGameList(0); });
    EXPECT_EQ(told, "");
    Game* sonic = game("sonic.sms");
    EXPECT_EQ(sonic->Description, "Sonic the Hedgehog");
    EXPECT_EQ(sonic->YearText, "1991");
    EXPECT_EQ(sonic->Manufacturer, "Sonic Team");
    EXPECT_EQ(categoryOf(*sonic), "Platform / Action");
    EXPECT_EQ(playersCounted(*sonic, 0), 2);
    EXPECT_EQ(sonic->Listed->Publisher, "Sega");
    EXPECT_EQ(sonic->Listed->Rating, 90);
    std::vector<InfoPage> pages = informationPages(*sonic);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].Title, "Description");
    EXPECT_EQ(pages[0].Lines, (std::vector<std::string>{"Fast.", "Blue."}));
    EXPECT_TRUE(informationPages(*game("wonder.sms")).empty());

    // Hidden until the setting shows it; a hidden genre hides the game for any emulator.
    FrontendState.CurrentEmulator = 0;
    FrontendSettings.ShowHiddenGames = 0;
    rebuildVisibleGames();
    EXPECT_EQ(VisibleGames.size(), 2u);
    EXPECT_TRUE(anyGameHidden());
    FrontendSettings.ShowHiddenGames = 1;
    Console->HiddenCategories = {"platform"};
    rebuildVisibleGames();
    EXPECT_EQ(VisibleGames, (std::vector<Game*>{game("alex.sms"), game("wonder.sms")}));
    FrontendSettings.ShowHiddenGames = 0;
    Console->HiddenCategories.clear();

    // The next starts: a cache of an earlier build's name is removed (another file of that
    // name is not), a damaged cache is made again, then a changed list with the titles off.
    const std::string cache = Console->GameList + ".cache", old = Console->GameList + ".index";
    EXPECT_TRUE(fs::exists(cache));
    for (const std::string& before : {readText(cache), std::string("notes")})
    {
        writeText(old, before);
        resetCatalogue();
        SetUp();
        applyGameList(0);
        EXPECT_EQ(fs::exists(old), before == "notes");
    }
    resetCatalogue();
    SetUp();
    writeText(cache, "damaged");
    EXPECT_NE(stderrOf([&] { applyGameList(0); }).find("not a file of this kind"),
              std::string::npos);
    EXPECT_EQ(game("sonic.sms")->Description, "Sonic the Hedgehog");
    list(entry("./sonic.sms", "<name>Sonic 2</name>") + entry("sonic.sms", "<name>Again</name>"));
    resetCatalogue();
    SetUp();
    Console->GameListNames = 0;
    told = stderrOf([&] { applyGameList(0); });
    EXPECT_NE(told.find("entries naming a file named before: 1 (the first: sonic.sms)"),
              std::string::npos)
        << told;
    EXPECT_EQ(game("sonic.sms")->Description, "sonic");
    EXPECT_TRUE(game("sonic.sms")->Listed);
}

// A MAME set is its zip's name; what MAME's own list says of it is kept.
TEST_F(GameListTest, MameSetsKeepTheirOwnYearAndMaker)
{
    resetCatalogue();
    Console = addMame();
    Console->GameList = (Dir / "mame.xml").string();
    Game* pacman = addGame("pacman");
    pacman->Year = 1980;
    pacman->Manufacturer = "Namco";
    list(entry("./pacman.zip", "<name>Pac-Man!</name><releasedate>19990101</releasedate>"
                               "<developer>Other</developer><players>2</players>"));
    applyGameList(0);
    EXPECT_EQ(pacman->Description, "Pac-Man!");
    EXPECT_EQ(pacman->Year, 1980);
    EXPECT_EQ(pacman->Manufacturer, "Namco");
    EXPECT_EQ(playersCounted(*pacman, 0), 2);
}

// For each kind: the own folder, the list's file, the media folder's first and second
// sub-folders, the default picture, in that order. Extensions in capitals are found.
TEST_F(GameListTest, PicturesAndVideosFallBackInOrder)
{
    struct Kind
    {
        int Video;
        ArtworkPart Part;
        std::string Emulator::*Own;
        const char* Listed;
        std::vector<std::string> MediaFolders;
    };
    const Kind kinds[] = {
        {0, PartScreenshot, &Emulator::Snaps, "image", {"screenshots", "titlescreens"}},
        {0, PartFlyer, &Emulator::Flyers, "thumbnail", {"covers"}},
        {0, PartMarquee, &Emulator::Marquees, "marquee", {"marquees", "wheels"}},
        {1, PartScreenshot, &Emulator::Videos, "video", {"videos"}},
    };
    for (const Kind& kind : kinds)
    {
        bool video = kind.Video;
        std::string extension = video ? ".mp4" : ".png";
        std::vector<fs::path> files = {Dir / "own" / ("sonic" + extension),
                                       Dir / "listed" / (std::string("s") + extension)};
        for (const std::string& folder : kind.MediaFolders)
            files.push_back(Dir / "media" / folder /
                            (std::string("sonic") + (video ? ".MP4" : ".JPG")));
        if (!video) files.push_back(Dir / "own" / "none.png");
        for (const fs::path& file : files)
        {
            fs::create_directories(file.parent_path());
            touch(file);
        }
        resetCatalogue();
        SetUp();
        Console->MediaFolder = (Dir / "media").string();
        Console->*kind.Own = (Dir / "own").string();
        Console->DefaultSnap = Console->DefaultFlyer = Console->DefaultMarquee = "none.png";
        list(entry("./sonic.sms", std::string("<") + kind.Listed + ">../" +
                                      Dir.filename().string() + "/listed/s" + extension + "</" +
                                      kind.Listed + ">"));
        applyGameList(0);
        for (const fs::path& expected : files)
        {
            std::string path;
            int jpeg = -1;
            int found = video ? findGameVideo(game("sonic.sms"), path)
                              : findArtworkPath(game("sonic.sms"), kind.Part, path, jpeg);
            EXPECT_TRUE(found) << expected;
            EXPECT_EQ(fs::weakly_canonical(path), fs::weakly_canonical(expected)) << kind.Listed;
            if (!video)
            {
                EXPECT_EQ(jpeg, expected.extension() == ".JPG") << expected;
            }
            fs::remove(expected);
        }
        std::string path;
        int jpeg;
        EXPECT_FALSE(video ? findGameVideo(game("sonic.sms"), path)
                           : findArtworkPath(game("sonic.sms"), kind.Part, path, jpeg));
    }
}

// Plays carried over once: a second start adds nothing, a list that gained plays adds only
// those, a favourite the player took off stays off, and the later date wins.
TEST_F(GameListTest, PlaysAreCarriedIntoTheHistoryOnce)
{
    const std::string first =
        entry("./sonic.sms", "<playcount>3</playcount><favorite>true</favorite>"
                             "<lastplayed>20240101T120000</lastplayed>") +
        entry("./alex.sms", "<playcount>2</playcount>");
    auto start = [&](const std::string& games)
    {
        list(games);
        resetCatalogue();
        SetUp();
        applyGameList(0);
        loadPlayHistory();
        mergeGameListPlays();
    };
    start(first);
    EXPECT_EQ(playsOf(*game("sonic.sms")), 3);
    EXPECT_TRUE(isFavourite(*game("sonic.sms")));
    start(first);
    EXPECT_EQ(playsOf(*game("sonic.sms")), 3);
    toggleFavourite(*game("sonic.sms"));
    recordPlay(*game("alex.sms"));
    int64_t played = lastPlayedOf(*game("alex.sms"));
    start(entry("./sonic.sms", "<playcount>5</playcount><favorite>true</favorite>"
                               "<lastplayed>20250101T120000</lastplayed>") +
          entry("./alex.sms", "<playcount>2</playcount><lastplayed>20200101T000000</lastplayed>"));
    EXPECT_EQ(playsOf(*game("sonic.sms")), 5);
    EXPECT_FALSE(isFavourite(*game("sonic.sms")));
    EXPECT_EQ(lastPlayedOf(*game("sonic.sms")), 1735732800);
    EXPECT_EQ(playsOf(*game("alex.sms")), 3);
    EXPECT_EQ(lastPlayedOf(*game("alex.sms")), played);
    std::string history = readText(Dir / "torvanell-history.txt");
    EXPECT_NE(history.find("\tlist=5,yes\n"), std::string::npos) << history;
}

// Missing, a folder, or a FIFO (never waited on): told as what it is.
TEST_F(GameListTest, AListThatCannotBeReadLeavesTheGamesAsTheyAre)
{
    fs::create_directory(Dir / "folder.xml");
    ASSERT_EQ(mkfifo((Dir / "fifo.xml").c_str(), 0644), 0);
    for (auto [name, why] :
         {std::pair{"nothing.xml", "no such file"}, std::pair{"folder.xml", "it is a folder"},
          std::pair{"fifo.xml", "not a regular file"}})
    {
        Console->GameList = (Dir / name).string();
        std::string told = stderrOf([&] { applyGameList(0); });
        EXPECT_NE(told.find("cannot be read"), std::string::npos) << told;
        EXPECT_NE(told.find(why), std::string::npos) << told;
        EXPECT_EQ(game("sonic.sms")->Description, "sonic");
        EXPECT_FALSE(game("sonic.sms")->Listed);
    }
}

TEST_F(GameListTest, TheRealListIsReadWhole)
{
    SKIP_WITHOUT_REALDATA("gamelist/sms-homebrew-gamelist.xml");
    GameListRead read = parseGameList(readText(RealData));
    EXPECT_EQ(read.Entries.size(), 65u);
    EXPECT_EQ(read.Fault, "");
    EXPECT_EQ(read.Entries[0].Name, "2048 [GRZ]");
    EXPECT_EQ(read.Entries[0].Year, 2014);
}
