// The history and command files: their forms, their index beside them, the pages they give
// and what bad files do.
#include "catalogue/commandfile.h"
#include "catalogue/historyfile.h"
#include "core/infopages.h"
#include "support.h"

#include <sys/stat.h>

static const std::vector<std::string> Story = {"Galactic Defender \xC2\xA9 1981 Orbitron.", "",
                                               "Ren\xC3\xA9"
                                               "e said \"each bird\" & left.",
                                               "- TRIVIA -", "Zo\xC3\xAB"};

struct InfoFilesTest : testing::Test
{
    fs::path Dir = freshDirectory();
    void SetUp() override
    {
        FrontendSettings.HistoryFile = (Dir / "history").string();
        FrontendSettings.CommandFile = (Dir / "command.dat").string();
        FrontendSettings.UseMameInfoDat = 0;
        closeInformationFiles();
    }
    void TearDown() override
    {
        closeInformationFiles();
    }
    void history(const std::string& text)
    {
        writeText(FrontendSettings.HistoryFile, text);
    }
};

// Each form names galdef and galdefa; a software entry and an entry of no names come first and
// are read past; names carry blanks and carriage returns.
TEST_F(InfoFilesTest, EveryHistoryFormGivesTheSameStory)
{
    const std::string xml =
        "<?xml version=\"1.0\"?>\n<history version=\"1\">\n"
        "<entry><software><item list=\"nes\" name=\"galdef\"/></software><text>no</text></entry>\n"
        "<entry><text>nameless</text></entry>\n"
        "<entry><systems><system name=\" galdef \"/><system name=\"galdefa\"/></systems><text>\n"
        "Galactic Defender &#169; 1981 Orbitron.\n\nRen\xC3\xA9"
        "e said &quot;each bird&quot; "
        "&amp; left.\n- TRIVIA -\nZo\xC3\xAB\n</text></entry>\n</history>\n";
    std::string lines;
    for (const std::string& line : Story) lines += line + "\r\n";
    const std::string dat = "# comment\n$nes=galdef\n$bio\nno\n$end\n$info=\n$end\n"
                            "$info= galdef, galdefa ,\r\n$bio\r\n\r\n" +
                            lines + "$end\r\n";
    const std::string bracketed = "# comment\n[galdef]\n" + lines + ".\n\n[galdefa]\n" + lines;
    for (const std::string& text : {xml, dat, bracketed})
    {
        history(text);
        closeInformationFiles();
        ASSERT_EQ(openHistoryFile(), 1);
        EXPECT_EQ(readHistoryLines("galdef"), Story) << text;
        EXPECT_EQ(readHistoryLines("galdefa"), Story) << text;
        EXPECT_TRUE(readHistoryLines("nes").empty());
    }
}

// A clone without an entry shows its parent's story and moves; one page only of information
// is the plain window, without a band.
TEST_F(InfoFilesTest, PagesComeInOrderAndAClonesFromItsParent)
{
    history("$info=galdef\n$bio\nThe story.\n$end\n");
    writeText(FrontendSettings.CommandFile, "$info=galdef\n$cmd\n[Controls]\n_A Fire\n$end\n"
                                            "$cmd\n\n$end\n$cmd\n- Moves -\n_2_3_6_+_A\n$end\n");
    openInformationFiles();
    resetCatalogue();
    addMame();
    Game* clone = addGame("galdefb");
    clone->CloneOf = "galdef";
    std::vector<std::string> titles;
    for (const InfoPage& page : informationPages(*clone)) titles.push_back(page.Title);
    EXPECT_EQ(titles, std::vector<std::string>({"History", "[Controls]", "- Moves -"}));
    FrontendSettings.CommandFile.clear();
    // The parent's information shows while a search or a filter hides the parent.
    FrontendSettings.UseMameInfoDat = 1;
    Game* parent = addGame("galdef");
    parent->InfoLines = {"The parent's."};
    VisibleGames = {clone};
    std::vector<InfoPage> fromParent = informationPages(*clone);
    ASSERT_EQ(fromParent.size(), 2u);
    EXPECT_EQ(fromParent[0].Lines, parent->InfoLines);
    clone->InfoLines = {"Information."};
    ASSERT_EQ(informationPages(*clone).size(), 2u);
    history("");
    std::vector<InfoPage> alone = informationPages(*clone);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0].Title, "");
    resetCatalogue();
}

// Glyphs written as "[label]", arrows by their keypad digit.
static std::string spelled(const std::string& text)
{
    std::string out;
    for (size_t at = 0; at < text.size();)
    {
        int length = 0, glyph = glyphAt(text, at, &length);
        if (glyph < 0)
            out += text[at++];
        else
            out += std::string("[") + CommandGlyphs[glyph].Label + "]", at += (size_t)length;
    }
    return out;
}

TEST(CommandFile, CodesBecomeGlyphsAndBlocksBecomePages)
{
    const std::pair<const char*, const char*> cases[] = {
        {"_A_+_B  Dodge", "[A]+[B]  Dodge"},
        {"_t^E", "[2][3][6][LP]"},
        {"_k + ^T", "[6][3][2][1][4] + [3K]"},
        {"@qcf + @L-punch, @up", "[2][3][6] + [LP], [8]"},
        {"mail@upload.org _W ~x ^", "mail@upload.org _W ~x ^"},
        {"_(_) _~ _.", "[solid circle][circle] [CHARGE] \xE2\x80\xA6"},
        {"_j_N_5", "[10][neutral][neutral]"},
    };
    for (const auto& [code, drawn] : cases) EXPECT_EQ(spelled(convertCommandGlyphs(code)), drawn);
    std::vector<CommandBlock> blocks =
        commandBlocksOf({"stray", "$cmd", "  [Controls] ", "", "_A Fire", "", "$end", "between",
                         "$cmd", "", "$end", "$cmd", "[Moves]", "$unknown", "_2 Duck"});
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].Title, "[Controls]");
    EXPECT_EQ(blocks[0].Lines, std::vector<std::string>({convertCommandGlyphs("_A Fire")}));
    EXPECT_EQ(spelled(blocks[1].Lines.at(0)), "[2] Duck");
}

// A machine and the software items of two lists may share a name: each key finds its own
// entry, in memory and read back from the index file.
TEST(FileIndex, EntriesAreKeyedByTheirListAndName)
{
    const std::pair<std::string, std::string> keys[] = {
        {"", "smb"}, {"nes", "smb"}, {"snes", "smb"}, {"nes", "zelda"}, {"", "nes"}};
    std::vector<NamedEntry> entries;
    for (size_t i = 0; i < std::size(keys); i++)
        addNamedEntry(entries, keys[i].first, std::string(keys[i].second), {i * 10, 5});
    FileIndex index{};
    index.Source.Size = 1000; // the entries lie inside the file
    fillFileIndex(index, entries);
    std::string bytes;
    FILE* file = tmpfile();
    ASSERT_TRUE(file && writeIndexFile(file, index));
    bytes.resize((size_t)ftell(file));
    rewind(file);
    ASSERT_EQ(fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    fclose(file);
    FileIndex back{};
    std::string why;
    ASSERT_TRUE(readIndexFile(bytes, back, why)) << why;
    for (const FileIndex* each : {&index, &back})
        for (size_t i = 0; i < std::size(keys); i++)
        {
            IndexedEntry place{};
            ASSERT_TRUE(findIndexedEntry(*each, keys[i].first, keys[i].second, place)) << i;
            EXPECT_EQ(place.Offset, i * 10);
        }
    IndexedEntry none;
    EXPECT_FALSE(findIndexedEntry(index, "snes", "zelda", none));
}

// The index is written beside the file and used while the file is as it was; a changed file or
// a damaged index is read again, and an index that cannot be written is kept in memory, told
// once.
TEST_F(InfoFilesTest, TheIndexFollowsTheFile)
{
    history("$info=a\n$bio\nfirst\n$end\n");
    ASSERT_EQ(openHistoryFile(), 1);
    fs::path index = indexPath(FrontendSettings.HistoryFile);
    ASSERT_TRUE(fs::exists(index));
    history("$info=a\n$bio\nsecond, longer\n$end\n");
    ASSERT_EQ(openHistoryFile(), 1);
    EXPECT_EQ(readHistoryLines("a"), std::vector<std::string>({"second, longer"}));
    std::string bytes = readText(index);
    bytes[bytes.size() - 1] ^= 1;
    writeText(index, bytes);
    closeInformationFiles();
    EXPECT_NE(stderrOf([] { openHistoryFile(); }).find("check sum"), std::string::npos);
    EXPECT_EQ(readHistoryLines("a"), std::vector<std::string>({"second, longer"}));
    fs::remove(index);
    fs::create_directory(index);
    auto reopen = []
    {
        closeInformationFiles();
        EXPECT_EQ(openHistoryFile(), 1);
        EXPECT_EQ(readHistoryLines("a").size(), 1u);
    };
    EXPECT_NE(stderrOf(reopen).find("kept in memory"), std::string::npos);
    EXPECT_EQ(stderrOf(reopen).find("kept in memory"), std::string::npos);
}

// Each bad file is told on standard error and gives what can be read of it; a missing history
// file leaves the command file's pages.
TEST_F(InfoFilesTest, BadFilesAreToldAndGiveWhatCanBeRead)
{
    const std::string big =
        "$info=big\n$bio\n" + std::string(EntryByteLimit + 10, 'x') + "\n$end\n";
    const std::string laughs =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE history [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n"
        "<history><entry><systems><system name=\"a\"/></systems><text>&c;</text></entry></history>";
    const struct
    {
        std::string Text, Told;
        std::vector<std::string> OfA; // the lines of a
    } cases[] = {
        {"", "not a history file", {}},
        {std::string("\x7F"
                     "ELF\0\1\2",
                     7),
         "not a history file",
         {}},
        {"<history><entry><systems><system name=\"a\"/></systems><text>one</text></entry>"
         "<entry><systems><system name=\"b\"/></systems><text>cut",
         "the 1 entries before it are used",
         {"one"}},
        {"<history><entry><systems><system name=\"a\"/></systems><text>one</text></entry>"
         "<entry>\xFF</entry></history>",
         "not well-formed",
         {"one"}},
        {"$info=a\n$bio\none\n$info=b\n$bio\ntwo", "has no $end", {"one"}},
        {"$info=a\n$bio\n$story\nCaf\xE9\n$end\n$info=\n", "$story is not a keyword", {"Caf\xE9"}},
        {laughs, "DOCTYPE is not accepted", {}},
        {"[a]\none", "", {"one"}},
        {"\xEF\xBB\xBF$info=a\r\n$bio\r\none\r\n$end", "", {"one"}},
    };
    for (const auto& [text, told, ofA] : cases)
    {
        history(text);
        closeInformationFiles();
        EXPECT_NE(stderrOf([] { openHistoryFile(); }).find(told), std::string::npos) << told;
        EXPECT_EQ(readHistoryLines("a"), ofA) << told;
    }
    history(big);
    ASSERT_EQ(openHistoryFile(), 1);
    std::vector<std::string> cut = readHistoryLines("big");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].size(), InfoLineLengthLimit);
    EXPECT_EQ(cut[1].rfind("[The rest of this entry", 0), 0u);
    fs::remove(FrontendSettings.HistoryFile);
    writeText(FrontendSettings.CommandFile, "$info=a\n$cmd\n[Controls]\n_A\n$end\n");
    resetCatalogue();
    addMame();
    std::string told = stderrOf([] { EXPECT_EQ(informationPages(*addGame("a")).size(), 1u); });
    EXPECT_NE(told.find("History file cannot be read"), std::string::npos) << told;
    EXPECT_EQ(stderrOf([] { informationPages(*AllGames.at(0)); }), "") << "told twice";
    resetCatalogue();
}

// A FIFO or a device in the history file's place is refused at once; an index beside it that is
// a link is replaced by a file of its own, its target untouched; a line of megabytes is read
// past with the entries after it found where they are.
TEST_F(InfoFilesTest, SpecialFilesLinksAndEndlessLinesNeverHoldTheFrontEnd)
{
    const std::string& path = FrontendSettings.HistoryFile;
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    EXPECT_NE(stderrOf([] { EXPECT_EQ(openHistoryFile(), 0); }).find("not a regular file"),
              std::string::npos);
    fs::remove(path);
    fs::create_symlink("/dev/zero", path);
    EXPECT_NE(stderrOf([] { EXPECT_EQ(openHistoryFile(), 0); }).find("not a regular file"),
              std::string::npos);
    fs::remove(path);

    const std::string endless = std::string(3 * EntryByteLimit, 'x');
    history("$info=a\n$bio\n" + endless + "\n$end\n$info=b\n$bio\nafter\n$end\n");
    fs::path index = indexPath(path);
    writeText(Dir / "profile", "the owner's own");
    for (const char* target : {"/dev/zero", "profile"})
    {
        fs::remove(index);
        fs::create_symlink(target, index);
        closeInformationFiles();
        ASSERT_EQ(openHistoryFile(), 1) << target;
        EXPECT_FALSE(fs::is_symlink(index)) << target;
        EXPECT_EQ(readHistoryLines("b"), std::vector<std::string>{"after"}) << target;
        std::vector<std::string> cut = readHistoryLines("a");
        ASSERT_EQ(cut.size(), 2u);
        EXPECT_EQ(cut[0].size(), InfoLineLengthLimit);
    }
    EXPECT_EQ(readText(Dir / "profile"), "the owner's own");
}

TEST_F(InfoFilesTest, TheOldestRealHistoryFileIsRead)
{
    SKIP_WITHOUT_REALDATA("infodat/history-mame035b8-1999.dat");
    FrontendSettings.HistoryFile = (Dir / "history.dat").string();
    fs::copy_file(RealData, FrontendSettings.HistoryFile); // the index is not written there
    ASSERT_EQ(openHistoryFile(), 1);
    EXPECT_GT(HistoryIndex.Records.size(), 50u);
    std::vector<std::string> asteroids = readHistoryLines("asteroid");
    ASSERT_GE(asteroids.size(), 2u);
    EXPECT_EQ(asteroids[0], "Designed by Lyle Rains");
    EXPECT_EQ(asteroids.back(), "(Peter Hirschberg)");
}
