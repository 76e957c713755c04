// INI access: reading like the profile functions, writing that keeps every other byte, and
// replacement that survives a kill at any moment.
#include "config/ini.h"
#include "support.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

TEST(IniRead, FollowsTheProfileFunctionRules)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "t.ini").string();
    writeText(file, "\xEF\xBB\xBF"
                    "top=outside any section\r\n"
                    "; a comment line\r\n"
                    "[SeTTings]   trailing text ignored\r\n"
                    "  Name  =  Value with blanks  \r\n"
                    "quoted=\"  kept blanks \"\r\n"
                    "single='x'\r\n"
                    "mixed=\"x'\r\n"
                    "inner=\"a\"b\"\r\n"
                    "one=\"\r\n"
                    "comment=0 ; off\r\n"
                    "novalue\r\n"
                    "empty=\r\n"
                    "name=second occurrence\r\n"
                    "[broken=1\r\n"
                    ";commented=5\r\n"
                    "[ Other ]\r\n"
                    "k=from other\r\n"
                    "[settings]\r\n"
                    "late=second section is never searched\r\n");
    EXPECT_EQ(iniReadString("settings", "NAME", "d", file), "Value with blanks");
    EXPECT_EQ(iniReadString("Settings", "quoted", "d", file), "  kept blanks ");
    EXPECT_EQ(iniReadString("Settings", "single", "d", file), "x");
    EXPECT_EQ(iniReadString("Settings", "mixed", "d", file), "\"x'");
    EXPECT_EQ(iniReadString("Settings", "inner", "d", file), "a\"b");
    EXPECT_EQ(iniReadString("Settings", "one", "d", file), "\"");
    EXPECT_EQ(iniReadString("Settings", "comment", "d", file), "0 ; off");
    EXPECT_EQ(iniReadString("Settings", "novalue", "d", file), "d");
    EXPECT_EQ(iniReadString("Settings", "empty", "d", file), "");
    EXPECT_EQ(iniReadString("Settings", "[broken", "d", file), "1");
    EXPECT_EQ(iniReadString("Settings", "commented", "d", file), "d");
    EXPECT_EQ(iniReadString("Settings", "late", "d", file), "d");
    EXPECT_EQ(iniReadString("Settings", "top", "d", file), "d");
    EXPECT_EQ(iniReadString("other", "K", "d", file), "from other");
    EXPECT_EQ(iniReadString("Missing", "k", "dflt", file), "dflt");
    EXPECT_EQ(iniReadString("Missing", "k", "dflt \t ", file), "dflt");
    EXPECT_EQ(iniReadString("Missing", "k", "  ", file), "");
    EXPECT_EQ(iniReadString("Settings", "k", "dflt", (dir / "none.ini").string()), "dflt");

    EXPECT_EQ(iniReadOptionalString("Settings", "empty", file), std::nullopt);
    EXPECT_EQ(iniReadOptionalString("Settings", "absent", file), std::nullopt);
    EXPECT_EQ(iniReadOptionalString("Settings", "single", file), "x");
    EXPECT_EQ(iniReadBool("Settings", "empty", 0, file), 1);
    EXPECT_EQ(iniReadInt("Settings", "empty", "7", file), 0);
    EXPECT_EQ(iniReadColor("Settings", "empty", "0xFF", file), 0u);
    EXPECT_EQ(iniReadNumber("Settings", "empty", 42, file), 42);
    EXPECT_EQ(iniReadNumber("Settings", "absent", 42, file), 42);
}

TEST(IniRead, LineEndsOfEveryKindAndLongValues)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "t.ini").string();
    std::string longValue(2000, 'v');
    longValue[1022] = 'L';
    writeText(file, "[a]\rx=1\ry=2\n[b]\r\nz=3\nlong=" + longValue + "\nlast=no line end");
    EXPECT_EQ(iniReadString("a", "x", "", file), "1");
    EXPECT_EQ(iniReadString("a", "y", "", file), "2");
    EXPECT_EQ(iniReadString("b", "z", "", file), "3");
    EXPECT_EQ(iniReadString("b", "last", "", file), "no line end");
    std::string cut = iniReadString("b", "long", "", file);
    EXPECT_EQ(cut.size(), 1023u);
    EXPECT_EQ(cut.back(), 'L');
    EXPECT_EQ(iniReadString("b", "missing", longValue.c_str(), file).size(), 1023u);
}

TEST(IniRead, NumbersColoursAndFlags)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "t.ini").string();
    writeText(file, "[n]\nred=0x0000FF\nff=FF\nzz=zz\nneg=-0x10\nhuge=0x1FFFFFFFF\n"
                    "zero=0\nzeros=00\nno=no\nmixed=12abc\nsigned=-35x\nplus=+8\n"
                    "big=99999999999\n");
    EXPECT_EQ(iniReadColor("n", "red", "0", file), 255u);
    EXPECT_EQ(iniReadColor("n", "ff", "0", file), 255u);
    EXPECT_EQ(iniReadColor("n", "zz", "0x1", file), 0u);
    EXPECT_EQ(iniReadColor("n", "missing", "0xFFFFFF", file), 16777215u);
    EXPECT_EQ((int32_t)iniReadColor("n", "neg", "0", file), -16);
    EXPECT_EQ(iniReadColor("n", "huge", "0", file), 0x7FFFFFFFu);

    EXPECT_EQ(iniReadBool("n", "missing", 1, file), 1);
    EXPECT_EQ(iniReadBool("n", "missing", 0, file), 0);
    EXPECT_EQ(iniReadBool("n", "zero", 1, file), 0);
    EXPECT_EQ(iniReadBool("n", "zeros", 0, file), 1);
    EXPECT_EQ(iniReadBool("n", "no", 0, file), 1);

    EXPECT_EQ(iniReadInt("n", "mixed", "0", file), 12);
    EXPECT_EQ(iniReadInt("n", "missing", "6", file), 6);
    EXPECT_EQ(iniReadInt("n", "zz", "6", file), 0);
    EXPECT_EQ(iniReadInt("n", "big", "0", file), INT32_MAX);
    EXPECT_EQ(iniReadNumber("n", "signed", 1, file), -35);
    EXPECT_EQ(iniReadNumber("n", "plus", 1, file), 8);
    EXPECT_EQ(iniReadNumber("n", "zz", 1, file), 0);
    EXPECT_EQ(iniReadNumber("n", "mixed", 1, file), 12);
}

TEST(IniWrite, KeepsEveryOtherByteAndTheLineEndStyle)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "t.ini").string();
    std::string original = "; my cabinet\r\n"
                           "[Settings]\r\n"
                           "  SendKeys = 1 ; typed\r\n"
                           "weird line\r\n"
                           "Skin=Old\r\n"
                           "skin=duplicate\r\n"
                           "\r\n"
                           "; about the next section\r\n"
                           "[System]\r\n"
                           "SelectedGame=pacman";
    writeText(file, original);
    ASSERT_EQ(iniWriteString("settings", "SKIN", "New", file), 1);
    iniWriteInt("Settings", "SendKeys", -5, file);
    ASSERT_EQ(iniWriteString("Settings", "MenuType", "ListView", file), 1);
    ASSERT_EQ(iniWriteString("System", "Added", "x", file), 1);
    ASSERT_EQ(iniWriteString("Fresh", "Key", "v", file), 1);
    EXPECT_EQ(readText(file), "; my cabinet\r\n"
                              "[Settings]\r\n"
                              "  SendKeys = -5\r\n"
                              "weird line\r\n"
                              "Skin=New\r\n"
                              "skin=duplicate\r\n"
                              "MenuType=ListView\r\n"
                              "\r\n"
                              "; about the next section\r\n"
                              "[System]\r\n"
                              "SelectedGame=pacman\r\n"
                              "Added=x\r\n"
                              "\r\n"
                              "[Fresh]\r\n"
                              "Key=v\r\n");
    EXPECT_EQ(iniReadInt("Settings", "SendKeys", "0", file), -5);
    EXPECT_EQ(iniReadString("Settings", "skin", "", file), "New");
}

TEST(IniWrite, CreatesFilesAndKeepsValuesThatNeedQuotes)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "new.ini").string();
    ASSERT_EQ(iniWriteString("A", "k", "plain", file), 1);
    EXPECT_EQ(readText(file), "[A]\nk=plain\n");
    for (std::string value : {"  padded  ", "\"quoted\"", "'single'", "", "a=b ; c"})
    {
        ASSERT_EQ(iniWriteString("A", "v", value, file), 1);
        EXPECT_EQ(iniReadString("A", "v", "missing", file), value);
    }
    // A value with a line break would turn into keys of its own; the file is left alone.
    std::string before = readText(file);
    EXPECT_EQ(iniWriteString("A", "v", "one\nInjected=1", file), 0);
    EXPECT_EQ(iniWriteString("A]x", "v", "1", file), 0);
    EXPECT_EQ(iniWriteString("A", "k=", "1", file), 0);
    EXPECT_EQ(readText(file), before);

    // A BOM-only file and one without a final line end.
    writeText(file, "\xEF\xBB\xBF");
    ASSERT_EQ(iniWriteString("S", "k", "1", file), 1);
    EXPECT_EQ(readText(file), "\xEF\xBB\xBF[S]\nk=1\n");
    writeText(file, "[S]\nk=1");
    ASSERT_EQ(iniWriteString("S", "j", "2", file), 1);
    EXPECT_EQ(readText(file), "[S]\nk=1\nj=2");
}

TEST(IniWrite, NamesWithBlanksAndOddKeysReadBackOrAreRefused)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "n.ini").string();
    // " NES" is how "Emulators=Hand, NES" names the emulator of [NES].
    writeText(file, "[NES]\nRomPath=/roms\n");
    EXPECT_EQ(iniReadString(" NES", "\tRomPath ", "d", file), "/roms");
    ASSERT_EQ(iniWriteString("NES ", " Ext", "nes", file), 1);
    ASSERT_EQ(iniWriteString(" NES", "Ext", "nes2", file), 1);
    EXPECT_EQ(readText(file), "[NES]\nRomPath=/roms\nExt=nes2\n");

    // A key that would read back as a section header, an empty key, and a value that would
    // read back cut are refused and leave the file alone.
    for (const char* key : {"[x]", " [x", "  "})
        EXPECT_EQ(iniWriteString("NES", key, "1", file), 0) << key;
    EXPECT_EQ(iniWriteString("NES", "Long", std::string(1024, 'v'), file), 0);
    EXPECT_EQ(readText(file), "[NES]\nRomPath=/roms\nExt=nes2\n");
    ASSERT_EQ(iniWriteString("NES", "Long", std::string(1023, 'v'), file), 1);

    for (const char* breaks : {"\n", "\n\n\n", "\r\n\r\n", "\r"})
    {
        writeText(file, breaks);
        ASSERT_EQ(iniWriteString("S", "k", "1", file), 1);
        EXPECT_EQ(iniReadString("S", "k", "d", file), "1");
    }
}

// Any write that answers 1 must read back what it wrote; any refused one must change nothing.
TEST(IniWrite, EveryAcceptedWriteReadsBack)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "f.ini").string();
    std::mt19937 random(91);
    const std::string alphabet = "ab[]= \t\"';#\r\n\v";
    auto generate = [&](size_t maxLength)
    {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        return text;
    };
    writeText(file, generate(200));
    for (int i = 0; i < 3000; i++)
    {
        std::string section = generate(4), key = generate(4), value = generate(6);
        std::string before = readText(file);
        if (iniWriteString(section.c_str(), key.c_str(), value, file))
            ASSERT_EQ(iniReadString(section.c_str(), key.c_str(), "\x01", file), value)
                << "[" << section << "] " << key << " in:\n"
                << before;
        else
            ASSERT_EQ(readText(file), before) << "[" << section << "] " << key;
    }
}

TEST(IniWrite, AFileThatCannotBeReadOrWrittenIsLeftUntouched)
{
    fs::path dir = freshDirectory();
    fs::create_directory(dir / "dir.ini");
    std::string asDirectory = (dir / "dir.ini").string();
    EXPECT_EQ(iniReadString("S", "k", "d", asDirectory), "d");
    EXPECT_EQ(iniWriteString("S", "k", "1", asDirectory), 0);
    EXPECT_TRUE(fs::is_directory(asDirectory));
    EXPECT_EQ(iniReadString("S", "k", "d", "/proc/self/mem"), "d");

    // A directory that cannot take the temporary file: nothing changes.
    fs::create_directory(dir / "locked");
    std::string locked = (dir / "locked" / "t.ini").string();
    writeText(locked, "[S]\nk=old\n");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    if (geteuid() != 0)
    {
        EXPECT_EQ(iniWriteString("S", "k", "new", locked), 0);
        EXPECT_EQ(readText(locked), "[S]\nk=old\n");
        fs::permissions(locked, fs::perms::none);
        EXPECT_EQ(iniWriteString("S", "k", "new", locked), 0);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(readText(locked), "[S]\nk=old\n");
    }
    fs::permissions(dir / "locked", fs::perms::owner_all);
}

TEST(IniBadInput, GarbageHugeFilesAndLongLines)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "g.ini").string();
    std::mt19937 random(7);
    std::string garbage(1 << 16, '\0');
    for (char& c : garbage) c = (char)(random() & 0xFF);
    writeText(file, garbage + "\n[S]\nk=after garbage\n");
    EXPECT_EQ(iniReadString("S", "k", "d", file), "after garbage");
    ASSERT_EQ(iniWriteString("S", "k", "new", file), 1);
    EXPECT_EQ(readText(file), garbage + "\n[S]\nk=new\n");

    std::string longLine(100000, 'x');
    writeText(file, "[S]\n" + longLine + "\nk=" + longLine + "\n" + longLine + "=1\nj=2\n");
    EXPECT_EQ(iniReadString("S", "k", "d", file).size(), 1023u);
    EXPECT_EQ(iniReadInt("S", "j", "0", file), 2);
    EXPECT_EQ(iniReadInt("S", longLine.c_str(), "0", file), 1);

    // 50 MB of keys before the section that matters.
    std::string big;
    big.reserve(50u << 20);
    big += "[Filler]\n";
    while (big.size() < (50u << 20)) big += "SomeKey=Some value that fills the file\n";
    writeText(file, big + "[S]\nk=found\n");
    EXPECT_EQ(iniReadString("S", "k", "d", file), "found");
    ASSERT_EQ(iniWriteString("S", "k", "changed", file), 1);
    EXPECT_EQ(fs::file_size(file), big.size() + 14);
    EXPECT_EQ(iniReadString("S", "k", "d", file), "changed");
}

// The file the killed writer works on: 4 sections of 50 keys, each key holding values[i].
static std::string fileWithValues(const std::vector<int>& values)
{
    std::string text = "; kept comment\n";
    for (int section = 0; section < 4; section++)
    {
        text += "[S" + std::to_string(section) + "]\n";
        for (int key = 0; key < 50; key++)
            text +=
                "K" + std::to_string(key) + "=" + std::to_string(values[section * 50 + key]) + "\n";
        text += "\n";
    }
    return text;
}

[[noreturn]] static void writeGenerationsForever(const std::string& file, int first)
{
    for (int generation = first + 1;; generation++)
        for (int section = 0; section < 4; section++)
            for (int key = 0; key < 50; key++)
                iniWriteInt(("S" + std::to_string(section)).c_str(),
                            ("K" + std::to_string(key)).c_str(), generation, file);
}

static std::vector<int> valuesIn(const std::string& text)
{
    std::vector<int> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty() && line[0] == 'K')
            values.push_back(std::stoi(line.substr(line.find('=') + 1)));
    return values;
}

TEST(IniWrite, AKillDuringASaveLeavesTheOldOrTheNewFile)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "k.ini").string();
    std::mt19937 random(11);
    for (int round = 0; round < 60; round++)
    {
        writeText(file, fileWithValues(std::vector<int>(200, 0)));
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeGenerationsForever(file, 0);
        usleep(200 + random() % 40000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        // The keys are written in file order, one replacement each: a whole file shows some
        // generation g+1 on a prefix of the keys and g on the rest, and nothing else.
        std::string text = readText(file);
        std::vector<int> values = valuesIn(text);
        ASSERT_EQ(values.size(), 200u) << text;
        int newer = values[0], older = values[199];
        ASSERT_TRUE(newer == older || newer == older + 1) << text;
        size_t prefix = 0;
        while (prefix < 200 && values[prefix] == newer) prefix++;
        for (size_t i = prefix; i < 200; i++) ASSERT_EQ(values[i], older) << text;
        EXPECT_EQ(text, fileWithValues(values));

        int leftovers = 0;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path() != file) leftovers++, fs::remove(entry.path());
        EXPECT_LE(leftovers, 1); // at most the temporary file of the interrupted save
    }
}

TEST(IniWrite, HeldWritesReplaceTheFileOnceAtTheFlush)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "h.ini").string();
    writeText(file, "; keep\r\n[A]\r\nx=1\r\n");
    iniHoldWrites(file);
    ASSERT_EQ(iniWriteString("A", "x", "2", file), 1);
    iniWriteInt("B", "y", 3, file);
    EXPECT_EQ(readText(file), "; keep\r\n[A]\r\nx=1\r\n"); // nothing written yet
    EXPECT_EQ(iniReadInt("A", "x", "0", file), 2);         // but reads see the held text
    EXPECT_EQ(iniReadString("A", "x", "", (dir / "other.ini").string()), "");
    ASSERT_EQ(iniFlushWrites(), 1);
    EXPECT_EQ(readText(file), "; keep\r\n[A]\r\nx=2\r\n\r\n[B]\r\ny=3\r\n");
    EXPECT_EQ(iniFlushWrites(), 1); // nothing held any more
    iniWriteInt("A", "x", 4, file);
    EXPECT_EQ(iniReadInt("A", "x", "0", file), 4);

    // Holding a file that cannot be read refuses every write and changes nothing.
    fs::create_directory(dir / "d.ini");
    iniHoldWrites((dir / "d.ini").string());
    EXPECT_EQ(iniWriteString("A", "x", "1", (dir / "d.ini").string()), 0);
    EXPECT_EQ(iniFlushWrites(), 0);
    EXPECT_TRUE(fs::is_directory(dir / "d.ini"));

    // A held save that stores what the file already says leaves the file alone.
    auto stamp = fs::last_write_time(file);
    iniHoldWrites(file);
    iniWriteInt("A", "x", 4, file);
    ASSERT_EQ(iniFlushWrites(), 1);
    EXPECT_EQ(fs::last_write_time(file), stamp);
}
