// The MAME game list: the old and new -listxml formats, DAT files, capture and reading errors.
#include "catalogue/mamelist.h"
#include "launch/launch.h"
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
    out << g->Description << "|" << g->YearText << "|" << g->Manufacturer << "|"
        << (g->Parent ? g->Parent->Name : "-") << "|" << (g->NotRunnable ? "bios" : "runs");
    if (g->Video) out << "|" << g->Video->Screen << g->Video->Orientation << " " << g->Video->Width;
    if (g->Input)
        out << "|" << g->Input->Players << g->Input->Buttons << g->Input->Coins << g->Input->Control
            << " " << std::hex << g->Input->ControlTypes;
    return out.str();
}

TEST(MameList, OldAndNewFormats)
{
    startTestPlatform();
    // The last video or display wins; sizes are decimal only; the largest of the controls'
    // buttons counts unless the input names its own; joy2way and doublejoy4way are not named.
    // Every control's type is kept (joy4way is a joy); a control without one adds none.
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
<machine name="mslug"><description>Metal Slug</description><display type="raster" width="320"/>
<display type="raster" rotate="270" width="304"/><input players="2" coins="2">
<control type="joy" buttons="3" ways="8"/><control type="joy" buttons="4" ways="8"/></input>
</machine><machine name="tempest"><description>Tempest</description>
<display type="vector" rotate="180"/><input players="2" buttons="2">
<control type="dial" buttons="5"/></input></machine>
<machine name="quiz"><description>Quiz</description><input players="1">
<control type="joy" ways="2"/><control type="doublejoy" ways="4"/><control buttons="1"/>
</input></machine></mame>)"),
                           0),
              1);
    EXPECT_TRUE(boxTexts().empty());
    const std::pair<const char*, const char*> games[] = {
        {"bios", "BIOS|||-|bios"},
        {"puckman", "Adam & Eve|199?|Namco|-|runs|vector2 640|2131 1"},
        {"pacman", "Pac-Man|????||puckman|runs|raster0 4464|1008 20"},
        {"z80", "Z80|||-|bios"},
        {"mslug", "Metal Slug|||-|runs|raster1 304|2421 1"},
        {"tempest", "Tempest|||-|runs|vector2 0|2201 80"},
        {"quiz", "Quiz|||-|runs|1108 3"},
    };
    for (auto [name, fields] : games) EXPECT_EQ(fieldsOf(name), fields);
    resetCatalogue();
    platformStop();
}

TEST(MameList, ReadingErrorsLongLinesDatFilesAndCapture)
{
    startTestPlatform();
    std::string path = writeList("cut", "\n\n<mame>\n<game name=\"a\"/>\n<game name=\"b\"/>\n"
                                        "<game name=\"c\"><desc");
    ASSERT_EQ(loadMameList(path, 0), 1);
    EXPECT_EQ(AllGames.size(), 2u);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Parse error at line 6:\nunclosed token\n"});
    path = (freshDirectory("missing") / "mame.lst").string();
    EXPECT_EQ(stdoutOf([&] { EXPECT_EQ(loadMameList(path, 0), 0); }),
              "Error opening file: [" + path + "]\n");
    path = freshDirectory("folder").string(); // never opened as a file
    EXPECT_EQ(stdoutOf([&] { EXPECT_EQ(loadMameList(path, 0), 0); }),
              "Error opening file: [" + path + "]\n");

    // A line split at byte 511 by a 512-byte reader is joined again exactly.
    freeCatalogue();
    std::string padding(511 - std::string("<description>").size(), 'r');
    ASSERT_EQ(loadMameList(writeList("long", "<mame><game name=\"long\">\n<description>" + padding +
                                                 "</description>\n</game></mame>"),
                           0),
              1);
    EXPECT_EQ(AllGames.at(0)->Description, padding);

    // A capture that cannot be written.
    path = (freshDirectory() / "no" / "mame.lst").string();
    testMessageBoxes().clear();
    EXPECT_EQ(captureMameList(TestPrograms + "fakemame -listxml", path, nullptr), 0);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"Failed to create file [" + path + "]!"});
    resetCatalogue();
    platformStop();
}

TEST(MameList, ARealDatFileForTwoMameEmulators)
{
    SKIP_WITHOUT_REALDATA("logiqx/FinalBurn Neo (ClrMame Pro XML, Neogeo only).dat");
    startTestPlatform();
    // A copy: the list's snapshot is written beside it, and the shared files stay untouched.
    fs::path dat = freshDirectory() / "neogeo.dat";
    fs::copy_file(RealData, dat);
    ASSERT_EQ(loadMameList(dat.string(), 0), 1);
    ASSERT_EQ(loadMameList(dat.string(), 1), 1); // a second MAME emulator
    EXPECT_EQ(AllGames.size(), 2 * 677u);
    EXPECT_EQ(findGame("neogeo", 1)->NotRunnable, 1);
    for (int emulator = 0; emulator < 2; emulator++) // a clone's parent is of its own emulator
        EXPECT_EQ(findGame("19yyo", emulator)->Parent, findGame("19yy", emulator));
    resetCatalogue();
    platformStop();
}
