// The pop-ups on the test clock: the options menu's rows, what closing it applies and a window
// that cannot be made; the game information's word wrapping, scrolling and closing.
#include "catalogue/categories.h"
#include "catalogue/commandfile.h"
#include "catalogue/emulators.h"
#include "catalogue/filters.h"
#include "config/skin.h"
#include "core/mainwindow.h"
#include "core/search.h"
#include "display/searchkeyboard.h"
#include "display/text.h"
#include "display/wordwrap.h"
#include "platform/input.h"
#include "popups/gameinfo.h"
#include "popups/menuwindow.h"
#include "popups/optionsmenu.h"
#include "runtime/controls.h"
#include "support.h"

#include <climits>
#include <functional>

// The player's keys, one a step once the open window has waited longer than a tick and a half:
// u, d, l, r for the arrows, x for Exit, s for Start. The first step may look at the windows first.
static std::string Script;
static size_t NextStep;
static int IdleMs;
static std::function<void()> BeforeFirstStep;
static size_t FirstStep; // the step BeforeFirstStep looks before: 0 unless a test says

// A virtual stick plays the steps instead, when a test plugs one in: each push or button held
// for one tick (a tick comes every 100 ms of the loop's sleeps), Start its first button, Exit
// its fourth.
static int Stick = -1;

static void pushStick(char step, int on)
{
    const int16_t far = on ? 32767 : 0, near = on ? -32768 : 0;
    switch (step)
    {
    case 'u':
        return testJoystickAxis(Stick, 1, near);
    case 'd':
        return testJoystickAxis(Stick, 1, far);
    case 'l':
        return testJoystickAxis(Stick, 0, near);
    case 'r':
        return testJoystickAxis(Stick, 0, far);
    default:
        return testJoystickButton(Stick, step == 's' ? 0 : 3, on);
    }
}

static void playScript(int milliseconds)
{
    if (milliseconds != 1) return; // only a waiting menu's own sleeps
    if (++IdleMs == 100 && Stick >= 0 && NextStep > 0) pushStick(Script[NextStep - 1], 0);
    if (IdleMs < 150) return;
    IdleMs = 0;
    if (NextStep == FirstStep && BeforeFirstStep) BeforeFirstStep();
    const int codes[] = {VkUp, VkDown, VkLeft, VkRight, VkEscape, '1'};
    if (NextStep == Script.size()) return testTapKey(VkEscape); // a script cannot hang the test
    if (Stick >= 0) return pushStick(Script[NextStep++], 1);
    testTapKey(codes[std::string("udlrxs").find(Script[NextStep++])]);
}

// The information window's loop: acts at the milliseconds passed since it opened.
static std::function<void(int elapsed)> Meanwhile;
static int Elapsed;
static void runMeanwhile(int milliseconds)
{
    Elapsed += milliseconds;
    if (Meanwhile) Meanwhile(Elapsed);
    if (Elapsed == 60000) platformPostQuit(0); // a window that never closes must not hang
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
    both->CodeFilter = std::make_unique<NameCodeFilter>();
    const std::string fixed =
        "Menu Type|Main Window Font|Main Window Font Size|Status Bar Font|"
        "Status Bar Font Size|Menu Font Size|Show Status Bar|Preview Pictures|";
    const std::pair<int, std::string> cases[] = {
        {-1, ""}, {0, "Choose Rom Type Filters|Choose Country Filters|Choose MAME Filters|"}};
    for (const auto& [shown, filters] : cases)
    {
        FrontendState.CurrentEmulator = shown;
        std::string seen;
        std::vector<std::string> skins;
        EXPECT_EQ(run("x",
                      [&]
                      {
                          const std::vector<MenuNode>& rows = *OpenMenus.at(0)->Items;
                          for (const MenuNode& row : rows) seen += row.Label + "|";
                          skins = rows[rows.size() - 2].Choices;
                      }),
                  1);
        EXPECT_EQ(seen, fixed + filters + "Sort Games By|Skin|Emulator|") << shown;
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
    // most played first, emulator B (left from the first choice is the last, "Favourites").
    EXPECT_EQ(run("dddddd rdr uu rrr ddd r dd llx"), 1);
    EXPECT_EQ(Skin.ShowStatusBar, 0);
    EXPECT_EQ(FrontendSettings.PreviewPictures, PreviewFlyers);
    EXPECT_EQ(Skin.MenuFontSize, 12);
    EXPECT_EQ(FrontendSettings.SortGamesBy, OrderByMostPlayed);
    EXPECT_EQ(FrontendState.CurrentEmulator, 1);
    EXPECT_EQ(run("dddddddddd rx"), 1);
    EXPECT_EQ(FrontendState.CurrentEmulator, FavouriteGames);
    EXPECT_EQ(Skin.ShownEmulator, "Favourites");
    // So far below the list that doubling its place would overflow: raised first.
    Skin.MenuFontSize = INT_MIN;
    EXPECT_EQ(run("x"), 1);
    EXPECT_EQ(Skin.MenuFontSize, INT_MIN / 2 + 8);
}

// A face the system serves under another name stays as the skin names it; only one that
// resolves to nothing falls back to the first listed font.
// With a category file the MAME filters end with the main categories present and the mature
// games; closing saves them in the emulator's section. Without one, the filters are as before;
// so are they without the cabinet's controls or a players file.
TEST_F(OptionsMenuTest, CategoriesAreOfferedAndSaved)
{
    Emulator* mame = addMame();
    for (const char* name : {"a", "b", "c"}) addGame(name);
    FrontendState.CurrentEmulator = 0;
    Skin.ShownEmulator = "MAME"; // closing the menu keeps it shown
    size_t rows = 0;
    auto countRows = [&] { rows = OpenMenus.at(0)->Items->at(8).Children.size(); };
    EXPECT_EQ(run("x", countRows), 1);
    EXPECT_EQ(rows, 14u);

    writeText(Dir / "catver.ini", "[Category]\na=Shooter / Flying\nb=Casino / Cards * Mature *\n");
    mame->CategoryFile = (Dir / "catver.ini").string();
    mame->HiddenCategories = {"Quiz"};
    loadCategories(0);
    std::vector<std::string> labels;
    auto readRows = [&]
    {
        for (const MenuNode& row : OpenMenus.at(0)->Items->at(8).Children)
            labels.push_back(row.Label);
        for (const MenuNode& row : OpenMenus.at(0)->Items->at(8).Children)
            if (row.Label == "Choose Categories")
                for (const MenuNode& category : row.Children) labels.push_back(category.Label);
    };
    // Open the filters, the mature games off (the last row), then Casino off.
    EXPECT_EQ(run("dddddddd r ur u r r xxx", readRows), 1);
    EXPECT_EQ(std::vector<std::string>(labels.begin() + 13, labels.end()),
              (std::vector<std::string>{"Display Maximum Coin Slots", "Choose Categories",
                                        "Show Mature Games", "Casino", "Shooter"}));
    EXPECT_EQ(mame->HiddenCategories, (std::vector<std::string>{"Quiz", "Casino"}));
    EXPECT_EQ(mame->ShowMature, 0);
    rebuildVisibleGames();
    EXPECT_EQ(VisibleGames, (std::vector<Game*>{AllGames[0].get(), AllGames[2].get()}));
    saveEmulatorFilters();
    std::string config = readText(FrontendSettings.ConfigFile);
    EXPECT_NE(config.find("HiddenCategories=Quiz, Casino\nShowMature=0\n"), std::string::npos)
        << config;
    EXPECT_EQ(config.find("CabinetOnly"), std::string::npos) << config;

    // The cabinet's controls and a players file each add a row before the categories.
    FrontendSettings.CabinetControls = "joy";
    mame->PlayersFile = "nplayers.ini";
    labels.clear();
    EXPECT_EQ(run("dddddddd r uuu r u r xx", readRows), 1);
    EXPECT_EQ(labels.at(14), "Only Games For This Cabinet");
    EXPECT_EQ(labels.at(15), "Players At Once");
    EXPECT_EQ(mame->CabinetOnly, 0);
    EXPECT_EQ(mame->PlayersAtOnce, 1);
    saveEmulatorFilters();
    config = readText(FrontendSettings.ConfigFile);
    EXPECT_NE(config.find("CabinetOnly=0\nPlayersAtOnce=1\n"), std::string::npos) << config;
    FrontendSettings.CabinetControls.clear();
    forgetCategories();
}

// A console whose game list gives genres and hides a game: the categories and the hidden games
// are rows of their own, chosen and saved like the MAME emulator's.
TEST_F(OptionsMenuTest, GameListGenresAndHiddenGamesAreOffered)
{
    Emulator* console = addEmulator("SMS");
    console->GameList = "gamelist.xml";
    for (const char* name : {"a.sms", "b.sms"})
    {
        Game* game = addGame(name);
        game->Category = categoryNumber(name[0] == 'a' ? "Shooter" : "Puzzle");
        game->Listed =
            std::make_unique<ListedGame>(ListedGame{"", "", "", "", "", "", -1, 0, name[0] == 'b'});
    }
    FrontendState.CurrentEmulator = 0;
    Skin.ShownEmulator = "SMS";
    std::vector<std::string> labels;
    auto readRows = [&]
    {
        for (const MenuNode& row : *OpenMenus.at(0)->Items) labels.push_back(row.Label);
    };
    // Puzzle hidden (the first category), then the hidden games shown.
    EXPECT_EQ(run("dddddddd r r x d r x", readRows), 1);
    EXPECT_EQ(std::vector<std::string>(labels.begin() + 8, labels.begin() + 10),
              (std::vector<std::string>{"Choose Categories", "Show Hidden Games"}));
    EXPECT_EQ(console->HiddenCategories, (std::vector<std::string>{"Puzzle"}));
    EXPECT_EQ(FrontendSettings.ShowHiddenGames, 1);
    saveEmulatorFilters();
    EXPECT_NE(readText(FrontendSettings.ConfigFile).find("HiddenCategories=Puzzle\n"),
              std::string::npos);
    FrontendSettings.ShowHiddenGames = 0;
    forgetCategories();
}

TEST_F(OptionsMenuTest, ClosingKeepsFacesTheSystemResolves)
{
    const std::string first = platformListFonts().at(0);
    const std::pair<std::string, std::string> cases[] = {{"Arial", "Arial"},
                                                         {"Times New Roman", "Times New Roman"},
                                                         {"Courier New", "Courier New"},
                                                         {"Liberation Sans", "Liberation Sans"},
                                                         {"No Such Face 42", first}};
    for (const auto& [face, kept] : cases)
    {
        Skin.Fontface = Skin.StatusBarFontFace = face;
        std::vector<std::string> listed;
        EXPECT_EQ(run("x", [&] { listed = OpenMenus.at(0)->Items->at(1).Choices; }), 1);
        EXPECT_EQ(Skin.Fontface + "|" + Skin.StatusBarFontFace, kept + "|" + kept) << face;
        EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end())) << face;
    }
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

TEST_F(OptionsMenuTest, GameInfoWrapsAtWhiteSpaceAndBreaksLongWords)
{
    // The line, the text just fitting the window (one pixel less when marked) and the lines.
    const std::tuple<std::string, std::string, bool, std::vector<std::string>> cases[] = {
        {"abc abc abc", "abc abc", 0, {"abc abc", "abc"}},
        {"abc abc x", "abc abc", 1, {"abc", "abc x"}}, // the blank before is too late
        {"abc  abc", "abc", 0, {"abc", " abc"}},       // only one blank goes at a break
        {"abcdefgh", "abcd", 0, {"abcd", "efgh"}},
        {"\xC3\xA9\xC3\xA9 \xE2\x82\xAC",
         "\xC3\xA9\xC3\xA9",
         0,
         {"\xC3\xA9\xC3\xA9", "\xE2\x82\xAC"}},
        {"W", "", 0, {}}, // one character wider than the window is dropped
    };
    Surface* surface = platformCreateSurface(400, 400);
    createFont(surface, Skin.Fontface, Skin.Fontsize, 0);
    for (const auto& [line, fits, less, expected] : cases)
        EXPECT_EQ(wordWrapText(surface, getTextWidth(surface, fits) - less, {line}), expected)
            << line;
    platformFreeSurface(surface);
}

TEST_F(OptionsMenuTest, GameInfoScrollsBetweenFirstAndLastLineAndClosesOnItsControlsOnly)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 10; i++) lines.push_back("Line " + std::to_string(i));
    platformSetTimer(FrontendState.MainWindow, IdleTimer, 1000); // dispatched by this loop too
    std::vector<int> tops = {0};
    int focusWhileOpen = 0;
    const int* keys = FrontendSettings.Keys;
    testTapKey(keys[KeyExit]); // pressed before it opened: not for it
    Elapsed = 0;
    testOnSleep(runMeanwhile);
    Meanwhile = [&](int t)
    {
        if (ScrollTopLine != tops.back()) tops.push_back(ScrollTopLine);
        if (t == 1000) focusWhileOpen = platformFocusWindow() == ScrollWindow;
        if (t == 50) testPressKey(keys[KeySelectDown]);
        if (t == 2000) testReleaseKey(keys[KeySelectDown]);
        if (t == 2100) testPressKey(keys[KeyP2SelectUp]);
        if (t == 4000) testReleaseKey(keys[KeyP2SelectUp]);
        if (t == 4100) testTapKey(keys[KeyP2Exit]);
    };
    EXPECT_EQ(showGameInfo(lines), 1);
    Meanwhile = nullptr;
    EXPECT_EQ(tops, std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_LE(Elapsed, 4200);
    EXPECT_TRUE(focusWhileOpen);
    EXPECT_EQ(platformFocusWindow(), FrontendState.MainWindow);
    EXPECT_EQ(FrontendState.ScreenSaverActive, 1);            // the idle timer fired meanwhile
    EXPECT_EQ(platformUnregisterClass(ScrollWindowClass), 0); // unregistered when it closed
}

// Left and Right turn the pages round at either end, each opening at its top; a page of
// glyphs is wrapped and drawn in its own measure.
TEST_F(OptionsMenuTest, GameInfoPagesTurnRound)
{
    std::vector<InfoPage> pages = {{"Info", {"a", "b", "c"}, 0},
                                   {"History", {"story"}, 0},
                                   {"Moves", {convertCommandGlyphs("_2_3_6_+_A Fire Fist")}, 1}};
    std::vector<int> shown = {0};
    int scrolled = -1, afterTurn = -1;
    const int* keys = FrontendSettings.Keys;
    Elapsed = 0;
    testOnSleep(runMeanwhile);
    Meanwhile = [&](int t)
    {
        if (ScrollPage != shown.back()) shown.push_back(ScrollPage);
        if (t == 100) testTapKey(keys[KeySelectDown]);
        if (t == 300) scrolled = ScrollTopLine;
        const std::pair<int, KeyBinding> turns[] = {{400, KeySelectPageDown},
                                                    {600, KeyP2SelectPageDown},
                                                    {800, KeySelectPageDown},
                                                    {1000, KeySelectPageUp}};
        for (const auto& [when, key] : turns)
            if (t == when) testTapKey(keys[key]);
        if (t == 500) afterTurn = ScrollTopLine;
        if (t == 1200) testTapKey(keys[KeyGameInfo]);
    };
    EXPECT_EQ(showGameInfo(pages), 1);
    Meanwhile = nullptr;
    EXPECT_EQ(shown, std::vector<int>({0, 1, 2, 0, 2}));
    EXPECT_EQ(scrolled, 1);
    EXPECT_EQ(afterTurn, 0);
}

// The search's keyboard from its first key: typing narrows the list at once (the selection
// kept while the text finds it), Exit gives back the list and selection of before, Done keeps
// the narrowed list, and a text that finds nothing keeps the keyboard open; a stick alone can
// type.
TEST_F(OptionsMenuTest, SearchNarrowsAtEachKeyAndExitRestores)
{
    addEmulator("Any");
    for (const char* name : {"Desk Pinball", "Frog Highway", "Sky Hawk", "Sky Hawk II"})
        addGame(name)->Description = name;
    rebuildVisibleGames();
    FrontendState.CurrentGame = 1;
    auto shown = []
    {
        std::string names;
        for (const Game* game : VisibleGames) names += game->Name + ",";
        return names;
    };
    auto search = [&](const std::string& steps, std::function<void()> check = nullptr)
    {
        std::erase(Script = steps, ' ');
        NextStep = IdleMs = 0;
        SearchKeyboard.Row = SearchKeyboard.Column = 0;
        BeforeFirstStep = check;
        FirstStep = 4;
        runSearch();
        FirstStep = 0;
        EXPECT_EQ(NextStep, Script.size()) << "steps left unplayed";
        EXPECT_FALSE(SearchKeyboard.Open);
    };
    std::string seen;
    search("d l l s x", [&] { seen = shown() + std::to_string(FrontendState.CurrentGame); });
    EXPECT_EQ(seen, "Desk Pinball,Sky Hawk,Sky Hawk II,0"); // "S": Frog Highway has none
    EXPECT_EQ(shown(), "Desk Pinball,Frog Highway,Sky Hawk,Sky Hawk II,");
    EXPECT_EQ(FrontendState.CurrentGame, 1);
    EXPECT_EQ(SearchText, "");
    // "SK", then down to Delete and right to Done, on a stick alone.
    Stick = testPlugJoystick(0, 2, 4, 0);
    initJoystick();
    search("d l l s r r s d d d r s");
    testUnplugJoystick(Stick);
    Stick = -1;
    EXPECT_EQ(SearchText, "SK");
    EXPECT_EQ(shown(), "Desk Pinball,Sky Hawk,Sky Hawk II,");
    // "SK" kept, "0" finds nothing: Done does not close; three Deletes and Done give all back.
    search("d d r r r r r r s d d s l s s s r s");
    EXPECT_EQ(SearchText, "");
    EXPECT_EQ(shown(), "Desk Pinball,Frog Highway,Sky Hawk,Sky Hawk II,");
    // Typed while nothing is listed: nothing is found, and Done waits for the text to go.
    addEmulator("None");
    FrontendState.CurrentEmulator = 1;
    rebuildVisibleGames();
    search("s dddd r s l s r s");
    EXPECT_TRUE(VisibleGames.empty());
    EXPECT_EQ(SearchText, "");
}
