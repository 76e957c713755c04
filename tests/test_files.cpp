// Replacing a file: through a link, with nothing left behind.
#include "platform/files.h"
#include "support.h"

TEST(Files, ReplacingKeepsTheLinkAndLeavesNothingBehind)
{
    fs::path dir = freshDirectory();
    std::string real = (dir / "real.ini").string(), text;
    writeText(real, "old");
    EXPECT_EQ(platformReplaceFile((dir / "no" / "a.ini").string(), "x"), 0);
    fs::create_symlink(real, dir / "link.ini");
    ASSERT_EQ(platformReplaceFile((dir / "link.ini").string(), "new"), 1);
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    ASSERT_EQ(platformReadFile(real, text), 1);
    EXPECT_EQ(text, "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}
