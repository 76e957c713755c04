// What the skin save writes.
#include "config/skin.h"
#include "display/artwork.h"
#include "support.h"

TEST_F(InFreshDirectory, TheSkinSaveWritesTheEditableValuesInOrderAndNothingElse)
{
    FrontendSettings.SkinDir = "skins";
    FrontendSettings.SkinName = "Mine";
    fs::create_directories("skins/Mine");
    FrontendSettings.MenuType = ViewImageBrowser;
    writeText("skins/Mine/skin.ini", "; my skin\n[Image]\nHighlightForecolor=0x00FF00\n");
    loadSkin();
    Skin.Fontface = "Liberation Serif";
    Skin.ShownEmulator = "NES";
    Skin.ListRows = 4; // never written
    Skin.FlyerStartY = -300;
    saveSkin();
    EXPECT_EQ(readText("skins/Mine/skin.ini"),
              "; my skin\n[Image]\nHighlightForecolor=0x00FF00\n"
              "ShowHighlightBar=1\nShowStatusBar=1\nStatusBarFontFace=Arial\n"
              "StatusBarFontSize=12\nListStartX=0\nListStartY=0\nListWidth=0\nListHeight=0\n"
              "MarqueeStartX=0\nMarqueeStartY=0\nMarqueeWidth=0\nMarqueeHeight=0\n"
              "ScreenshotStartX=0\nScreenshotStartY=0\nScreenshotWidth=0\nScreenshotHeight=0\n"
              "FlyerStartX=0\nFlyerStartY=-300\nFlyerWidth=0\nFlyerHeight=0\n"
              "\n[Settings]\nFontface=Liberation Serif\nFontsize=18\nMenuFontSize=12\n"
              "TextShadow=0\nEmulator=NES\n");
    FrontendSettings.SkinName = "Gone"; // without its folder nothing is made, and all goes on
    EXPECT_EQ(saveSkin(), 1);
    EXPECT_FALSE(fs::exists("skins/Gone"));
    freeSkin();
    freeArtwork();
}
