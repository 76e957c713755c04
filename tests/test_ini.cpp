// INI access: read as the profile functions read, written keeping every other byte.
#include "config/ini.h"
#include "support.h"

TEST(Ini, ReadsAsTheProfileFunctionsDo)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "t.ini").string(), longValue(2000, 'v');
    longValue[1022] = 'L';
    writeText(file,
              "\xEF\xBB\xBFtop=outside\r\n[SeTTings]   ignored\r\n  Name  =  With blanks  \r\n"
              "quoted=\"  kept \"\r\nmixed=\"x'\r\ncomment=0 ; off\r\n"
              "novalue\r\nempty=\r\nname=second\r\n[broken=1\r\n"
              "[ Other ]\r\nk=from other\r\n[settings]\r\nlate=never searched\r\n"
              "[a]\rx=1\ry=2\n[n]\nff=FF\nneg=-0x10\nhuge=0x1FFFFFFFF\n"
              "mixed=12abc\nsigned=-35x\nlong=" +
                  longValue + "\nlast=no line end");
    // Kind (String, Colour, Bool, Int, Number), section, key, default, expected.
    const std::tuple<char, const char*, const char*, const char*, const char*> cases[] = {
        {'S', "settings", "NAME", "d", "With blanks"},
        {'S', "Settings", "quoted", "d", "  kept "},
        {'S', "Settings", "mixed", "d", "\"x'"},
        {'S', "Settings", "comment", "d", "0 ; off"},
        {'S', "Settings", "novalue", "d", "d"},
        {'S', "Settings", "empty", "d", ""},
        {'S', "Settings", "[broken", "d", "1"},
        {'S', "Settings", "late", "d", "d"},
        {'S', "Settings", "top", "d", "d"},
        {'S', " other", "K\t", "d", "from other"},
        {'S', "Missing", "k", "dflt \t ", "dflt"},
        {'S', "a", "y", "", "2"},
        {'S', "n", "last", "", "no line end"},
        {'C', "n", "ff", "0", "255"},
        {'C', "n", "neg", "0", "-16"},
        {'C', "n", "huge", "0", "2147483647"},
        {'C', "Settings", "empty", "0xFF", "0"},
        {'B', "Settings", "empty", "0", "1"},
        {'I', "n", "mixed", "0", "12"},
        {'I', "Settings", "empty", "7", "0"},
        {'N', "n", "signed", "1", "-35"},
        {'N', "Settings", "empty", "42", "42"},
    };
    for (const auto& [kind, section, key, fallback, expected] : cases)
    {
        const char *s = section, *k = key, *d = fallback;
        std::string read = kind == 'S'   ? iniReadString(s, k, d, file)
                           : kind == 'C' ? std::to_string((int32_t)iniReadColor(s, k, d, file))
                           : kind == 'B' ? std::to_string(iniReadBool(s, k, atoi(d), file))
                           : kind == 'I' ? std::to_string(iniReadInt(s, k, d, file))
                                         : std::to_string(iniReadNumber(s, k, atoi(d), file));
        EXPECT_EQ(read, expected) << kind << " " << key;
    }
    EXPECT_EQ(iniReadString("n", "long", "", file), longValue.substr(0, 1023));
    EXPECT_EQ(iniReadOptionalString("Settings", "empty", file), std::nullopt);
    EXPECT_EQ(iniReadString("Settings", "k", "dflt", dir.string()), "dflt");
}

TEST(Ini, WritesKeepEveryOtherByteRefuseWhatWouldNotReadBackAndCanBeHeld)
{
    fs::path dir = freshDirectory();
    std::string file = (dir / "t.ini").string();
    writeText(file, "; my cabinet\r\n[Settings]\r\n  SendKeys = 1 ; typed\r\nweird line\r\n"
                    "Skin=Old\r\nskin=duplicate\r\n\r\n; next\r\n[ NES]\r\nRomPath=/roms");
    ASSERT_EQ(iniWriteString("settings", "SKIN", "New", file), 1);
    iniWriteInt("Settings", "SendKeys", -5, file);
    ASSERT_EQ(iniWriteString("Settings", "MenuType", "ListView", file), 1);
    ASSERT_EQ(iniWriteString("NES ", " Ext", "nes", file), 1); // " NES" names [NES]
    ASSERT_EQ(iniWriteString("Fresh", "Key", "'q'", file), 1);
    EXPECT_EQ(readText(file),
              "; my cabinet\r\n[Settings]\r\n  SendKeys = -5\r\nweird line\r\n"
              "Skin=New\r\nskin=duplicate\r\nMenuType=ListView\r\n\r\n; next\r\n"
              "[ NES]\r\nRomPath=/roms\r\nExt=nes\r\n\r\n[Fresh]\r\nKey=\"'q'\"\r\n");
    EXPECT_EQ(iniReadString("Fresh", "Key", "", file), "'q'");

    // What would become keys or sections of its own, or read back cut, leaves the file alone.
    std::string before = readText(file);
    for (const char* key : {"k=", " [x", "  "}) EXPECT_EQ(iniWriteString("S", key, "1", file), 0);
    for (const std::string& value : {std::string("1\nInjected=1"), std::string(1024, 'v')})
        EXPECT_EQ(iniWriteString("S", "v", value, file), 0);
    EXPECT_EQ(iniWriteString("A]x", "v", "1", file), 0);
    EXPECT_EQ(readText(file), before);
    EXPECT_EQ(iniWriteString("S", "k", "1", dir.string()), 0);

    // A missing file, one without a last line end and one of only line breaks.
    const std::pair<std::string, std::string> files[] = {
        {"", "[S]\nk=1\n"}, {"[S]\nj=2", "[S]\nj=2\nk=1"}, {"\r\n\r\n", ""}};
    for (const auto& [old, written] : files)
    {
        old.empty() ? (void)fs::remove(file) : writeText(file, old);
        ASSERT_EQ(iniWriteString("S", "k", "1", file), 1);
        EXPECT_EQ(iniReadString("S", "k", "d", file), "1");
        EXPECT_TRUE(written.empty() || readText(file) == written) << readText(file);
    }

    // Held writes replace the file once, at the flush.
    writeText(file, "; keep\r\n[A]\r\nx=1\r\n");
    iniHoldWrites(file);
    ASSERT_EQ(iniWriteString("A", "x", "2", file), 1);
    iniWriteInt("B", "y", 3, file);
    EXPECT_EQ(readText(file), "; keep\r\n[A]\r\nx=1\r\n");
    EXPECT_EQ(iniReadInt("A", "x", "0", file), 2); // reads see the held text
    ASSERT_EQ(iniFlushWrites(), 1);
    EXPECT_EQ(readText(file), "; keep\r\n[A]\r\nx=2\r\n\r\n[B]\r\ny=3\r\n");

    // A held save of what the file already says leaves the file alone.
    auto stamp = fs::last_write_time(file);
    iniHoldWrites(file);
    iniWriteInt("A", "x", 2, file);
    ASSERT_EQ(iniFlushWrites(), 1);
    EXPECT_EQ(fs::last_write_time(file), stamp);
}
