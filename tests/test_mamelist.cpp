// The MAME game list: capturing it, reading the three generations of -listxml and DAT files,
// and cut-off, broken and long-lined lists.
#include "catalogue/mamelist.h"
#include "support.h"

static std::string writeList(const std::string& name, const std::string& text)
{
    fs::path path = freshDirectory(name) / "mame.lst";
    writeText(path, text);
    return path.string();
}

// A game's fields on one line: description, year, maker, parent, runnable, screen, input.
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
    }
    static void TearDownTestSuite()
    {
        platformStop(); // the fonts and windows the layer holds
    }
};

TEST_F(MameList, OldAndNewFormats)
{
    // Entities, two-line start tags, the last video element winning, decimal-only sizes, and
    // no line break after the last line.
    ASSERT_EQ(loadMameList(writeList("old", R"(<?xml version="1.0"?>
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
</mame>)"),
                           0),
              1);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_EQ(AllGames.size(), 4u);
    EXPECT_EQ(fieldsOf("bios"), "BIOS|0||-|bios");
    EXPECT_EQ(fieldsOf("puckman"),
              "Adam & Eve <unknown>|199|Namco & Co|-|runs|vector 2 640|2 1 3 1");
    EXPECT_EQ(fieldsOf("pacman"), "Pac-Man|0||puckman|runs|raster 0 4464|1 0 0 8");
    EXPECT_EQ(fieldsOf("orphan"), "Orphan|0||-|runs");
    EXPECT_EQ(findGame("pacman")->RomOf, "puckman");
    const std::vector<RomEntry>& roms = findGame("puckman")->Roms;
    ASSERT_EQ(roms.size(), 2u);
    EXPECT_EQ(roms[0].Name, "pm1.6e");
    EXPECT_EQ(roms[0].Size, 4096);
    EXPECT_EQ(roms[0].Crc, 4294967295u);
    EXPECT_EQ(roms[1].Size, 0); // "0x10" stops at the x
    EXPECT_EQ(roms[1].Crc, 31u);
    EXPECT_NE(NameIndex, nullptr);

    // The new format: the last display wins, the largest of the controls' buttons unless the
    // input element names its own, and joy2way and doublejoy4way are not among the named.
    freeCatalogue();
    ASSERT_EQ(loadMameList(writeList("new", R"(<?xml version="1.0"?>
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
)"),
                           0),
              1);
    ASSERT_EQ(AllGames.size(), 6u);
    EXPECT_EQ(fieldsOf("neogeo"), "Neo-Geo|0||-|bios");
    EXPECT_EQ(fieldsOf("z80"), "Zilog Z80|0||-|bios");
    EXPECT_EQ(fieldsOf("mslug"), "Metal Slug|0||-|runs|raster 1 304|2 4 2 1");
    EXPECT_EQ(fieldsOf("tempest"), "Tempest|0||-|runs|vector 2 0|2 2 0 1");
    EXPECT_EQ(fieldsOf("quiz"), "Quiz|0||-|runs|1 0 0 8");
    EXPECT_EQ(fieldsOf("robotron"), "Robotron|0||-|runs|1 0 0 1");
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

    // A broken tag in the middle reports the file's own line, empty lines and an emulator's
    // warnings before the list counted; the warnings are passed over and told once.
    freeCatalogue();
    testMessageBoxes().clear();
    list = "warning: no ini\n<mame>\n<game name=\"d\"></game>\n\n\n<game name=\"e\" <>\n"
           "<game name=\"f\"/>\n";
    std::string path = writeList("broken", list), said;
    said = stderrOf([&] { ASSERT_EQ(loadMameList(path, 0), 1); });
    EXPECT_EQ(AllGames.size(), 1u);
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(boxTexts()[0].rfind("Parse error at line 6:\n", 0), 0u);
    EXPECT_TRUE(said.ends_with("\n" + path + ": skipped 1 line(s) of text before the list\n"))
        << said;

    std::string missing = (freshDirectory("missing") / "mame.lst").string();
    EXPECT_EQ(stdoutOf([&] { EXPECT_EQ(loadMameList(missing, 0), 0); }),
              "Error opening file: [" + missing + "]\n");
    std::string directory = freshDirectory("directory").string(); // opens, cannot be read
    EXPECT_EQ(stderrOf([&] { EXPECT_EQ(loadMameList(directory, 0), 0); }), "Read error\n");
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
    ASSERT_EQ(loadMameList(writeList("oneline", list + "</mame>  "), 0), 1);
    EXPECT_TRUE(boxTexts().empty());
    ASSERT_EQ(AllGames.size(), 4000u);
    EXPECT_EQ(AllGames[3999]->CloneOf, "p");
    EXPECT_EQ(AllGames[3999]->Description, " D ");
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
        {"listxml/xsr-fragments/Zektor.xml", 0, 31}, // cut off, CRLF
        {"listxml/xsr-fragments/colony7.xml", 1, 0},
        {"listxml/xsr-fragments/digdug.xml", 1, 36},
        {"listxml/xsr-fragments/pacman.xml", 1, 0},    // no final line break
        {"listxml/xsr-fragments/pacmania.xml", 15, 0}, // new format with DTD
        {"listxml/xsr-fragments/rthunder.xml", 11, 0},
        {"logiqx/FinalBurn Neo (ClrMame Pro XML, NES Games only).dat", 2909, 0},
        {"logiqx/mame2003-updates-XML.dat", 34, 710}, // a raw & in "Joe & Mac Returns"
        {"logiqx/FinalBurn Neo (ClrMame Pro XML, Neogeo only).dat", 677, 0},
    };
    for (const auto& list : lists)
    {
        SCOPED_TRACE(list.File);
        freeCatalogue();
        testMessageBoxes().clear();
        ASSERT_EQ(loadMameList(std::string(TORVANELL_REALDATA) + "/" + list.File, 0), 1);
        EXPECT_EQ(AllGames.size(), list.Games);
        std::string start = "Parse error at line " + std::to_string(list.ErrorLine) + ":\n";
        std::vector<std::string> texts = boxTexts();
        EXPECT_EQ(texts.size(), list.ErrorLine ? 1u : 0u);
        EXPECT_TRUE(texts.empty() || texts[0].starts_with(start)) << texts[0];
    }
    // The last list: a BIOS set and a clone with its parent.
    EXPECT_EQ(findGame("neogeo")->NotRunnable, 1);
    EXPECT_EQ(findGame("19yyo")->Parent, findGame("19yy"));
    EXPECT_EQ(findGame("19yyo")->Year, 2022);

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
    EXPECT_EQ(fieldsOf("fakevert", 1), "Vertical Fake|0||-|runs|raster 1 0"); // rotate="90"
    EXPECT_EQ(fieldsOf("fakedev", 1), "Fake Device|0||-|bios");

    std::string unwritable = (dir / "no" / "such" / "mame.lst").string();
    EXPECT_EQ(captureMameList(fakemame + " -listxml", unwritable), 0);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Failed to create file [" + unwritable + "]!"});
    EXPECT_EQ(captureMameList((dir / "nothere").string() + " -listxml", path), 0);
    unsetenv("FAKEMAME_LOG");
}
