// The main screen: the page rule, the list view, the status bar, the image browser and the
// screensaver, read back from the pixels of the back buffer.
#include "config/skin.h"
#include "core/frontend.h"
#include "display/artwork.h"
#include "display/imagebrowser.h"
#include "display/mainscreen.h"
#include "display/picturecache.h"
#include "display/text.h"
#include "platform/window.h"
#include "support.h"

TEST(PageRule, MovesByWholePagesFromWhereThePageStood)
{
    struct
    {
        int Top, Current, Count, Page, Expected;
    } cases[] = {
        {0, 7, 20, 8, 0},
        {0, 8, 20, 8, 8},
        {8, 16, 20, 8, 12},
        {12, 11, 20, 8, 4},
        {7, 3, 20, 5, 2},
        {12, 29, 30, 12, 18},
        {12, 11, 30, 12, 0},
        {50, 5, 10, 20, 0}, // a page left over from a longer list
        {0, 44999, 45000, 1, 44999},
        {2147483000, 3, 10, 2147483647, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageTop(c.Top, c.Current, c.Count, c.Page), c.Expected)
            << c.Top << " " << c.Current << " " << c.Count << " " << c.Page;
}

const Color Red = 0x0000FF, Green = 0x00FF00, White = 0xFFFFFF, Black = 0x000000;

class MainScreen : public InFreshDirectory
{
protected:
    Surface* Screen = nullptr;
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        resetCatalogue();
        forgetPictures();
        FrontendState = FrontendStateRecord();
        FrontendState.CurrentEmulator = -1;
        FrontendSettings.SkinDir = "skins";
        FrontendSettings.SkinName = "Missing";
        FrontendSettings.MenuType = 1;
        loadSkin(); // every default
        ListTop = 0;
        Emulator* emulator = addEmulator("Arcade");
        emulator->Marquees = "marquees";
        fs::create_directories("marquees");
        Screen = platformCreateSurface(800, 600);
    }
    void TearDown() override
    {
        platformFreeSurface(Screen);
        VisibleGames.clear();
        freeArtwork();
        resetCatalogue();
        InFreshDirectory::TearDown();
    }
    void addGames(int count)
    {
        for (int i = 0; i < count; i++)
        {
            char name[16];
            snprintf(name, sizeof name, "game%02d", i);
            VisibleGames.push_back(addGame(name));
        }
    }
};

TEST_F(MainScreen, TheListShowsAPageOfNamesWithTheCurrentOneHighlighted)
{
    addGames(20);
    Skin.ListStartX = 40;
    Skin.ListStartY = 30;
    Skin.ListWidth = 400;
    Skin.HighlightForecolor = Green;
    FrontendState.CurrentGame = 9;
    createFont(Screen, Skin.Fontface, Skin.Fontsize, 0);
    int lineHeight = getTextHeight(Screen);
    drawMainScreen(Screen);
    int statusTop = 600 - StatusBarHeight;
    int rows = (statusTop - 30) / lineHeight; // the list runs down to the status bar
    ASSERT_GT(rows, 0);
    EXPECT_EQ(ListTop, 9 >= rows ? std::min(rows, 20 - rows) : 0);
    int barTop = 30 + (9 - ListTop) * lineHeight;
    // The bar spans the list's width; the current name is green on it, the others red.
    EXPECT_EQ(platformGetPixel(Screen, 399, barTop + lineHeight - 1), White);
    EXPECT_EQ(platformGetPixel(Screen, 39, barTop), Black);
    EXPECT_GT(countColour(Screen, Rect{40, barTop, 400, barTop + lineHeight}, Green), 20);
    EXPECT_EQ(countColour(Screen, Rect{40, barTop, 400, barTop + lineHeight}, Red), 0);
    EXPECT_GT(countColour(Screen, Rect{40, 30, 400, 30 + lineHeight}, Red), 20);
    EXPECT_EQ(countColour(Screen, Rect{40, 30, 46, barTop}, Red), 0) << "names are indented";
    EXPECT_EQ(countColour(Screen, Rect{400, 30, 800, statusTop}, Red), 0) << "cut at the edge";
    int shownRows = std::min(rows, 20 - ListTop);
    EXPECT_EQ(countColour(Screen, Rect{0, 30 + shownRows * lineHeight, 800, statusTop}, Red), 0);
    // The status bar: white along the bottom, its text black.
    EXPECT_EQ(platformGetPixel(Screen, 2, 599), White);
    EXPECT_GT(countColour(Screen, Rect{400, statusTop, 800, 600}, Black), 10);
    // A list lower than one line shows no names, and the page does not move.
    Skin.ListHeight = 30 + lineHeight - 1;
    ListTop = 0;
    drawMainScreen(Screen);
    EXPECT_EQ(ListTop, 0);
    EXPECT_EQ(countColour(Screen, Rect{0, 0, 800, statusTop}, Red), 0);
}

TEST_F(MainScreen, ShadowsEmptyListsAndTheScreensaver)
{
    addGames(3);
    Skin.TextShadow = 1;
    Skin.Fontcolor = Black;
    Skin.HighlightForecolor = Black;
    Skin.Backgroundcolor = 0x808080;
    Skin.ShowHighlightBar = 0;
    Skin.ShowStatusBar = 0;
    drawMainScreen(Screen);
    // Black text with a black shadow: every text pixel has a black one right and below it.
    int lineHeight = getTextHeight(Screen);
    EXPECT_GT(countColour(Screen, Rect{0, 0, 400, 3 * lineHeight + 1}, Black), 40);
    EXPECT_EQ(platformGetPixel(Screen, 5, 599), 0x808080u) << "no status bar";
    // An empty list shows only the background.
    VisibleGames.clear();
    Skin.ShowStatusBar = 1;
    drawMainScreen(Screen);
    EXPECT_EQ(countColour(Screen, Rect{0, 0, 800, 600}, 0x808080), 800 * 600);
    // The screensaver moves the selection on, wrapping, and fills the screen with its picture.
    for (int i = 0; i < 3; i++) VisibleGames.push_back(AllGames[i]);
    EmulatorTable[0]->Flyers = "flyers";
    fs::create_directories("flyers");
    writePicture("flyers/game00.png", 4, 4, Green);
    FrontendState.CurrentGame = 2;
    FrontendState.ScreenSaverActive = 1;
    drawMainScreen(Screen);
    EXPECT_EQ(FrontendState.CurrentGame, 0);
    EXPECT_EQ(countColour(Screen, Rect{0, 0, 800, 600}, Green), 800 * 600);
    drawMainScreen(Screen); // game01 has no flyer: the screen keeps the last picture
    EXPECT_EQ(FrontendState.CurrentGame, 1);
    EXPECT_EQ(platformGetPixel(Screen, 400, 300), Green);
}

TEST_F(MainScreen, TheStatusBarNamesTheEmulatorThePlaceAndTheGame)
{
    addGames(12);
    addEmulator("MAME");
    Game* game = VisibleGames[11];
    game->Description = "Pac-Man";
    EXPECT_EQ(statusBarPosition(11), " (All) 12/12");
    FrontendState.CurrentEmulator = 1;
    EXPECT_EQ(statusBarPosition(0), " (MAME) 1/12");
    struct
    {
        const char* Screen;
        int Orientation, Year;
        const char *Maker, *Expected;
    } cases[] = {
        {"raster", 1, 1980, "Namco",
         "Name: Pac-Man  Screen: Raster  Orientation: Vertical  \xC2\xA9"
         "1980, Namco"},
        {"Raster", 2, 1981, "Atari",
         "Name: Pac-Man  Screen: Vector  Orientation: Horizontal  \xC2\xA9"
         "1981, Atari"},
        {"raster", 0, 1980, "Namco", ""},
        {"raster", 1, 0, "Namco", ""},
        {"raster", 1, 1980, "", ""},
    };
    EXPECT_EQ(statusBarDetails(*game), "") << "no screen at all";
    for (const auto& c : cases)
    {
        game->Video =
            std::make_unique<VideoInfo>(VideoInfo{c.Screen, (uint16_t)c.Orientation, 0, 0});
        game->Year = c.Year;
        game->Manufacturer = c.Maker;
        EXPECT_EQ(statusBarDetails(*game), c.Expected);
    }
    // Details longer than the bar stop where the position starts, leaving its margin clear.
    game->Manufacturer = std::string(300, 'M');
    drawStatusBar(Screen, 11, 800, 600);
    EXPECT_EQ(countColour(Screen, Rect{794, 600 - StatusBarHeight, 800, 600}, Black), 0);
    EXPECT_GT(countColour(Screen, Rect{700, 600 - StatusBarHeight, 794, 600}, Black), 10);
}

TEST_F(MainScreen, TheImageBrowserShowsAPageOfMarqueesInItsGrid)
{
    addGames(30);
    for (int i = 0; i < 30; i++)
        writePicture("marquees/" + VisibleGames[i]->Name + ".png", 3, 3, 0x010101 * (i + 1));
    FrontendSettings.MenuType = 2;
    FrontendSettings.PreviewBackgroundcolor = White;
    Skin.ListStartX = 10;
    Skin.ListStartY = 10;
    Skin.ListWidth = 200;
    Skin.ListHeight = 80;
    Skin.ListRows = 3;
    Skin.ListColumns = 4;
    Skin.PreviewSpacer = 10;
    Skin.HighlightForecolor = Green;
    FrontendState.CurrentGame = 13;
    drawMainScreen(Screen);
    EXPECT_EQ(ListTop, 12);
    // Game 13 stands in row 0, column 1: its marquee 180 x 60, 10 pixels in, on the highlight.
    Color marquee13 = 0x010101 * 14;
    EXPECT_EQ(countColour(Screen, Rect{220, 20, 400, 80}, marquee13), 180 * 60);
    EXPECT_EQ(platformGetPixel(Screen, 219, 50), Green);
    EXPECT_EQ(platformGetPixel(Screen, 210, 50), Black) << "the highlight's outline";
    EXPECT_EQ(platformGetPixel(Screen, 20, 20), 0x010101u * 13) << "game 12 in the first cell";
    EXPECT_EQ(platformGetPixel(Screen, 620, 180), 0x010101u * 24) << "game 23 in the last";
    EXPECT_EQ(platformGetPixel(Screen, 15, 50), 0xFFFFFFu) << "the preview background";
    FrontendState.CurrentGame = 29;
    drawMainScreen(Screen);
    EXPECT_EQ(ListTop, 18);
    EXPECT_EQ(platformGetPixel(Screen, 20, 20), 0x010101u * 19);
    // Fewer games than cells fill the grid row by row; a grid without cells shows no marquee.
    VisibleGames.resize(5);
    FrontendState.CurrentGame = 4;
    drawMainScreen(Screen);
    EXPECT_EQ(platformGetPixel(Screen, 20, 100), 0x010101u * 5);
    EXPECT_EQ(platformGetPixel(Screen, 220, 100), 0xFFFFFFu);
    Skin.ListRows = 0;
    drawMainScreen(Screen);
    EXPECT_EQ(platformGetPixel(Screen, 20, 20), 0xFFFFFFu);
}

TEST_F(MainScreen, OddSizesAndNamesDrawWithoutHarm)
{
    addGames(3);
    VisibleGames[0]->Description = std::string(2000, 'W');
    VisibleGames[1]->Description = "Pok\xe9mon \xff\xfe\xc3 (J)";
    Skin.ListWidth = 300;
    for (int size : {0, -5, 100000})
    {
        Skin.Fontsize = size;
        Skin.StatusBarFontSize = size;
        for (int current = 0; current < 3; current++)
        {
            FrontendState.CurrentGame = current;
            drawMainScreen(Screen);
        }
        EXPECT_EQ(countColour(Screen, Rect{310, 0, 800, 300}, Red), 0) << size;
    }
    // Places and sizes at the ends of the number range, in both views.
    const int far = 2147483647;
    for (int menuType : {1, 2})
        for (int value : {far, -far})
        {
            FrontendSettings.MenuType = menuType;
            Skin.ListStartX = Skin.ListStartY = value;
            Skin.ListWidth = Skin.ListHeight = -value;
            Skin.ListRows = Skin.ListColumns = Skin.PreviewSpacer = far;
            drawMainScreen(Screen);
        }
    EXPECT_TRUE(boxTexts().empty());
}
