// Directory listings, appending and atomic replacement.
#include "platform/files.h"
#include "support.h"

TEST(Files, ListingAppendingAndReplacingThroughALink)
{
    fs::path dir = freshDirectory();
    for (const char* name : {"Game.ZIP", "notes.txt"}) touch(dir / name);
    fs::create_directory(dir / "sub.zip");
    std::vector<std::string> names;
    ASSERT_EQ(platformListDirectory((dir / "*.zip").string(), names), 1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Game.ZIP", "sub.zip"}));
    EXPECT_EQ(platformListDirectory((dir / "notes.txt" / "*").string(), names), 0);

    std::string log = (dir / "log.txt").string(), text;
    platformAppendLine(log, "one");
    ASSERT_EQ(platformAppendLine(log, "two"), 1);
    EXPECT_EQ(readText(log), "one\ntwo\n");
    EXPECT_EQ(platformReplaceFile((dir / "no" / "a.ini").string(), "x"), 0);
    fs::create_symlink(log, dir / "link.ini");
    ASSERT_EQ(platformReplaceFile((dir / "link.ini").string(), "new"), 1);
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    ASSERT_EQ(platformReadFile(log, text), 1);
    EXPECT_EQ(text, "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
}
