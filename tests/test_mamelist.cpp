// The MAME game list: the old and new -listxml formats, DAT files, capture and reading errors.
#include "catalogue/mamelist.h"
#include "support.h"

static std::string writeList(const std::string& name, const std::string& text)
{
    fs::path path = freshDirectory(name) / "mame.lst";
    writeText(path, text);
    return path.string();
}

// Description, year, maker, parent, runnable, then screen and input when known.
static std::string fieldsOf(const std::string& name, int emulator = 0)
{
    const Game* g = findGame(name, emulator);
    if (!g) return "missing";
    std::ostringstream out;
    out << g->Description << "|" << g->Year << "|" << g->Manufacturer << "|"
        << (g->Parent ? g->Parent->Name : "-") << "|" << (g->NotRunnable ? "bios" : "runs");
    if (g->Video)
        out << "|" << g->Video->Screen << " " << g->Video->Orientation << " " << g->Video->Width;
    if (g->Input)
        out << "|" << g->Input->Players << " " << g->Input->Buttons << " " << g->Input->Coins << " "
            << g->Input->Control;
    return out.str();
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
        platformStop();
    }
};

TEST_F(MameList, OldAndNewFormats)
{
    // The last video or display wins; sizes are decimal only; the largest of the controls'
    // buttons counts unless the input names its own; joy2way and doublejoy4way are not named.
    ASSERT_EQ(loadMameList(writeList("both", R"(<mame build="0.106">
	<game name="bios" runnable="no"><description>BIOS</description></game>
	<game name="puckman"><description>Adam &amp; Eve</description><year>199?</year>
		<manufacturer>Namco</manufacturer><rom name="pm1" size="4096" crc="ffffffff"/>
		<rom name="pm2" size="0x10" crc="0x0000001F"/>
		<video screen="raster" orientation="vertical" width="224" height="288"/>
		<video screen="vector" orientation="horizontal" width="640" height="480"/>
		<input players="2" buttons="1" coins="3" control="joy4way"/></game>
	<game name="pacman" cloneof="puckman"
	      romof="puckman"><description>Pac-Man</description><year>????</year>
		<video screen="raster" width="70000"/><input players="1" control="lightgun"/></game>
<machine name="z80" isdevice="yes"><description>Z80</description></machine>
<machine name="mslug" romof="neogeo"><description>Metal Slug</description>
<display type="raster" rotate="0" width="320"/><display type="raster" rotate="270" width="304"/>
<input players="2" coins="2"><control type="joy" buttons="3" ways="8"/>
<control type="joy" buttons="4" ways="8"/></input></machine>
<machine name="tempest"><description>Tempest</description><display type="vector" rotate="180"/>
<input players="2" buttons="2"><control type="dial" buttons="5"/></input></machine>
<machine name="quiz"><description>Quiz</description><input players="1">
<control type="joy" ways="2"/><control type="doublejoy" ways="4"/></input></machine>
</mame>)"),
                           0),
              1);
    EXPECT_TRUE(boxTexts().empty());
    const std::pair<const char*, const char*> games[] = {
        {"bios", "BIOS|0||-|bios"},
        {"puckman", "Adam & Eve|199|Namco|-|runs|vector 2 640|2 1 3 1"},
        {"pacman", "Pac-Man|0||puckman|runs|raster 0 4464|1 0 0 8"},
        {"z80", "Z80|0||-|bios"},
        {"mslug", "Metal Slug|0||-|runs|raster 1 304|2 4 2 1"},
        {"tempest", "Tempest|0||-|runs|vector 2 0|2 2 0 1"},
        {"quiz", "Quiz|0||-|runs|1 0 0 8"},
    };
    for (auto [name, fields] : games) EXPECT_EQ(fieldsOf(name), fields);
    const std::vector<RomEntry>& roms = findGame("puckman")->Roms;
    ASSERT_EQ(roms.size(), 2u);
    EXPECT_EQ(std::tie(roms[0].Size, roms[0].Crc, roms[1].Size, roms[1].Crc),
              std::make_tuple(4096, 4294967295u, 0, 31u));
}

TEST_F(MameList, ReadingErrorsAndLinesLongerThanAReadBlock)
{
    std::string cut =
        "\n\n<mame>\n<game name=\"a\"><description>A</description></game>\n"
        "<game name=\"b\"><description>B</description></game>\n<game name=\"c\"><desc";
    ASSERT_EQ(loadMameList(writeList("cut", cut), 0), 1);
    EXPECT_EQ(AllGames.size(), 2u);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Parse error at line 6:\nunclosed token\n"});

    // An emulator's warning before the list is passed over and told once.
    freeCatalogue();
    std::string path = writeList("warned", "warning: no ini\n<mame><game name=\"d\"/></mame>\n");
    EXPECT_EQ(stderrOf([&] { ASSERT_EQ(loadMameList(path, 0), 1); }),
              path + ": skipped 1 line(s) of text before the list\n");
    std::string missing = (freshDirectory("missing") / "mame.lst").string();
    EXPECT_EQ(stdoutOf([&] { EXPECT_EQ(loadMameList(missing, 0), 0); }),
              "Error opening file: [" + missing + "]\n");
    std::string folder = freshDirectory("folder").string(); // opens, cannot be read
    EXPECT_EQ(stderrOf([&] { EXPECT_EQ(loadMameList(folder, 0), 0); }), "Read error\n");

    // A rom line split at byte 511 by the reader, and one line with blocks ending in blanks.
    freeCatalogue();
    std::string padding(511 - std::string("<rom name=\"").size(), 'r'), list = "<mame>";
    for (int i = 0; i < 40; i++)
        list += "<game name=\"g" + std::to_string(i) + "\"" + std::string(1000, ' ') +
                "cloneof=\"p\"><description> D </description></game>";
    list += "\n<game name=\"long\">\n<rom name=\"" + padding + "\" size=\"7\"/>\n</game></mame>";
    ASSERT_EQ(loadMameList(writeList("long", list), 0), 1);
    ASSERT_EQ(AllGames.size(), 41u);
    EXPECT_EQ(AllGames[39]->CloneOf, "p");
    EXPECT_EQ(AllGames[39]->Description, " D ");
    ASSERT_EQ(AllGames[40]->Roms.size(), 1u);
    EXPECT_EQ(AllGames[40]->Roms[0].Name, padding);
}

TEST_F(MameList, RealListsAndDatFiles)
{
    struct
    {
        const char* File;
        size_t Games;
        int ErrorLine; // 0: no message
    } lists[] = {
        {"listxml/mess0120/mess-0.120-listxml-logiqx-test.xml", 470, 0},
        {"listxml/old-format-assembled-from-mame2003plus-fragments.xml", 5, 0},
        {"listxml/xsr-fragments/Zektor.xml", 0, 31},   // cut off, CRLF
        {"listxml/xsr-fragments/pacmania.xml", 15, 0}, // new format with DTD
        {"logiqx/mame2003-updates-XML.dat", 34, 710},  // a raw & in "Joe & Mac Returns"
        {"logiqx/FinalBurn Neo (ClrMame Pro XML, Neogeo only).dat", 677, 0},
    };
    for (const auto& list : lists)
    {
        freeCatalogue();
        testMessageBoxes().clear();
        ASSERT_EQ(loadMameList(std::string(TORVANELL_REALDATA) + "/" + list.File, 0), 1);
        EXPECT_EQ(AllGames.size(), list.Games) << list.File;
        std::vector<std::string> texts = boxTexts();
        EXPECT_EQ(texts.size(), list.ErrorLine ? 1u : 0u) << list.File;
        std::string start = "Parse error at line " + std::to_string(list.ErrorLine) + ":\n";
        EXPECT_TRUE(texts.empty() || texts[0].starts_with(start)) << texts[0];
    }
    EXPECT_EQ(findGame("neogeo")->NotRunnable, 1);
    EXPECT_EQ(findGame("19yyo")->Parent, findGame("19yy"));
}

TEST_F(MameList, CapturedOnceAndSharedByTwoMameEmulators)
{
    fs::path dir = freshDirectory("capture"), log = dir / "runs.txt";
    setenv("FAKEMAME_LOG", log.c_str(), 1);
    std::string path = (dir / "mame.lst").string(), fakemame = TestPrograms + "fakemame";
    ASSERT_EQ(captureMameList(fakemame + " -listxml", path), 1);
    ASSERT_EQ(loadMameList(path, 0), 1);
    ASSERT_EQ(loadMameList(path, 1), 1);
    EXPECT_EQ(readText(log), "run\n");
    for (int emulator = 0; emulator < 2; emulator++) // a clone's parent is of its own emulator
        EXPECT_EQ(findGame("fakepacb", emulator)->Parent, findGame("fakepac", emulator));
    EXPECT_EQ(fieldsOf("fakevert", 1), "Vertical Fake|0||-|runs|raster 1 0");

    std::string unwritable = (dir / "no" / "mame.lst").string();
    EXPECT_EQ(captureMameList(fakemame + " -listxml", unwritable), 0);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Failed to create file [" + unwritable + "]!"});
    unsetenv("FAKEMAME_LOG");
}
