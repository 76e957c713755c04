// The text rules every module shares: blanks, letter case, the two kinds of list, the repair
// of bytes that are not UTF-8, and whole messages with their places.
#include "base/message.h"
#include "base/text.h"

#include <gtest/gtest.h>

TEST(Text, BlanksCaseAndLists)
{
    EXPECT_EQ(trimmedText(" \tname\r"), "name");
    EXPECT_EQ(trimmedText("\vname\f", IniBlanks), "name");
    EXPECT_EQ(trimmedText("name\r", IniBlanks), "name\r") << "a lone CR is no blank to the INI";
    EXPECT_TRUE(sameIgnoringCase("MAME", "mame"));
    EXPECT_FALSE(sameIgnoringCase("mame", "mame "));
    EXPECT_FALSE(sameIgnoringCase("\xC3\x89", "\xC3\xA9")) << "only ASCII letters";
    EXPECT_TRUE(lessIgnoringCase("abc", "ABD"));
    EXPECT_TRUE(lessIgnoringCase("ab", "abc"));
    EXPECT_FALSE(lessIgnoringCase("ABC", "abc"));
    EXPECT_EQ(comparableName("  Shooter "), "shooter");
    EXPECT_EQ(listItems(",a, b ,,c,"), (std::vector<std::string>{"a", " b ", "c"}));
    EXPECT_EQ(listItems("a;b,c", ";"), (std::vector<std::string>{"a", "b,c"}));
    EXPECT_EQ(everyItem(" Up, ,Down "), (std::vector<std::string>{"Up", "", "Down"}));
}

TEST(Text, BytesThatAreNotUtf8AreReadAsWindows1252)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Caf\xE9", "Caf\xC3\xA9"},
        {"\x80", "\xE2\x82\xAC"},
        {"\x81\x8D\x8F\x90\x9D", std::string(5 * 3, ' ')},
        {"ok \xC3\xA9", "ok \xC3\xA9"},
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // a surrogate is three bytes
        {"cut \xE2\x82", "cut \xC3\xA2\xE2\x80\x9A"},
    };
    for (auto [raw, repaired] : cases)
    {
        if (repaired.find_first_not_of(' ') == std::string::npos)
            for (size_t i = 0; i < repaired.size(); i += 3) repaired.replace(i, 3, "\xEF\xBF\xBD");
        EXPECT_EQ(repairedUtf8(raw), repaired) << raw;
        EXPECT_TRUE(isUtf8(repairedUtf8(raw)));
        EXPECT_EQ(isUtf8(raw), raw == repaired);
    }
    EXPECT_EQ(characterLength("\xE2\x82\xAC!", 0), 3);
    EXPECT_EQ(characterLength("\xE2\x82", 0), 1);
    EXPECT_EQ(utf8SequenceAt("\xE2\x82", 0), -1) << "may still become one";
}

TEST(Text, MessagesAreWholeWithTheirPlacesAndPluralForms)
{
    EXPECT_EQ(message("{1}: {2}", {"MAME", "no games"}), "MAME: no games");
    EXPECT_EQ(message("{2} before {1}", {"a", "b"}), "b before a");
    EXPECT_EQ(message("{3} {x} {} {1", {"a"}), "{3} {x} {} {1") << "unknown places stay";
    EXPECT_EQ(message("{1}", {"{2}", "no"}), "{2}") << "a piece is not read again";
    EXPECT_EQ(pluralMessage(1, "{1} game in {2}", "{1} games in {2}", {"All"}), "1 game in All");
    EXPECT_EQ(pluralMessage(0, "{1} game", "{1} games"), "0 games");
    EXPECT_EQ(pluralMessage(5, "{1} game", "{1} games"), "5 games");
}
