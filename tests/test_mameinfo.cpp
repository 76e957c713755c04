// The game-information file: entries, skipped lines, misplaced keywords, the older format.
#include "catalogue/mameinfo.h"
#include "support.h"

using Lines = std::vector<std::string>;

// Games of those names, indexed as the MAME list leaves them.
static void makeGames(const std::vector<std::string>& names)
{
    freeCatalogue();
    for (const std::string& name : names) addGame(name);
}

static Lines linesOf(const std::string& name)
{
    return findGame(name, 0)->InfoLines;
}

// Loads the text as mameinfo.dat; what went to standard output.
static std::string load(const std::string& text)
{
    fs::path path = freshDirectory() / "mameinfo.dat";
    writeText(path, text);
    FrontendSettings.UseMameInfoDat = 1;
    return stdoutOf([&] { EXPECT_EQ(loadMameInfo(path.string()), 1); });
}

TEST(MameInfo, EntriesTheSkipAfterTextLinesAndKeywordsOutOfPlace)
{
    makeGames({"pacman", "puckman", "galaga", "digdug", "mappy"});
    EXPECT_EQ(load("# comment\n$info=pacman,,puckman,\n$mame\nFirst\n\nSecond\n\n\nAfter two\n"
                   "$end\n$info=galaga\n$mame\nOnly line\n$end\n$info=digdug\n$drv\nDriver\n$end\n"
                   "$INFO=mappy\n$info=nosuchgame\n$mame\nLost\n$end\n"),
              "");
    for (const char* name : {"pacman", "puckman"})
        EXPECT_EQ(linesOf(name), (Lines{"First", "Second", "", "After two"}));
    EXPECT_EQ(linesOf("galaga"), (Lines{"Only line"}));
    EXPECT_EQ(linesOf("digdug"), Lines{});
    EXPECT_EQ(linesOf("mappy"), Lines{});

    // Between entries reading stops quietly after one message; inside one the entry is lost.
    EXPECT_EQ(load("$info=pacman\n$mame\nKept\n$end\n$mame\n$info=galaga\n$mame\nx\n$end\n"),
              "invalid state found!!!\n");
    EXPECT_EQ(linesOf("pacman"), (Lines{"Kept"}));
    EXPECT_EQ(load("$info=digdug\n$mame\nText\n$info=pacman\n"),
              "invalid state found!!!\nFailed to load data from mameinfo.dat!\n");
    EXPECT_EQ(linesOf("digdug"), Lines{});
    EXPECT_EQ(load("$info=digdug\n$mame\nText\n"), "Failed to load data from mameinfo.dat!\n");
    EXPECT_EQ(stdoutOf([] { EXPECT_EQ(loadMameInfo("/nonexistent/mameinfo.dat"), 0); }),
              "Error opening file: [/nonexistent/mameinfo.dat]\n");
    freeCatalogue();
    FrontendSettings.UseMameInfoDat = 0;
}

// The older bracketed history format holds no entries: passed over quietly.
TEST(MameInfo, TheOlderHistoryFormatIsPassedOver)
{
    SKIP_WITHOUT_REALDATA("infodat/history-mame035b8-1999.dat");
    makeGames({"1942"});
    EXPECT_EQ(load(readText(RealData)), "");
    EXPECT_EQ(linesOf("1942"), Lines{});
    freeCatalogue();
    FrontendSettings.UseMameInfoDat = 0;
}
