// Reading and replacing files: through a link or as itself, never a FIFO or a device.
#include "platform/files.h"
#include "support.h"

#include <sys/stat.h>

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

// Only regular files are read, each within its limit, without ever waiting on a FIFO; what is
// refused is named on standard error, a missing file is not.
TEST(Files, SpecialFilesAndHugeOnesAreRefusedAtOnce)
{
    fs::path dir = freshDirectory();
    ASSERT_EQ(mkfifo((dir / "fifo.png").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir / "zero.png");
    writeText(dir / "big.png", std::string(2048, 'x'));
    fs::create_directory(dir / "folder.png");
    const struct
    {
        const char* Name;
        const char* Told; // empty: nothing said
    } cases[] = {{"fifo.png", "not a regular file"},
                 {"zero.png", "not a regular file"},
                 {"big.png", "larger than the limit of 1 MB"},
                 {"folder.png", ""},
                 {"missing.png", ""}};
    for (const auto& [name, told] : cases)
    {
        std::string path = (dir / name).string(), text = "left";
        std::string said = stderrOf([&] { EXPECT_EQ(platformReadFile(path, text, 1024), 0); });
        EXPECT_EQ(text, "") << name;
        EXPECT_EQ(said.empty(), *told == 0) << name << ": " << said;
        EXPECT_NE(said.find(told), std::string::npos) << name << ": " << said;
        stderrOf([&] { EXPECT_EQ(platformOpenData(path, 1024), nullptr) << name; });
        stderrOf([&] { EXPECT_EQ(platformIsDataFile(path, 1024), 0) << name; });
    }
    std::string text;
    EXPECT_EQ(platformReadFile((dir / "big.png").string(), text, 2048), 1);
    EXPECT_EQ(text.size(), 2048u);
}

// A file the front end derives is written as itself: a link in its place is replaced, and the
// file it pointed to, in another folder, is never written.
TEST(Files, ADerivedFileReplacesALinkInItsPlace)
{
    fs::path dir = freshDirectory(), elsewhere = freshDirectory("elsewhere");
    writeText(elsewhere / ".profile", "the owner's");
    for (const char* name : {"list.index", "mame.lst.capture"})
        fs::create_symlink(elsewhere / ".profile", dir / name);
    auto write = [](FILE* file) { return fputs("derived", file) >= 0; };
    ASSERT_EQ(platformReplaceDerivedFile((dir / "list.index").string(), write), 1);
    int descriptor = platformCreateDerivedFile((dir / "mame.lst.capture").string());
    ASSERT_GE(descriptor, 0);
    platformCloseFile(descriptor);
    for (const char* name : {"list.index", "mame.lst.capture"})
        EXPECT_FALSE(fs::is_symlink(dir / name)) << name;
    EXPECT_EQ(readText(dir / "list.index"), "derived");
    EXPECT_EQ(readText(elsewhere / ".profile"), "the owner's");
}
