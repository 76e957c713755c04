// The skin settings: the layout of each view, and what the save writes.
#include "config/skin.h"
#include "display/artwork.h"
#include "support.h"

class SkinFile : public InFreshDirectory
{
protected:
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        FrontendSettings.SkinDir = "skins";
        FrontendSettings.SkinName = "Mine";
        FrontendSettings.MenuType = 1;
        fs::create_directories("skins/Mine");
    }
    void TearDown() override
    {
        freeSkin();
        freeArtwork();
        InFreshDirectory::TearDown();
    }
};

TEST_F(SkinFile, EachViewReadsItsOwnSection)
{
    writeText("skins/Mine/skin.ini", "[settings]\nFontsize=-5\nFontcolor=0x00FF00\n"
                                     "[List]\nListWidth=600\nShowStatusBar=0\n"
                                     "[Image]\nListWidth=200\nListRows=3\nFlyerStartY=-300\n"
                                     "[Sounds]\nStartup=start.wav\nError=\n");
    loadSkin();
    EXPECT_EQ(Skin.Fontsize, -5);
    EXPECT_EQ(Skin.Fontcolor, 0x00FF00u);
    EXPECT_EQ(Skin.ListWidth, 600);
    EXPECT_EQ(Skin.ShowStatusBar, 0);
    EXPECT_EQ(Skin.ListRows, 0);
    EXPECT_EQ(Skin.Sounds.Startup, "start.wav");
    EXPECT_FALSE(Skin.Sounds.Error);
    FrontendSettings.MenuType = 2;
    loadSkin();
    EXPECT_EQ(Skin.ListWidth, 200);
    EXPECT_EQ(Skin.ListRows, 3);
    EXPECT_EQ(Skin.FlyerStartY, -300);
    EXPECT_EQ(Skin.ShowStatusBar, 1);
}

TEST_F(SkinFile, TheSaveWritesTheEditableValuesInOrderAndNothingElse)
{
    writeText("skins/Mine/skin.ini", "; my skin\n[Image]\nHighlightForecolor=0x00FF00\n");
    FrontendSettings.MenuType = 2;
    loadSkin();
    Skin.Fontface = "Liberation Serif";
    Skin.ShowStatusBar = 0;
    Skin.ShownEmulator = "NES";
    Skin.ListRows = 4; // never written
    Skin.FlyerStartY = -300;
    saveSkin();
    EXPECT_EQ(readText("skins/Mine/skin.ini"),
              "; my skin\n[Image]\nHighlightForecolor=0x00FF00\n"
              "ShowHighlightBar=1\nShowStatusBar=0\nStatusBarFontFace=Arial\n"
              "StatusBarFontSize=12\nListStartX=0\nListStartY=0\nListWidth=0\nListHeight=0\n"
              "MarqueeStartX=0\nMarqueeStartY=0\nMarqueeWidth=0\nMarqueeHeight=0\n"
              "ScreenshotStartX=0\nScreenshotStartY=0\nScreenshotWidth=0\nScreenshotHeight=0\n"
              "FlyerStartX=0\nFlyerStartY=-300\nFlyerWidth=0\nFlyerHeight=0\n"
              "\n[Settings]\nFontface=Liberation Serif\nFontsize=18\nMenuFontSize=12\n"
              "TextShadow=0\nEmulator=NES\n");
    // Without the skin's folder nothing is created, and the front end goes on.
    FrontendSettings.SkinName = "Gone";
    EXPECT_EQ(saveSkin(), 1);
    EXPECT_FALSE(fs::exists("skins/Gone"));
}
