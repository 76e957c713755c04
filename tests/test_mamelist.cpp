// The MAME game list: capturing it, reading the three generations of -listxml and DAT files,
// cut-off and broken lists, and what the filters make of the games.
#include "catalogue/filters.h"
#include "catalogue/mamelist.h"
#include "core/frontend.h"
#include "platform/window.h"
#include "support.h"

static std::string writeList(const std::string& name, const std::string& text)
{
    fs::path path = freshDirectory(name) / "mame.lst";
    writeText(path, text);
    return path.string();
}

class MameList : public testing::Test
{
protected:
    void SetUp() override
    {
        startTestPlatform();
        resetCatalogue();
        FrontendSettings.UseMameInfoDat = 0;
        FrontendState.CurrentEmulator = 0;
    }
    void TearDown() override
    {
        resetCatalogue();
    }
    static void TearDownTestSuite()
    {
        platformStop(); // the fonts and windows the layer holds
    }
};

TEST_F(MameList, TrimLineRemovesEveryKindOfWhiteSpaceAtBothEnds)
{
    for (auto [line, trimmed] : {std::pair{" \t\v\f<game name=\"a\">\r\n", "<game name=\"a\">"},
                                 {" \t\r\n ", ""},
                                 {"a b", "a b"}})
    {
        std::string text = line;
        trimLine(text);
        EXPECT_EQ(text, trimmed);
    }
}

static const char* const OldList = R"(<?xml version="1.0"?>
<mame build="0.106">
	<game name="bios" runnable="no"><description>BIOS</description></game>
	<game name="puckman">
		<description>Adam &amp; Eve &lt;unknown&gt;</description>
		<year>199?</year>
		<manufacturer>Namco &amp; Co</manufacturer>
		<rom name="pm1.6e" size="4096" crc="ffffffff"/>
		<rom name="pm2.6f" size="0x10" crc="0x0000001F"/>
		<video screen="raster" orientation="vertical" width="224" height="288"/>
		<video screen="vector" orientation="horizontal" width="640" height="480"/>
		<input players="2" buttons="1" coins="3" control="joy4way"/>
	</game>
	<game name="pacman" cloneof="puckman"
	      romof="puckman">
		<description>Pac-Man</description><year>????</year>
		<video screen="raster" width="70000"/>
		<input players="1" control="lightgun"/>
	</game>
	<game name="orphan" cloneof="missing"><description>Orphan</description></game>
</mame>)"; // no line break after the last line

TEST_F(MameList, OldFormatFieldsWholeTextsAndTwoLineAttributes)
{
    ASSERT_EQ(loadMameList(writeList("old", OldList), 0), 1);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_EQ(AllGames.size(), 4u);
    EXPECT_EQ(findGame("bios")->NotRunnable, 1);
    Game* puckman = findGame("puckman");
    EXPECT_EQ(puckman->NotRunnable, 0);
    EXPECT_EQ(puckman->Description, "Adam & Eve <unknown>");
    EXPECT_EQ(puckman->Manufacturer, "Namco & Co");
    EXPECT_EQ(puckman->Year, 199);
    ASSERT_EQ(puckman->Roms.size(), 2u);
    EXPECT_EQ(puckman->Roms[0].Name, "pm1.6e");
    EXPECT_EQ(puckman->Roms[0].Size, 4096);
    EXPECT_EQ(puckman->Roms[0].Crc, 4294967295u);
    EXPECT_EQ(puckman->Roms[1].Size, 0); // decimal only: "0x10" stops at the x
    EXPECT_EQ(puckman->Roms[1].Crc, 31u);
    // The second video element wins.
    EXPECT_EQ(puckman->Video->Screen, "vector");
    EXPECT_EQ(puckman->Video->Orientation, 2);
    EXPECT_EQ(puckman->Video->Width, 640);
    EXPECT_EQ(puckman->Input->Players, 2);
    EXPECT_EQ(puckman->Input->Buttons, 1);
    EXPECT_EQ(puckman->Input->Coins, 3);
    EXPECT_EQ(puckman->Input->Control, 1);

    Game* pacman = findGame("pacman"); // its start tag spans two lines
    ASSERT_NE(pacman, nullptr);
    EXPECT_EQ(pacman->RomOf, "puckman");
    EXPECT_EQ(pacman->Parent, puckman);
    EXPECT_EQ(pacman->Year, 0);
    EXPECT_EQ(pacman->Video->Orientation, 0);
    EXPECT_EQ(pacman->Video->Width, 70000 & 0xFFFF);
    EXPECT_EQ(pacman->Input->Control, 8);
    EXPECT_EQ(findGame("orphan")->Parent, nullptr);
    EXPECT_EQ(findGame("puckman")->Parent, nullptr);
    EXPECT_NE(NameIndex, nullptr);
}

static const char* const NewList = R"(<?xml version="1.0"?>
<mame build="0.252">
<machine name="neogeo" isbios="yes"><description>Neo-Geo</description></machine>
<machine name="z80" isdevice="yes"><description>Zilog Z80</description></machine>
<machine name="mslug" romof="neogeo">
<description>Metal Slug</description>
<display tag="screen" type="raster" rotate="0" width="320" height="224"/>
<display tag="screen2" type="raster" rotate="270" width="304" height="224"/>
<input players="2" coins="2"><control type="joy" player="1" buttons="3" ways="8"/>
<control type="joy" player="2" buttons="4" ways="8"/></input>
</machine>
<machine name="tempest"><description>Tempest</description>
<display type="vector" rotate="180"/>
<input players="2" buttons="2"><control type="dial" buttons="5"/></input>
</machine>
<machine name="quiz"><description>Quiz</description>
<input players="1"><control type="joy" ways="2"/><control type="doublejoy" ways="4"/></input>
</machine>
<machine name="robotron"><description>Robotron</description>
<input players="1"><control type="doublejoy" ways="8"/></input>
</machine>
</mame>
)";

TEST_F(MameList, NewFormatMachinesDisplaysAndControls)
{
    ASSERT_EQ(loadMameList(writeList("new", NewList), 0), 1);
    ASSERT_EQ(AllGames.size(), 6u);
    EXPECT_EQ(findGame("neogeo")->NotRunnable, 1);
    EXPECT_EQ(findGame("z80")->NotRunnable, 1);
    Game* mslug = findGame("mslug");
    EXPECT_EQ(mslug->NotRunnable, 0);
    EXPECT_EQ(mslug->Video->Orientation, 1); // the last display wins
    EXPECT_EQ(mslug->Video->Width, 304);
    EXPECT_EQ(mslug->Video->Screen, "raster");
    EXPECT_EQ(mslug->Input->Control, 1);
    EXPECT_EQ(mslug->Input->Buttons, 4); // the largest of the controls'
    Game* tempest = findGame("tempest");
    EXPECT_EQ(tempest->Video->Screen, "vector");
    EXPECT_EQ(tempest->Video->Orientation, 2);
    EXPECT_EQ(tempest->Input->Control, 1);
    EXPECT_EQ(tempest->Input->Buttons, 2);          // input's own count stands
    EXPECT_EQ(findGame("quiz")->Input->Control, 8); // joy2way and doublejoy4way are not named
    EXPECT_EQ(findGame("robotron")->Input->Control, 1);
}

TEST_F(MameList, EmptyCutOffBrokenAndMissingLists)
{
    ASSERT_EQ(loadMameList(writeList("empty", ""), 0), 1);
    ASSERT_EQ(loadMameList(writeList("blank", "\n  \r\n\t\n"), 0), 1);
    EXPECT_TRUE(AllGames.empty());
    EXPECT_EQ(NameIndex, nullptr);
    EXPECT_TRUE(boxTexts().empty());

    // Cut off inside the third game: the two completed games stay and the cut is reported.
    std::string list = "\n\n<mame>\n<game name=\"a\"><description>A</description></game>\n"
                       "<game name=\"b\"><description>B</description></game>\n"
                       "<game name=\"c\"><description>C</desc";
    ASSERT_EQ(loadMameList(writeList("cut", list), 0), 1);
    EXPECT_EQ(AllGames.size(), 2u);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Parse error at line 6:\nunclosed token\n"});

    // A broken tag in the middle reports the file's own line, empty lines counted.
    testMessageBoxes().clear();
    list = "<mame>\n\n<game name=\"d\"></game>\n\n\n<game name=\"e\" <>\n<game name=\"f\"/>\n";
    ASSERT_EQ(loadMameList(writeList("broken", list), 0), 1);
    EXPECT_EQ(AllGames.size(), 3u);
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(boxTexts()[0].rfind("Parse error at line 6:\n", 0), 0u);

    testing::internal::CaptureStdout();
    std::string missing = (freshDirectory("missing") / "mame.lst").string();
    EXPECT_EQ(loadMameList(missing, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error opening file: [" + missing + "]\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadMameList(freshDirectory("directory").string(), 0), 0); // opens, cannot be read
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Read error\n");
}

TEST_F(MameList, LinesOfAnyLengthReachTheParserWhole)
{
    // A description of 3 MB and a rom line split at byte 511 by a 512-byte reader.
    std::string huge(3 << 20, 'x');
    std::string padding(511 - std::string("<rom name=\"").size(), 'r');
    std::string list = "<mame><game name=\"long\"><description>" + huge +
                       "</description>\n<rom name=\"" + padding +
                       "\" size=\"7\"/>\n</game></mame>\n";
    ASSERT_EQ(loadMameList(writeList("long", list), 0), 1);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_EQ(AllGames.size(), 1u);
    EXPECT_EQ(AllGames[0]->Description, huge);
    ASSERT_EQ(AllGames[0]->Roms.size(), 1u);
    EXPECT_EQ(AllGames[0]->Roms[0].Name, padding);
    EXPECT_EQ(AllGames[0]->Roms[0].Size, 7);

    // A whole list on one line of several megabytes, with runs of blanks between attributes
    // long enough that the reader's blocks end inside them.
    freeCatalogue();
    list = "  <mame>";
    for (int i = 0; i < 4000; i++)
        list += "<game name=\"g" + std::to_string(i) + "\"" + std::string(1000, ' ') +
                "cloneof=\"p\"><description> D </description></game>";
    list += "</mame>  ";
    ASSERT_EQ(loadMameList(writeList("oneline", list), 0), 1);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_EQ(AllGames.size(), 4000u);
    EXPECT_EQ(AllGames[3999]->CloneOf, "p");
    EXPECT_EQ(AllGames[3999]->Description, " D ");
}

TEST_F(MameList, InformationFileSwitchedOnButMissingFailsTheList)
{
    FrontendSettings.UseMameInfoDat = 1;
    FrontendSettings.MameinfoDat = (freshDirectory("noinfo") / "mameinfo.dat").string();
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadMameList(writeList("info", OldList), 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error opening file: [" + FrontendSettings.MameinfoDat + "]\n");
    FrontendSettings.UseMameInfoDat = 0;
}

struct RealList
{
    const char* File;
    size_t Games;
    int ErrorLine; // 0: no message
};

TEST_F(MameList, RealListsAndDatFiles)
{
    const RealList lists[] = {
        {"listxml/mess0120/mess-0.120-listxml-logiqx-test.xml", 470, 0},
        {"listxml/old-format-assembled-from-mame2003plus-fragments.xml", 5, 0},
        {"listxml/xsr-fragments/Zektor.xml", 0, 31}, // cut off, CRLF
        {"listxml/xsr-fragments/colony7.xml", 1, 0},
        {"listxml/xsr-fragments/digdug.xml", 1, 36},
        {"listxml/xsr-fragments/pacman.xml", 1, 0},    // no final line break
        {"listxml/xsr-fragments/pacmania.xml", 15, 0}, // new format with DTD
        {"listxml/xsr-fragments/rthunder.xml", 11, 0},
        {"logiqx/FinalBurn Neo (ClrMame Pro XML, NES Games only).dat", 2909, 0},
        {"logiqx/FinalBurn Neo (ClrMame Pro XML, Neogeo only).dat", 677, 0},
        {"logiqx/mame2003-updates-XML.dat", 34, 710}, // a raw & in "Joe & Mac Returns"
    };
    for (const RealList& list : lists)
    {
        SCOPED_TRACE(list.File);
        freeCatalogue();
        testMessageBoxes().clear();
        ASSERT_EQ(loadMameList(std::string(TORVANELL_REALDATA) + "/" + list.File, 0), 1);
        EXPECT_EQ(AllGames.size(), list.Games);
        if (list.ErrorLine)
        {
            ASSERT_EQ(boxTexts().size(), 1u);
            std::string start = "Parse error at line " + std::to_string(list.ErrorLine) + ":\n";
            EXPECT_EQ(boxTexts()[0].rfind(start, 0), 0u) << boxTexts()[0];
        }
        else
            EXPECT_TRUE(boxTexts().empty());
    }
    // Every other real file loads without harm.
    for (const char* folder : {"listxml", "logiqx"})
        for (const auto& entry :
             fs::recursive_directory_iterator(fs::path(TORVANELL_REALDATA) / folder))
            if (entry.path().extension() == ".xml" || entry.path().extension() == ".dat")
            {
                freeCatalogue();
                EXPECT_EQ(loadMameList(entry.path().string(), 0), 1) << entry.path();
            }
}

TEST_F(MameList, RealFieldsBiosClonesAndFilters)
{
    std::string dir = TORVANELL_REALDATA "/logiqx/";
    ASSERT_EQ(loadMameList(dir + "mame2003-updates-XML.dat", 0), 1);
    EXPECT_EQ(findGame("arescue")->Description, "Air Rescue");
    ASSERT_EQ(loadMameList(dir + "FinalBurn Neo (ClrMame Pro XML, Neogeo only).dat", 0), 1);
    Game* neogeo = findGame("neogeo");
    ASSERT_NE(neogeo, nullptr);
    EXPECT_EQ(neogeo->NotRunnable, 1); // isbios="yes"
    Game* clone = findGame("19yyo");
    EXPECT_EQ(clone->Parent, findGame("19yy"));
    EXPECT_EQ(clone->Year, 2022);
    EXPECT_EQ(findGame("19yy")->Parent, nullptr);
    ASSERT_EQ(
        loadMameList(TORVANELL_REALDATA "/listxml/mess0120/mess-0.120-listxml-logiqx-test.xml", 0),
        1);

    // The filters: vertical games (rotate 270) and vector games hidden on request.
    Emulator* mame = addMame();
    mame->MameFilter->DisplayMissingRoms = 1;
    auto count = [](auto test)
    {
        size_t n = 0;
        for (Game* game : AllGames) n += test(game);
        return n;
    };
    auto vertical = [](Game* g) { return g->Video && g->Video->Orientation == 1; };
    auto vector = [](Game* g) { return g->Video && g->Video->Screen == "vector"; };
    EXPECT_GE(count(vertical), 2u);
    EXPECT_GE(count(vector), 1u);
    size_t notRunnable = count([](Game* g) { return g->NotRunnable; });
    EXPECT_EQ(notRunnable, 1u);
    rebuildVisibleGames();
    size_t all = VisibleGames.size(), hidden = 0;
    EXPECT_LT(all, AllGames.size()); // the BIOS set at least
    for (Game* game : VisibleGames) hidden += vertical(game) || vector(game);
    EXPECT_GE(hidden, 3u);
    mame->MameFilter->DisplayVertical = 0;
    mame->MameFilter->DisplayVector = 0;
    rebuildVisibleGames();
    EXPECT_EQ(VisibleGames.size(), all - hidden);
}

TEST_F(MameList, CaptureOnceAndTwoMameEmulatorsShareTheList)
{
    fs::path dir = freshDirectory("capture");
    fs::path log = dir / "runs.txt";
    setenv("FAKEMAME_LOG", log.c_str(), 1);
    std::string path = (dir / "mame.lst").string();
    std::string fakemame = (fs::current_path() / "fakemame").string();
    ASSERT_EQ(captureMameList(fakemame + " -listxml", path), 1);
    ASSERT_EQ(loadMameList(path, 0), 1);
    ASSERT_EQ(loadMameList(path, 1), 1); // the second emulator reads the same file
    EXPECT_EQ(AllGames.size(), 10u);
    EXPECT_EQ(readText(log), "run\n");
    for (int emulator = 0; emulator < 2; emulator++) // a clone's parent is of its own emulator
        EXPECT_EQ(findGame("fakepacb", emulator)->Parent, findGame("fakepac", emulator));
    EXPECT_EQ(findGame("fakepac", 1)->Description, "Fake-Man & Friends");
    EXPECT_EQ(findGame("fakevert", 1)->Video->Orientation, 1); // rotate="90"
    EXPECT_EQ(findGame("fakedev", 1)->NotRunnable, 1);

    // With both ROM folders holding fakepac.zip and fakepacb.zip, both emulators show the pair.
    for (int emulator = 0; emulator < 2; emulator++)
    {
        fs::path roms = freshDirectory("roms" + std::to_string(emulator));
        touch(roms / "fakepac.zip");
        touch(roms / "fakepacb.zip");
        addMame(roms.string());
        markAvailableGames(emulator);
    }
    FrontendState.CurrentEmulator = -1;
    sortAllGames();
    rebuildVisibleGames();
    EXPECT_EQ(VisibleGames.size(), 4u);

    testMessageBoxes().clear();
    std::string unwritable = (dir / "no" / "such" / "mame.lst").string();
    EXPECT_EQ(captureMameList(fakemame + " -listxml", unwritable), 0);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Failed to create file [" + unwritable + "]!"});
    EXPECT_EQ(captureMameList((dir / "nothere").string() + " -listxml", path), 0);
    unsetenv("FAKEMAME_LOG");
}
