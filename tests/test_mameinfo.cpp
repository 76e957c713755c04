// The game-information file: entries, the skip after a text line, keywords out of place,
// line ends, byte-order mark, long lines, several sets per entry and a real file.
#include "catalogue/mameinfo.h"
#include "support.h"

#include <set>

using Lines = std::vector<std::string>;

class MameInfo : public testing::Test
{
protected:
    void SetUp() override
    {
        freeCatalogue();
        FrontendSettings.UseMameInfoDat = 1;
    }
    void TearDown() override
    {
        freeCatalogue();
        FrontendSettings.UseMameInfoDat = 0;
    }
    // Games of those names, indexed as the MAME list leaves them.
    void makeGames(const std::vector<std::string>& names)
    {
        for (const std::string& name : names) addGame(name);
        freeNameIndex(NameIndex);
        NameIndex = createNameIndex((int)AllGames.size());
        for (Game* game : AllGames) insertNameIndex(NameIndex, game->Name, game);
    }
    Lines linesOf(const std::string& name)
    {
        Game* game = findNameIndex(NameIndex, name);
        return game ? game->InfoLines : Lines{"no such game"};
    }
    // Loads text as mameinfo.dat; answers what went to the standard output.
    std::string load(const std::string& text)
    {
        fs::path path = freshDirectory() / "mameinfo.dat";
        writeText(path, text);
        testing::internal::CaptureStdout();
        EXPECT_EQ(loadMameInfo(path.string()), 1);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(MameInfo, EntriesTextLinesAndTheSkipAfterThem)
{
    makeGames({"pacman", "galaga", "digdug", "mappy"});
    std::string out = load("# comment\n"
                           "$info=pacman\n$mame\nFirst line\n\nSecond\nThird\n\n\nAfter two\n$end\n"
                           "$info=galaga\n$mame\nOnly line\n$end\n" // $end right after text
                           "$info=galaga.cpp\n$drv\nDriver text\n$end\n"
                           "$info=digdug\n$drv\nDriver text\n$end\n"
                           "$INFO=mappy\n$info=nosuchgame\n$mame\nLost\n$end\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(linesOf("pacman"), (Lines{"First line", "Second", "Third", "", "After two"}));
    EXPECT_EQ(linesOf("galaga"), (Lines{"Only line"}));
    EXPECT_EQ(linesOf("digdug"), Lines{});
    EXPECT_EQ(linesOf("mappy"), Lines{});

    // A later entry replaces the earlier lines.
    load("$info=pacman\n$mame\nNew\n$end\n");
    EXPECT_EQ(linesOf("pacman"), (Lines{"New"}));
}

TEST_F(MameInfo, KeywordsOutOfPlaceAndUnfinishedEntries)
{
    makeGames({"pacman", "galaga"});
    // Between entries: reading stops, yet it ended between entries, so no second message.
    EXPECT_EQ(load("$info=pacman\n$mame\nKept\n$end\n$mame\n$info=galaga\n$mame\nx\n$end\n"),
              "invalid state found!!!\n");
    EXPECT_EQ(linesOf("pacman"), (Lines{"Kept"}));
    EXPECT_EQ(linesOf("galaga"), Lines{});
    // Inside an entry: the unfinished entry is lost and reported.
    EXPECT_EQ(load("$info=galaga\n$mame\nText\n$info=pacman\n"),
              "invalid state found!!!\nFailed to load data from mameinfo.dat!\n");
    EXPECT_EQ(linesOf("galaga"), Lines{});
    EXPECT_EQ(load("$info=galaga\n$mame\nText\n"), "Failed to load data from mameinfo.dat!\n");
    EXPECT_EQ(linesOf("galaga"), Lines{});

    // Switched off: nothing is read. Missing: reported and failed.
    FrontendSettings.UseMameInfoDat = 0;
    EXPECT_EQ(loadMameInfo("/nonexistent/mameinfo.dat"), 1);
    FrontendSettings.UseMameInfoDat = 1;
    EXPECT_EQ(stdoutOf([] { EXPECT_EQ(loadMameInfo("/nonexistent/mameinfo.dat"), 0); }),
              "Error opening file: [/nonexistent/mameinfo.dat]\n");
}

TEST_F(MameInfo, LineEndsByteOrderMarkLongLinesAndSeveralSets)
{
    makeGames({"pacman", "puckman", "pacmanf", "galaga"});
    std::string longLine(5000, 'L');
    // Byte-order mark right before the first keyword, CRLF, no line break after the last $end.
    EXPECT_EQ(load("\xEF\xBB\xBF$info=pacman,puckman,,pacmanf,\r\n$mame\r\nPac\r\n\r\n" + longLine +
                   "\r\n$end\r\n$info=galaga\r\n$mame\r\nG\r\n$end"),
              "");
    Lines expected{"Pac", longLine};
    for (const char* name : {"pacman", "puckman", "pacmanf"}) EXPECT_EQ(linesOf(name), expected);
    EXPECT_NE(findNameIndex(NameIndex, "pacman")->InfoLines[0].data(),
              findNameIndex(NameIndex, "puckman")->InfoLines[0].data()); // own copies
    EXPECT_EQ(linesOf("galaga"), (Lines{"G"}));
}

TEST_F(MameInfo, RealFileKeepsEveryListLine)
{
    std::string path = TORVANELL_REALDATA "/infodat/messinfoREM.dat";
    // Every set the file names becomes a game.
    std::ifstream in(path, std::ios::binary);
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("$info=", 0) == 0) names.insert(line.substr(6, line.size() - 7));
    ASSERT_EQ(names.size(), 364u); // two sets have two entries each
    makeGames(std::vector<std::string>(names.begin(), names.end()));

    EXPECT_EQ(load(readText(path)), "");
    size_t withLines = 0;
    for (Game* game : AllGames) withLines += !game->InfoLines.empty();
    EXPECT_EQ(withLines, 314u); // the $mame sets; the 50 $drv entries give none
    EXPECT_EQ(linesOf("alnchase.cpp"), Lines{});
    EXPECT_EQ(linesOf("24c16a"), (Lines{"0.207 [smf]", "24C16A I2C Memory, ???, ????",
                                        "WIP:", "- 0.222: Device removed.",
                                        "- 0.207: smf added 24C16A I2C Memory device."}));
    Lines m2 = linesOf("3do_m2");
    ASSERT_EQ(m2.size(), 21u);
    EXPECT_EQ(m2[4], "Emulation: Preliminary"); // right after another text line
    EXPECT_GT(m2[2].size(), 1000u);             // long lines whole

    // A history file of the older bracketed format holds no entries: passed over quietly.
    makeGames({"1942", "amidaru"});
    EXPECT_EQ(load(readText(TORVANELL_REALDATA "/infodat/history-mame035b8-1999.dat")), "");
    EXPECT_EQ(linesOf("1942"), Lines{});
}
