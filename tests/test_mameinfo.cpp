// The game-information file: entries, the skip after a text line, keywords out of place,
// several sets per entry and real files.
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
    // Loads the text as mameinfo.dat; what went to standard output.
    std::string load(const std::string& text)
    {
        fs::path path = freshDirectory() / "mameinfo.dat";
        writeText(path, text);
        return stdoutOf([&] { EXPECT_EQ(loadMameInfo(path.string()), 1); });
    }
};

TEST_F(MameInfo, EntriesTheSkipAfterTextLinesAndKeywordsOutOfPlace)
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

    FrontendSettings.UseMameInfoDat = 0; // switched off: nothing is read
    EXPECT_EQ(loadMameInfo("/nonexistent/mameinfo.dat"), 1);
    FrontendSettings.UseMameInfoDat = 1;
    EXPECT_EQ(stdoutOf([] { EXPECT_EQ(loadMameInfo("/nonexistent/mameinfo.dat"), 0); }),
              "Error opening file: [/nonexistent/mameinfo.dat]\n");
}

TEST_F(MameInfo, RealFilesKeepEveryListLine)
{
    std::string path = TORVANELL_REALDATA "/infodat/messinfoREM.dat";
    std::ifstream in(path, std::ios::binary);
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("$info=")) names.insert(line.substr(6, line.size() - 7));
    makeGames(std::vector<std::string>(names.begin(), names.end()));
    EXPECT_EQ(load(readText(path)), "");
    size_t withLines = 0;
    for (Game* game : AllGames) withLines += !game->InfoLines.empty();
    EXPECT_EQ(withLines, 314u); // the $mame sets; the 50 $drv entries give none
    EXPECT_EQ(linesOf("24c16a"), (Lines{"0.207 [smf]", "24C16A I2C Memory, ???, ????",
                                        "WIP:", "- 0.222: Device removed.",
                                        "- 0.207: smf added 24C16A I2C Memory device."}));
    Lines m2 = linesOf("3do_m2");
    ASSERT_EQ(m2.size(), 21u);
    EXPECT_EQ(m2[4], "Emulation: Preliminary"); // right after another text line

    // The older bracketed history format holds no entries: passed over quietly.
    makeGames({"1942"});
    EXPECT_EQ(load(readText(TORVANELL_REALDATA "/infodat/history-mame035b8-1999.dat")), "");
    EXPECT_EQ(linesOf("1942"), Lines{});
}
