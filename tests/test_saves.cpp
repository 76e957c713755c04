// The exit save killed at any moment: the configuration and skin.ini always hold the old
// settings or the new ones, whole, and the next start removes what the killed save left.
#include "config/skin.h"
#include "support.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class InterruptedSave : public InFreshDirectory
{
protected:
    std::string Config, SkinFile;
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        fs::create_directories(Dir / "skin");
        Config =
            useConfig(Dir / "t.ini", "; the owner's notes\n[Settings]\nSkin.dir=" + Dir.string() +
                                         "\nSkin=skin\nMenuType=ListView\n");
        SkinFile = (Dir / "skin" / "skin.ini").string();
        writeText(SkinFile, "; kept\n[Settings]\nFontsize=12\n");
    }
    // The exit save of the settings read now with one of two sets of values.
    void save(int variant)
    {
        loadFrontendSettings();
        loadSkin();
        FrontendSettings.MenuType = variant ? ViewImageBrowser : ViewList;
        Skin.Fontsize = variant ? 30 : 12;
        saveFrontendSettings();
    }
    // Runs the save in a child process killed after the given microseconds.
    void saveKilledAfter(int variant, int microseconds)
    {
        pid_t child = fork();
        if (child == 0)
        {
            if (!std::freopen("/dev/null", "w", stderr))
                _exit(1); // the removals of the last kill's files
            save(variant);
            _exit(0);
        }
        usleep(microseconds);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
};

TEST_F(InterruptedSave, LeavesTheOldFileOrTheNewOneWhole)
{
    std::string files[2][2]; // [variant][config, skin.ini]
    // The first two saves add the keys and each view's layout; later ones only change values.
    for (int variant : {1, 0, 1, 0})
    {
        save(variant);
        files[variant][0] = readText(Config);
        files[variant][1] = readText(SkinFile);
    }
    ASSERT_NE(files[0][0], files[1][0]);
    ASSERT_NE(files[0][1], files[1][1]);
    std::mt19937 random(7);
    int sawNew = 0;
    for (int i = 0; i < 300; i++)
    {
        int variant = i % 2;
        saveKilledAfter(variant, (int)(random() % 4000));
        std::string config = readText(Config), skin = readText(SkinFile);
        ASSERT_TRUE(config == files[0][0] || config == files[1][0]) << i << ":\n" << config;
        ASSERT_TRUE(skin == files[0][1] || skin == files[1][1]) << i << ":\n" << skin;
        sawNew += config == files[variant][0];
    }
    // The kills fell before, during and after the saves.
    EXPECT_GT(sawNew, 10);
    EXPECT_LT(sawNew, 290);

    testing::internal::CaptureStderr();
    loadFrontendSettings(); // the next clean start
    loadSkin();
    testing::internal::GetCapturedStderr();
    for (const fs::path& folder : {Dir, Dir / "skin"})
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
                << entry.path();
}
