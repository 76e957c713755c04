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
    std::string file = (dir / "t.ini").string(), longValue(2000, 'v');
    longValue[1022] = 'L';
    writeText(file, "\xEF\xBB\xBF"
                    "top=outside any section\r\n; a comment line\r\n"
                    "[SeTTings]   trailing text ignored\r\n  Name  =  Value with blanks  \r\n"
                    "quoted=\"  kept blanks \"\r\nsingle='x'\r\nmixed=\"x'\r\ninner=\"a\"b\"\r\n"
                    "one=\"\r\ncomment=0 ; off\r\nnovalue\r\nempty=\r\nname=second occurrence\r\n"
                    "[broken=1\r\n;commented=5\r\n[ Other ]\r\nk=from other\r\n"
                    "[settings]\r\nlate=second section is never searched\r\n"
                    "[a]\rx=1\ry=2\n[b]\nlong=" +
                        longValue + "\nlast=no line end");
    struct
    {
        const char *Section, *Key, *Default, *Expected;
    } cases[] = {
        {"settings", "NAME", "d", "Value with blanks"},
        {"Settings", "quoted", "d", "  kept blanks "},
        {"Settings", "single", "d", "x"},
        {"Settings", "mixed", "d", "\"x'"},
        {"Settings", "inner", "d", "a\"b"},
        {"Settings", "one", "d", "\""},
        {"Settings", "comment", "d", "0 ; off"},
        {"Settings", "novalue", "d", "d"},
        {"Settings", "empty", "d", ""},
        {"Settings", "[broken", "d", "1"},
        {"Settings", "commented", "d", "d"},
        {"Settings", "late", "d", "d"},
        {"Settings", "top", "d", "d"},
        {" other", "K\t", "d", "from other"},
        {"Missing", "k", "dflt", "dflt"},
        {"Missing", "k", "dflt \t ", "dflt"},
        {"Missing", "k", "  ", ""},
        {"a", "y", "", "2"},
        {"b", "last", "", "no line end"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(iniReadString(c.Section, c.Key, c.Default, file), c.Expected) << c.Key;
    EXPECT_EQ(iniReadString("Settings", "k", "dflt", (dir / "none.ini").string()), "dflt");
    std::string cut = iniReadString("b", "long", "", file);
    EXPECT_EQ(cut.size(), 1023u);
    EXPECT_EQ(cut.back(), 'L');
    EXPECT_EQ(iniReadString("b", "missing", longValue.c_str(), file).size(), 1023u);

    EXPECT_EQ(iniReadOptionalString("Settings", "empty", file), std::nullopt);
    EXPECT_EQ(iniReadOptionalString("Settings", "absent", file), std::nullopt);
    EXPECT_EQ(iniReadOptionalString("Settings", "single", file), "x");
    EXPECT_EQ(iniReadBool("Settings", "empty", 0, file), 1);
    EXPECT_EQ(iniReadInt("Settings", "empty", "7", file), 0);
    EXPECT_EQ(iniReadColor("Settings", "empty", "0xFF", file), 0u);
    EXPECT_EQ(iniReadNumber("Settings", "empty", 42, file), 42);
}

TEST(IniRead, NumbersColoursAndFlags)
{
    std::string file = (freshDirectory() / "t.ini").string();
    writeText(file, "[n]\nred=0x0000FF\nff=FF\nzz=zz\nneg=-0x10\nhuge=0x1FFFFFFFF\n"
                    "zero=0\nzeros=00\nno=no\nmixed=12abc\nsigned=-35x\nplus=+8\n"
                    "big=99999999999\n");
    struct
    {
        char Kind; // Colour, Bool, Int, Number
        const char *Key, *Default;
        int64_t Expected;
    } cases[] = {
        {'C', "red", "0", 255},       {'C', "ff", "0", 255},
        {'C', "zz", "0x1", 0},        {'C', "missing", "0xFFFFFF", 16777215},
        {'C', "neg", "0", -16},       {'C', "huge", "0", 0x7FFFFFFF},
        {'B', "missing", "1", 1},     {'B', "missing", "0", 0},
        {'B', "zero", "1", 0},        {'B', "zeros", "0", 1},
        {'B', "no", "0", 1},          {'I', "mixed", "0", 12},
        {'I', "missing", "6", 6},     {'I', "zz", "6", 0},
        {'I', "big", "0", INT32_MAX}, {'N', "signed", "1", -35},
        {'N', "plus", "1", 8},        {'N', "zz", "1", 0},
        {'N', "missing", "42", 42},
    };
    for (const auto& c : cases)
    {
        int64_t read = c.Kind == 'C'   ? (int32_t)iniReadColor("n", c.Key, c.Default, file)
                       : c.Kind == 'B' ? iniReadBool("n", c.Key, std::atoi(c.Default), file)
                       : c.Kind == 'I' ? iniReadInt("n", c.Key, c.Default, file)
                                       : iniReadNumber("n", c.Key, std::atoi(c.Default), file);
        EXPECT_EQ(read, c.Expected) << c.Kind << " " << c.Key;
    }
}

TEST(IniWrite, KeepsEveryOtherByteAndTheLineEndStyle)
{
    std::string file = (freshDirectory() / "t.ini").string();
    writeText(file, "; my cabinet\r\n[Settings]\r\n  SendKeys = 1 ; typed\r\nweird line\r\n"
                    "Skin=Old\r\nskin=duplicate\r\n\r\n; about the next section\r\n"
                    "[System]\r\nSelectedGame=pacman");
    ASSERT_EQ(iniWriteString("settings", "SKIN", "New", file), 1);
    iniWriteInt("Settings", "SendKeys", -5, file);
    ASSERT_EQ(iniWriteString("Settings", "MenuType", "ListView", file), 1);
    ASSERT_EQ(iniWriteString("System", "Added", "x", file), 1);
    ASSERT_EQ(iniWriteString("Fresh", "Key", "v", file), 1);
    EXPECT_EQ(readText(file), "; my cabinet\r\n[Settings]\r\n  SendKeys = -5\r\nweird line\r\n"
                              "Skin=New\r\nskin=duplicate\r\nMenuType=ListView\r\n\r\n"
                              "; about the next section\r\n[System]\r\nSelectedGame=pacman\r\n"
                              "Added=x\r\n\r\n[Fresh]\r\nKey=v\r\n");

    // A BOM-only file, one without a final line end, and files of only line breaks.
    const std::pair<std::string, std::string> files[] = {
        {"", "[S]\nk=1\n"},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF[S]\nk=1\n"},
        {"[S]\nj=2", "[S]\nj=2\nk=1"},
        {"\n\n\n", ""},
        {"\r\n\r\n", ""},
        {"\r", ""},
    };
    for (const auto& [before, after] : files)
    {
        before.empty() ? (void)fs::remove(file) : writeText(file, before);
        ASSERT_EQ(iniWriteString("S", "k", "1", file), 1);
        EXPECT_EQ(iniReadString("S", "k", "d", file), "1");
        EXPECT_TRUE(after.empty() || readText(file) == after) << readText(file);
    }
}

TEST(IniWrite, ValuesReadBackAndInjectedKeysAreRefused)
{
    std::string file = (freshDirectory() / "n.ini").string();
    // " NES" is how "Emulators=Hand, NES" names the emulator of [NES].
    writeText(file, "[NES]\nRomPath=/roms\n");
    ASSERT_EQ(iniWriteString("NES ", " Ext", "nes", file), 1);
    ASSERT_EQ(iniWriteString(" NES", "Ext", "nes2", file), 1);
    EXPECT_EQ(readText(file), "[NES]\nRomPath=/roms\nExt=nes2\n");
    for (std::string value : {"  padded  ", "\"quoted\"", "'single'", "", "a=b ; c"})
    {
        ASSERT_EQ(iniWriteString("NES", "v", value, file), 1);
        EXPECT_EQ(iniReadString("NES", "v", "missing", file), value);
    }
    // What would turn into keys or sections of its own, or read back cut, leaves the file alone.
    std::string before = readText(file);
    struct
    {
        std::string Section, Key, Value;
    } refused[] = {{"NES", "v", "one\nInjected=1"},
                   {"A]x", "v", "1"},
                   {"NES", "k=", "1"},
                   {"NES", "[x]", "1"},
                   {"NES", " [x", "1"},
                   {"NES", "  ", "1"},
                   {"NES", "Long", std::string(1024, 'v')}};
    for (const auto& r : refused)
        EXPECT_EQ(iniWriteString(r.Section.c_str(), r.Key.c_str(), r.Value, file), 0) << r.Key;
    EXPECT_EQ(readText(file), before);
    EXPECT_EQ(iniWriteString("NES", "Long", std::string(1023, 'v'), file), 1);

    // Any write that answers 1 must read back what it wrote; any refused one changes nothing.
    std::mt19937 random(91);
    auto generate = [&](size_t maxLength)
    {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text) c = "ab[]= \t\"';#\r\n\v"[random() % 15];
        return text;
    };
    writeText(file, generate(200));
    for (int i = 0; i < 3000; i++)
    {
        std::string section = generate(4), key = generate(4), value = generate(6);
        before = readText(file);
        if (iniWriteString(section.c_str(), key.c_str(), value, file))
            ASSERT_EQ(iniReadString(section.c_str(), key.c_str(), "\x01", file), value) << before;
        else
            ASSERT_EQ(readText(file), before) << "[" << section << "] " << key;
    }
}

TEST(IniWrite, AnUnreadableFileIsLeftUntouchedAndLongLinesAreCut)
{
    fs::path dir = freshDirectory();
    fs::create_directory(dir / "dir.ini");
    std::string asDirectory = (dir / "dir.ini").string();
    EXPECT_EQ(iniReadString("S", "k", "d", asDirectory), "d");
    EXPECT_EQ(iniWriteString("S", "k", "1", asDirectory), 0);
    EXPECT_TRUE(fs::is_directory(asDirectory));
    EXPECT_EQ(iniReadString("S", "k", "d", "/proc/self/mem"), "d");

    // Lines far longer than any value.
    std::string longLine(100000, 'x');
    std::string file = (dir / "long.ini").string();
    writeText(file, "[S]\n" + longLine + "\nk=" + longLine + "\n" + longLine + "=1\nj=2\n");
    EXPECT_EQ(iniReadString("S", "k", "d", file).size(), 1023u);
    EXPECT_EQ(iniReadInt("S", "j", "0", file), 2);
    EXPECT_EQ(iniReadInt("S", longLine.c_str(), "0", file), 1);
}

// The file the killed writer works on: 4 sections of 50 keys, each key holding values[i].
static std::string fileWithValues(const std::vector<int>& values)
{
    std::string text = "; kept comment\n";
    for (int i = 0; i < 200; i++)
        text += (i % 50 ? "" : "[S" + std::to_string(i / 50) + "]\n") +
                ("K" + std::to_string(i % 50)) + "=" + std::to_string(values[i]) +
                (i % 50 == 49 ? "\n\n" : "\n");
    return text;
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
        if (child == 0)
            for (int generation = 1;; generation++)
                for (int i = 0; i < 200; i++)
                    iniWriteInt(("S" + std::to_string(i / 50)).c_str(),
                                ("K" + std::to_string(i % 50)).c_str(), generation, file);
        usleep(200 + random() % 40000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        // The keys are written in file order, one replacement each: a whole file shows some
        // generation g+1 on a prefix of the keys and g on the rest, and nothing else.
        std::string text = readText(file);
        std::vector<int> values;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (line[0] == 'K') values.push_back(std::stoi(line.substr(line.find('=') + 1)));
        ASSERT_EQ(values.size(), 200u) << text;
        ASSERT_TRUE(values[0] == values[199] || values[0] == values[199] + 1) << text;
        ASSERT_TRUE(std::is_sorted(values.rbegin(), values.rend())) << text;
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
