// What the skin save writes, and the pop-ups' title colour where the highlight's would not show.
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

// A pop-up's title takes the highlight's text colour unless the view made it about as bright as
// the highlight's band (the image browser draws only a frame in it): then black or white.
TEST_F(InFreshDirectory, APopupsTitleReadsOnItsBand)
{
    FrontendSettings.SkinDir = "skins";
    FrontendSettings.SkinName = "Mine";
    FrontendSettings.MenuType = ViewImageBrowser;
    fs::create_directories("skins/Mine");
    const struct
    {
        const char* Colours;
        uint32_t Menu, Message;
    } cases[] = {
        {"HighlightForecolor=0x60FF60\nHighlightBackcolor=0x60FF60\n", 0x000000, 0x000000},
        {"HighlightForecolor=0x200000\nHighlightBackcolor=0x101010\n", 0xFFFFFF, 0xFFFFFF},
        {"HighlightForecolor=0x000000\nHighlightBackcolor=0x60FF60\n", 0x000000, 0x000000},
        {"HighlightForecolor=0x60FF60\nHighlightBackcolor=0x60FF60\n[Menu]\nTitleForecolor="
         "0x60FF60\n",
         0x60FF60, 0x000000},
    };
    for (const auto& c : cases)
    {
        writeText("skins/Mine/skin.ini", std::string("[Image]\n") + c.Colours);
        loadSkin();
        EXPECT_EQ(Skin.Menu.TitleForecolor, c.Menu) << c.Colours;
        EXPECT_EQ(Skin.Message.TitleForecolor, c.Message) << c.Colours;
    }
}
