// Directory listings, appending and atomic replacement.
#include "platform/files.h"
#include "support.h"

TEST(Files, ListingMatchesWithoutLetterCaseAndIncludesDirectories)
{
    fs::path dir = freshDirectory();
    for (const char* name : {"Game.ZIP", "other.zip", "notes.txt"}) touch(dir / name);
    fs::create_directory(dir / "sub.zip");
    std::vector<std::string> names;
    ASSERT_EQ(platformListDirectory((dir / "*.zip").string(), names), 1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Game.ZIP", "other.zip", "sub.zip"}));
    names.clear();
    EXPECT_EQ(platformListDirectory((dir / "missing" / "*.zip").string(), names), 0);
    EXPECT_EQ(platformListDirectory((dir / "notes.txt" / "*").string(), names), 0);
    EXPECT_TRUE(names.empty());
}

TEST(Files, AppendAddsLinesAndReplaceKeepsTheOldFileOnFailureAndTheLink)
{
    fs::path dir = freshDirectory();
    std::string log = (dir / "log.txt").string(), text;
    ASSERT_EQ(platformAppendLine(log, "one"), 1);
    ASSERT_EQ(platformAppendLine(log, "two"), 1);
    EXPECT_EQ(readText(log), "one\ntwo\n");
    // A file in a directory that does not exist cannot be replaced, and nothing is left.
    EXPECT_EQ(platformReplaceFile((dir / "no" / "a.ini").string(), "x"), 0);
    EXPECT_EQ(platformReadFile(dir.string(), text), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    writeText(dir / "real.ini", "old");
    fs::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_EQ(platformReplaceFile((dir / "link.ini").string(), "new"), 1);
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    ASSERT_EQ(platformReadFile((dir / "real.ini").string(), text), 1);
    EXPECT_EQ(text, "new");
}
