// The main screen read back from the back buffer's pixels: the list view, the status bar, the
// image browser; which file a game's picture comes from and where it goes.
#include "catalogue/history.h"
#include "config/skin.h"
#include "display/artwork.h"
#include "display/imagebrowser.h"
#include "display/layout.h"
#include "display/mainscreen.h"
#include "display/picture.h"
#include "display/picturecache.h"
#include "display/placement.h"
#include "display/prefetch.h"
#include "display/text.h"
#include "support.h"

const Color Red = 0x0000FF, Green = 0x00FF00, White = 0xFFFFFF, Black = 0x000000;
const Rect Whole = {0, 0, 800, 600};

class MainScreen : public InFreshDirectory
{
protected:
    Surface* Screen = nullptr;
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        resetFrontend();
        forgetPictures();
        FrontendState.CurrentEmulator = -1;
        FrontendSettings.SkinDir = "skins";
        FrontendSettings.SkinName = "Missing";
        FrontendSettings.MenuType = ViewList;
        loadSkin(); // every default
        placeSkin(800, 600);
        PictureCache.Budget = DefaultPictureBudget;
        Emulator* emulator = addEmulator("Arcade");
        emulator->Marquees = "marquees";
        emulator->Snaps = "snap";
        fs::create_directories("marquees");
        fs::create_directories("snap");
        Screen = platformCreateSurface(800, 600);
    }
    void TearDown() override
    {
        platformFreeSurface(Screen);
        resetFrontend();
        InFreshDirectory::TearDown();
    }
    void addGames(int count)
    {
        for (int i = 0; i < count; i++)
            VisibleGames.push_back(addGame((i < 10 ? "game0" : "game") + std::to_string(i)));
    }
};

TEST_F(MainScreen, TheListShowsAPageOfNamesWithTheCurrentOneHighlighted)
{
    addGames(20);
    Skin.ListStartX = 40, Skin.ListStartY = 30, Skin.ListWidth = 400;
    Skin.HighlightForecolor = Green;
    FrontendState.CurrentGame = 9;
    createFont(Screen, Skin.Fontface, Skin.Fontsize, 0);
    int line = getTextHeight(Screen);
    drawMainScreen(Screen);
    int statusTop = 600 - ScreenLayout.StatusBarHeight,
        rows = (statusTop - 30) / line; // down to the bar
    ASSERT_GT(rows, 0);
    EXPECT_EQ(ScreenLayout.ListTop, 9 >= rows ? std::min(rows, 20 - rows) : 0);
    int bar = 30 + (9 - ScreenLayout.ListTop) * line;
    // The bar spans the list's width; the current name is green on it, the others red.
    EXPECT_EQ(platformGetPixel(Screen, 399, bar + line - 1), White);
    EXPECT_GT(countColour(Screen, Rect{40, bar, 400, bar + line}, Green), 20);
    EXPECT_EQ(countColour(Screen, Rect{40, bar, 400, bar + line}, Red), 0);
    EXPECT_EQ(countColour(Screen, Rect{400, 30, 800, statusTop}, Red), 0) << "cut at the edge";
    // A list lower than one line shows no names, and the page does not move.
    Skin.ListHeight = 30 + line - 1;
    ScreenLayout.ListTop = 0;
    drawMainScreen(Screen);
    EXPECT_EQ(ScreenLayout.ListTop, 0);
    EXPECT_EQ(countColour(Screen, Rect{0, 0, 800, statusTop}, Red), 0);
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
    const std::tuple<const char*, int, const char*, std::string> cases[] = {
        {"raster", 1, "Namco",
         "Name: Pac-Man  Screen: Raster  Orientation: Vertical  \xC2\xA9"
         "1980, Namco"},
        {"Raster", 2, "Atari",
         "Name: Pac-Man  Screen: Vector  Orientation: Horizontal  \xC2\xA9"
         "1980, Atari"},
        {"raster", 0, "Namco", ""}, // details only when all are known
    };
    game->YearText = "1980";
    for (const auto& [screen, orientation, maker, expected] : cases)
    {
        game->Video =
            std::make_unique<VideoInfo>(VideoInfo{screen, (ScreenOrientation)orientation, 0, 0});
        game->Manufacturer = maker;
        EXPECT_EQ(statusBarDetails(*game), expected);
    }
    // Details longer than the bar stop where the position starts, leaving its margin clear.
    game->Manufacturer = std::string(300, 'M');
    drawStatusBar(Screen, 11, 800, 600);
    EXPECT_EQ(countColour(Screen, Rect{794, 600 - ScreenLayout.StatusBarHeight, 800, 600}, Black),
              0);
    EXPECT_GT(countColour(Screen, Rect{700, 600 - ScreenLayout.StatusBarHeight, 794, 600}, Black),
              10);
    // ... and end a blank before it: no letter runs into the position.
    int positionLeft = 800 - getTextWidth(Screen, statusBarPosition(11)) - 6;
    Rect gap{positionLeft - getTextWidth(Screen, " "), 600 - ScreenLayout.StatusBarHeight,
             positionLeft, 600};
    EXPECT_EQ(countColour(Screen, gap, Black), 0);
}

// A tall snap keeps its shape, centred on black, unless the owner asks for the stretch.
TEST_F(MainScreen, TheScreensaverKeepsAPicturesShape)
{
    addGames(1);
    writePicture("snap/" + VisibleGames[0]->Name + ".png", 10, 40, Red);
    FrontendSettings.ScreenSaverType = SaverScreenshots;
    FrontendState.ScreenSaverActive = 1;
    for (int stretch : {0, 1})
    {
        FrontendSettings.ScreenSaverStretch = stretch;
        drawMainScreen(Screen);
        EXPECT_EQ(countColour(Screen, Rect{0, 0, 100, 600}, Red) > 0, stretch == 1);
        EXPECT_EQ(countColour(Screen, Rect{325, 0, 475, 600}, Red), 150 * 600);
    }
    FrontendState.ScreenSaverActive = 0;
}

TEST_F(MainScreen, TheImageBrowserShowsAPageOfMarqueesInItsGrid)
{
    addGames(30);
    for (int i = 0; i < 30; i++)
        writePicture("marquees/" + VisibleGames[i]->Name + ".png", 3, 3, 0x010101 * (i + 1));
    FrontendSettings.MenuType = ViewImageBrowser;
    FrontendSettings.PreviewBackgroundcolor = White;
    Skin.ListStartX = Skin.ListStartY = Skin.PreviewSpacer = 10;
    Skin.ListWidth = 200, Skin.ListHeight = 80, Skin.ListRows = 3, Skin.ListColumns = 4;
    Skin.HighlightForecolor = Green;
    FrontendState.CurrentGame = 13;
    drawMainScreen(Screen);
    EXPECT_EQ(ScreenLayout.ListTop, 12);
    // Game 13 stands in row 0, column 1: its marquee 180 x 60, 10 pixels in, on the highlight.
    EXPECT_EQ(countColour(Screen, Rect{220, 20, 400, 80}, 0x010101 * 14), 180 * 60);
    EXPECT_EQ(platformGetPixel(Screen, 219, 50), Green);
    EXPECT_EQ(platformGetPixel(Screen, 620, 180), 0x010101u * 24) << "game 23 in the last cell";
    // A favourite's star is a badge on the cell's corner, clear of the marquee's middle.
    toggleFavourite(*VisibleGames[13]);
    Skin.FavouriteColor = Red;
    drawMainScreen(Screen);
    EXPECT_EQ(countColour(Screen, Rect{220, 30, 370, 80}, Red), 0);
    EXPECT_GT(countColour(Screen, Rect{370, 10, 410, 40}, Red), 20);
    // Places and sizes at the ends of the number range draw without harm.
    for (int value : {2147483647, -2147483647})
    {
        Skin.ListStartX = Skin.ListStartY = value;
        Skin.ListWidth = Skin.ListHeight = -value;
        Skin.ListRows = Skin.ListColumns = Skin.PreviewSpacer = 2147483647;
        drawMainScreen(Screen);
    }
    EXPECT_TRUE(boxTexts().empty());
}

// Between ticks the next page's marquees are decoded ahead, nearest first, only while the
// time left holds a slice, and only into room that what the screen shows does not need.
TEST_F(MainScreen, DecodingAheadFillsTheNextPageWithinTheBudgetAndTheTime)
{
    addGames(30);
    for (int i = 0; i < 30; i++)
        writePicture("marquees/" + VisibleGames[i]->Name + ".png", 10, 10, 0x010101 * (i + 1));
    const int64_t marquee = 10 * 10 * 4;
    FrontendSettings.MenuType = ViewImageBrowser;
    Skin.ListWidth = Skin.ListHeight = 20, Skin.ListRows = 2, Skin.ListColumns = 3;
    PictureCache.Budget = 10 * marquee; // the page shown and four more
    drawMainScreen(Screen);
    EXPECT_EQ(prefetchStep(5), 0); // no time for a slice: nothing done
    EXPECT_EQ(PictureCache.Pictures, 6);
    int decoded = 0;
    while (prefetchStep(100)) decoded++;
    EXPECT_EQ(decoded, 4);
    EXPECT_EQ(PictureCache.Bytes, PictureCache.Budget);
    EXPECT_EQ(PictureCache.Evictions, 0);
    int64_t misses = PictureCache.Misses;
    drawMainScreen(Screen); // the page shown was kept whole
    EXPECT_EQ(PictureCache.Misses, misses);
    FrontendState.CurrentGame = 6; // the next page: its first four were decoded ahead
    drawMainScreen(Screen);
    EXPECT_EQ(PictureCache.Misses, misses + 2);
    // The page now shown may push out the old one, never itself.
    while (prefetchStep(100)) decoded++;
    drawMainScreen(Screen);
    EXPECT_EQ(PictureCache.Misses, misses + 2);
    EXPECT_LE(PictureCache.Bytes, PictureCache.Budget);
    forgetPrefetch();
}

TEST_F(MainScreen, ArtworkTheFirstCandidateThatExistsIsTaken)
{
    // Each file's width is 11 + its place here, so the width tells which one was taken.
    const std::string names[] = {"Puzzle (U).png", "Puzzle (U).zip.jpg", "mother.png",
                                 "mother.jpg",     "nosnap.png",         "PUZZLE (u).PNG"};
    const std::pair<std::vector<int>, int> cases[] = {
        {{0, 1, 2, 4}, 11}, {{1, 2, 3}, 12}, {{3, 4}, 14}, {{4}, 15}, {{5}, 16}};
    Game* game = addGame("Puzzle (U).zip");
    game->CloneOf = "mother";
    for (const auto& [files, width] : cases)
    {
        fs::remove_all("snap");
        fs::create_directories("snap");
        for (int file : files)
        {
            std::string made = names[file].ends_with("jpg") ? "snap/x.jpg" : "snap/x.png";
            writePicture(made, 11 + file, 10, 0x0000FF);
            fs::rename(made, "snap/" + names[file]); // the last: folders that ignore case
        }
        const Picture* picture = loadArtwork(game, "snap", "nosnap.png");
        EXPECT_EQ(picture ? picture->Width : 0, width) << names[files[0]];
    }
}

TEST_F(MainScreen, ArtworkBoxesPlaceAndSizeThePicture)
{
    // Never enlarged: narrower ones centred, lower ones at the top; a box at the end of the
    // number range draws nothing rather than overflow. With a design size of 800x600 the box
    // grows with the screen, and the picture's own size by the smaller ratio: on 1280x720
    // that is 1.2, and a picture 1.2 times larger still fits its box.
    const int far = 2147483647;
    struct Case
    {
        int DesignWidth, ScreenWidth, ScreenHeight, X, Width, Height;
        Rect Drawn;
    };
    const Case cases[] = {{0, 800, 600, 100, 320, 240, {140, 50, 460, 290}},
                          {0, 800, 600, 100, 640, 480, {100, 50, 500, 350}},
                          {0, 800, 600, 100, 320, 480, {140, 50, 460, 350}},
                          {0, 800, 600, far - 647, 64, 64, {}},
                          {800, 1600, 1200, 100, 320, 240, {280, 100, 920, 580}},
                          {800, 1280, 720, 100, 320, 240, {288, 60, 672, 348}},
                          {800, 1280, 720, -450, 640, 480, {560, 60, 1200, 420}},
                          {800, 640, 480, 100, 320, 480, {112, 40, 368, 280}}};
    Game* game = addGame("shot");
    Skin.ScreenshotStartY = 50;
    Skin.ScreenshotWidth = 400;
    Skin.ScreenshotHeight = 300;
    for (const Case& c : cases)
    {
        writePicture("snap/shot.png", c.Width, c.Height, 0x00FF00 + c.Width);
        Skin.ScreenshotStartX = c.X;
        Skin.DesignWidth = c.DesignWidth;
        Skin.DesignHeight = c.DesignWidth ? 600 : 0;
        Surface* screen = platformCreateSurface(c.ScreenWidth, c.ScreenHeight);
        Rect whole = {0, 0, c.ScreenWidth, c.ScreenHeight};
        placeSkin(c.ScreenWidth, c.ScreenHeight);
        drawScreenshot(screen, game, whole);
        const Rect& drawn = c.Drawn;
        int area = (drawn.Right - drawn.Left) * (drawn.Bottom - drawn.Top); // exactly there
        EXPECT_EQ(countColour(screen, drawn, 0x00FF00 + c.Width), area)
            << c.X << " " << c.ScreenWidth;
        EXPECT_EQ(countColour(screen, whole, 0x00FF00 + c.Width), area)
            << c.X << " " << c.ScreenWidth;
        platformFreeSurface(screen);
    }
}

// Every place of the layout scales with its own axis and rounds to the nearest pixel; 0 keeps
// its meaning; fonts follow the height; the tall layout replaces only the keys it gives.
TEST_F(MainScreen, TheDesignSizeScalesEveryPlaceAndTheTallLayoutReplacesKeyByKey)
{
    fs::create_directories("skins/Scaled");
    writeText("skins/Scaled/skin.ini",
              "[Settings]\nDesignWidth=800\nDesignHeight=600\nFontsize=18\n"
              "[List]\nListStartX=30\nListStartY=-70\nListWidth=0\nListHeight=1\n"
              "FlyerStartX=-125\nFlyerWidth=120\nStatusBarFontSize=400\n"
              "[ListPortrait]\nListStartY=900\nDesignWidth=600\nDesignHeight=1000\n");
    FrontendSettings.SkinName = "Scaled";
    loadSkin();
    struct Case
    {
        int Width, Height, StartX, StartY, ListHeight, FlyerX, FlyerWidth, Font, StatusFont;
    };
    const Case cases[] = {{800, 600, 30, -70, 1, -125, 120, 18, 400},
                          {1600, 1200, 60, -140, 2, -250, 240, 36, 405},
                          {1280, 720, 48, -84, 1, -200, 192, 22, 405},
                          {400, 300, 15, -35, 1, -63, 60, 9, 200},
                          {1080, 1920, 54, 1728, 2, -225, 216, 35, 405}};
    for (const Case& c : cases)
    {
        std::string told = stderrOf([&] { placeSkin(c.Width, c.Height); });
        EXPECT_EQ(
            std::vector<int>({PlacedSkin.ListStartX, PlacedSkin.ListStartY, PlacedSkin.ListWidth,
                              PlacedSkin.ListHeight, PlacedSkin.FlyerStartX, PlacedSkin.FlyerWidth,
                              PlacedSkin.Fontsize, PlacedSkin.StatusBarFontSize}),
            std::vector<int>({c.StartX, c.StartY, 0, c.ListHeight, c.FlyerX, c.FlyerWidth, c.Font,
                              c.StatusFont}))
            << c.Width << "x" << c.Height;
    }
    EXPECT_EQ(Skin.ListStartY, -70); // what is saved stays the skin's own
    // Design sizes that cannot be used leave screen pixels and say so.
    for (const char* bad :
         {"DesignWidth=0\nDesignHeight=600", "DesignWidth=800",
          "DesignWidth=-800\nDesignHeight=600", "DesignWidth=wide\nDesignHeight=600"})
    {
        writeText("skins/Scaled/skin.ini", std::string("[List]\nListStartX=30\n") + bad + "\n");
        std::string told = stderrOf([] { loadSkin(); });
        EXPECT_NE(told.find("DesignWidth and DesignHeight"), std::string::npos) << bad;
        placeSkin(1600, 1200);
        EXPECT_EQ(PlacedSkin.ListStartX, 30) << bad;
    }
}

TEST_F(MainScreen, ArtworkABadPictureDrawsNothingAndIsToldOnceAndTheBudgetIsKept)
{
    writePicture("good.png", 40, 40, 0x00FF00);
    writeText("snap/bad.png", readText("good.png").substr(0, 100));
    Game* bad = addGame("bad");
    Skin.ScreenshotWidth = Skin.ScreenshotHeight = 100;
    placeSkin(800, 600);
    std::string told = stderrOf(
        [&]
        {
            for (int redraw = 0; redraw < 3; redraw++) drawScreenshot(Screen, bad, Whole);
        });
    EXPECT_EQ(countColour(Screen, Whole, 0), 800 * 600);
    EXPECT_NE(told.find("[snap/bad.png]"), std::string::npos) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    // A picture whose pixels would pass the memory budget is refused the same way.
    PictureCache.Budget = 40 * 40 * 4 - 1;
    Game* good = addGame("good");
    fs::rename("good.png", "snap/good.png");
    EXPECT_NE(stderrOf([&] { EXPECT_EQ(loadArtwork(good, "snap", ""), nullptr); }).find("memory"),
              std::string::npos);
}

// The owner changes artwork while the front end runs: the next draw shows what is on disk now,
// and the cache gives up the least recently used picture first.
TEST_F(MainScreen, ArtworkChangedOnDiskAndTheCacheOrder)
{
    Game* game = addGame("game");
    auto width = [&] { return loadArtwork(game, "snap", "default.png")->Width; };
    writePicture("snap/default.png", 8, 8, 0x0000FF);
    EXPECT_EQ(width(), 8);
    writePicture("snap/game.png", 9, 9, 0x00FF00);
    EXPECT_EQ(width(), 9) << "added";
    writePicture("snap/game.png", 10, 10, 0xFF0000);
    EXPECT_EQ(width(), 10) << "replaced";
    fs::remove("snap/game.png");
    EXPECT_EQ(width(), 8) << "removed";

    for (const char* name : {"a", "b", "c"})
        writePicture(std::string("snap/") + name + ".png", 100, 100, 0);
    PictureCache.Budget = 2 * 100 * 100 * 4 + 8 * 8 * 4; // two of them and the default
    for (const char* name : {"a", "b", "a", "c"}) loadArtwork(addGame(name), "snap", "");
    int64_t misses = PictureCache.Misses;
    loadArtwork(findGame("a", 0), "snap", "");
    EXPECT_EQ(PictureCache.Misses, misses); // b went, a stayed
    loadArtwork(findGame("b", 0), "snap", "");
    EXPECT_EQ(PictureCache.Misses, misses + 1);
}

// The decoder would take memory for every pixel before our limit is checked; the second has a
// marker the decoder does not know before its frame.
TEST(Pictures, ProgressiveJpegTooLargeIsRefusedFromItsFrameHeader)
{
    for (std::string start :
         {std::string("\xFF\xD8\xFF\xC2"), std::string("\xFF\xD8\xFF\x63\xFF\xC2")})
    {
        std::string why,
            header = start + std::string("\x00\x0B\x08\xEA\x60\xEA\x60\x01\x01\x11\x00", 11);
        EXPECT_EQ(decodePicture(header, 1, DefaultPictureBudget, why), nullptr);
        EXPECT_EQ(why, "60000x60000 pixels are more than the memory kept for pictures");
    }
}

// The first row shown for the selection: a page moves only when the selection leaves it, and a
// list that shrank under its old page (a filter) is shown from its start or its last page.
TEST(PageTop, FollowsTheSelectionAndNeverLeavesRowsEmpty)
{
    const int cases[][5] = {// top, current, count, page, expected
                            {20, 25, 100, 10, 20}, {20, 35, 100, 10, 30}, {0, 99, 100, 10, 90},
                            {95, 0, 100, 10, 0},   {9, 9, 18, 27, 0},     {50, 12, 18, 10, 8}};
    for (const auto& c : cases)
        EXPECT_EQ(pageTop(c[0], c[1], c[2], c[3]), c[4]) << c[0] << " " << c[1];
}
