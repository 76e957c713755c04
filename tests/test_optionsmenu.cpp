// The options menu driven with tapped keys on the test clock: its rows, what closing it
// applies, and a window that cannot be made.
#include "catalogue/filters.h"
#include "config/skin.h"
#include "core/controls.h"
#include "display/text.h"
#include "platform/input.h"
#include "popups/menuwindow.h"
#include "popups/optionsmenu.h"
#include "support.h"

#include <climits>
#include <functional>

// The player's keys, one a step once the open window has waited longer than a tick: u, d, l, r
// for the arrows, x for Exit. The first step may look at the windows first.
static std::string Script;
static size_t NextStep;
static int IdleMs;
static std::function<void()> BeforeFirstStep;

static void playScript(int milliseconds)
{
    if (milliseconds != 1 || ++IdleMs < 150) return; // only a waiting menu's own sleeps
    IdleMs = 0;
    if (NextStep == 0 && BeforeFirstStep) BeforeFirstStep();
    const int codes[] = {VkUp, VkDown, VkLeft, VkRight, VkEscape};
    if (NextStep == Script.size()) return testTapKey(VkEscape); // a script cannot hang the test
    testTapKey(codes[std::string("udlrx").find(Script[NextStep++])]);
}

class OptionsMenuTest : public WithMainWindow
{
protected:
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        for (const char* skin : {"skin", "Other", "zeta", ".hidden"})
            fs::create_directories(Dir / "skins" / skin);
        touch(Dir / "skins" / "plain.txt");
        startFrontend("[Settings]\nSkin.dir=" + (Dir / "skins").string() +
                      "\nSkin=skin\nMenuType=ListView\n");
        Skin.Fontface = Skin.StatusBarFontFace = platformListFonts().at(0);
        testOnSleep(playScript);
    }
    void TearDown() override
    {
        testOnSleep(nullptr), WithMainWindow::TearDown();
    }
    int run(const std::string& steps, std::function<void()> before = nullptr)
    {
        std::erase(Script = steps, ' ');
        NextStep = IdleMs = 0;
        BeforeFirstStep = before;
        int shown = runOptionsMenu();
        EXPECT_EQ(NextStep, Script.size()) << "steps left unplayed";
        EXPECT_TRUE(OpenMenus.empty());
        return shown;
    }
};

TEST_F(OptionsMenuTest, RowsFollowTheShownEmulator)
{
    Emulator* both = addMame();
    both->UseGoodFilters = 1;
    both->NameCodeFilter = std::make_unique<NameCodeFilter>();
    const std::string fixed =
        "Menu Type|Main Window Font|Main Window Font Size|Status Bar Font|"
        "Status Bar Font Size|Menu Font Size|Show Status Bar|Preview Pictures|";
    const std::string rom = "Choose Rom Type Filters|Choose Country Filters|";
    const std::string mame = "Choose MAME Filters|";
    const std::pair<int, std::string> cases[] = {{-1, ""}, {0, rom + mame}};
    for (const auto& [shown, filters] : cases)
    {
        FrontendState.CurrentEmulator = shown;
        std::string seen;
        std::vector<std::string> skins;
        EXPECT_EQ(run("x",
                      [&]
                      {
                          for (int i = 0; i < OpenMenus.at(0)->itemCount; i++)
                              seen += OpenMenus[0]->items[i].label + "|";
                          skins = OpenMenus[0]->items[OpenMenus[0]->itemCount - 2].choices;
                      }),
                  1);
        EXPECT_EQ(seen, fixed + filters + "Skin|Emulator|") << shown;
        EXPECT_EQ(skins, (std::vector<std::string>{"Other", "skin", "zeta"}));
    }
    FrontendSettings.AllowMenu = 0;
    EXPECT_EQ(run(""), 0);
}

TEST_F(OptionsMenuTest, ClosingAppliesEveryRow)
{
    addEmulator("A");
    addEmulator("B");
    Skin.Fontsize = 19;
    Skin.StatusBarFontSize = 6; // below the list: kept
    Skin.MenuFontSize = 40;     // above it: the largest
    Skin.ShowStatusBar = 1;
    EXPECT_EQ(run("x"), 1);
    EXPECT_EQ(Skin.Fontsize, 18);
    EXPECT_EQ(Skin.StatusBarFontSize, 6);
    EXPECT_EQ(Skin.MenuFontSize, 36);

    // Status bar off, flyers, 12-point menu font (right from 36 wraps to 8, then 10, 12),
    // emulator B (left from the first choice is the last).
    EXPECT_EQ(run("dddddd rdr uu rrr dddd lx"), 1);
    EXPECT_EQ(Skin.ShowStatusBar, 0);
    EXPECT_EQ(FrontendSettings.PreviewPictures, 2);
    EXPECT_EQ(Skin.MenuFontSize, 12);
    EXPECT_EQ(FrontendState.CurrentEmulator, 1);
    // So far below the list that doubling its place would overflow: raised first.
    Skin.MenuFontSize = INT_MIN;
    EXPECT_EQ(run("x"), 1);
    EXPECT_EQ(Skin.MenuFontSize, INT_MIN / 2 + 8);
}

TEST_F(OptionsMenuTest, AnotherSkinIsLoadedAfterTheOldOneIsSaved)
{
    addEmulator("A");
    writeText(Dir / "skins" / "Other" / "skin.ini", "[Settings]\nFontsize=30\nEmulator=A\n");
    writeText(Dir / "skins" / "skin" / "skin.ini", "[Image]\nStatusBarFontSize=24\n");
    Skin.Fontsize = 20;
    // Another skin and a larger font: the new skin's font wins; the old skin keeps its values.
    EXPECT_EQ(run("ddr dddddd lx"), 1);
    EXPECT_EQ(FrontendSettings.SkinName, "Other");
    EXPECT_EQ(Skin.Fontsize, 30);
    EXPECT_NE(readText(Dir / "skins" / "skin" / "skin.ini").find("Fontsize=20"), std::string::npos);
}

static intptr_t refuseCreation(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    return kind == MsgCreate ? -1 : platformDefaultWindowProc(window, kind, param1, param2);
}

TEST_F(OptionsMenuTest, AWindowThatCannotBeMadeAppliesNothing)
{
    Skin.Fontsize = 19;
    platformRegisterClass(MenuWindowClass, refuseCreation);
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(Skin.Fontsize, 19);
    ASSERT_EQ(testMessageBoxes().size(), 1u);
    EXPECT_EQ(testMessageBoxes()[0].Caption, "Error!");
    EXPECT_EQ(testMessageBoxes()[0].Text, "Failed to create message window!");
}
