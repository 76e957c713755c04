// Artwork: which file a game's picture comes from, where it is drawn, bad pictures told once,
// and the cache seeing what changes on disk.
#include "config/skin.h"
#include "display/artwork.h"
#include "display/mainscreen.h"
#include "display/picture.h"
#include "display/picturecache.h"
#include "support.h"

const Color Backdrop = 0x202020;
const Rect Whole = {0, 0, 1024, 768};

class Artwork : public InFreshDirectory
{
protected:
    Surface* Screen = nullptr;
    Emulator* Emu = nullptr;
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        resetCatalogue();
        forgetPictures();
        PictureCache.Budget = DefaultPictureBudget;
        Skin = SkinRecord();
        FrontendState.ScreenSaverActive = StatusBarHeight = 0;
        Emu = addEmulator("Arcade");
        Emu->Snaps = "snap";
        Emu->Flyers = "flyers";
        fs::create_directories("snap");
        fs::create_directories("flyers");
        Screen = platformCreateSurface(1024, 768);
    }
    void TearDown() override
    {
        platformFreeSurface(Screen);
        forgetPictures();
        resetCatalogue();
        InFreshDirectory::TearDown();
    }
    void clear()
    {
        platformFillRect(Screen, Whole, Backdrop);
    }
    // The colour fills exactly rect.
    void expectDrawnAt(Rect r, Color color)
    {
        EXPECT_EQ(countColour(Screen, r, color), (r.Right - r.Left) * (r.Bottom - r.Top));
        EXPECT_EQ(countColour(Screen, Whole, color), (r.Right - r.Left) * (r.Bottom - r.Top));
    }
};

TEST_F(Artwork, TheFirstCandidateThatExistsIsTaken)
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

TEST_F(Artwork, BoxesPlaceAndSizeThePicture)
{
    // A screenshot is never enlarged: narrower ones centred, lower ones at the top; a box at
    // the end of the number range draws nothing rather than overflow.
    const int far = 2147483647;
    const std::tuple<int, int, int, Rect> cases[] = {{100, 320, 240, {140, 50, 460, 290}},
                                                     {100, 640, 480, {100, 50, 500, 350}},
                                                     {100, 320, 480, {140, 50, 460, 350}},
                                                     {far - 647, 64, 64, {}}};
    Game* game = addGame("shot");
    Skin.ScreenshotStartY = 50;
    Skin.ScreenshotWidth = 400;
    Skin.ScreenshotHeight = 300;
    for (const auto& [x, width, height, drawn] : cases)
    {
        writePicture("snap/shot.png", width, height, 0x00FF00 + width);
        Skin.ScreenshotStartX = x;
        clear();
        drawScreenshot(Screen, game, Whole);
        if (drawn.Right)
            expectDrawnAt(drawn, 0x00FF00 + width);
        else
            EXPECT_EQ(countColour(Screen, Whole, 0x00FF00 + width), 0) << x;
    }
    // A flyer fills its box whatever its shape; a negative start counts from the far edges,
    // above the status bar.
    writePicture("flyers/shot.png", 30, 90, 0xFF0000);
    Skin.FlyerStartX = -250;
    Skin.FlyerStartY = -300;
    Skin.FlyerWidth = 200;
    Skin.FlyerHeight = 100;
    Skin.ShowStatusBar = 1;
    StatusBarHeight = 20;
    clear();
    drawFlyer(Screen, game, Whole);
    expectDrawnAt(Rect{774, 448, 974, 548}, 0xFF0000);
}

TEST_F(Artwork, ABadPictureDrawsNothingAndIsToldOnceAndTheBudgetIsKept)
{
    writePicture("good.png", 40, 40, 0x00FF00);
    writeText("snap/bad.png", readText("good.png").substr(0, 100));
    Skin.ScreenshotWidth = Skin.ScreenshotHeight = 100;
    Game* bad = addGame("bad");
    std::string told = stderrOf(
        [&]
        {
            for (int redraw = 0; redraw < 3; redraw++) clear(), drawScreenshot(Screen, bad, Whole);
        });
    EXPECT_EQ(platformGetPixel(Screen, 5, 5), Backdrop);
    EXPECT_NE(told.find("[snap/bad.png]"), std::string::npos) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    // A picture whose pixels would pass the memory budget is refused the same way.
    PictureCache.Budget = 40 * 40 * 4 - 1;
    Game* good = addGame("good");
    fs::rename("good.png", "snap/good.png");
    EXPECT_NE(stderrOf([&] { EXPECT_EQ(loadArtwork(good, "snap", ""), nullptr); }).find("memory"),
              std::string::npos);
}

TEST_F(Artwork, TheCacheSeesChangesOnDisk)
{
    Game* game = addGame("game");
    Emu->DefaultFlyer = "default.png";
    writePicture("flyers/default.png", 8, 8, 0x0000FF);
    Skin.FlyerWidth = Skin.FlyerHeight = 50;
    auto shown = [&]()
    {
        clear();
        drawFlyer(Screen, game, Whole);
        return platformGetPixel(Screen, 10, 10);
    };
    EXPECT_EQ(shown(), 0x0000FFu);
    writePicture("flyers/game.png", 9, 9, 0x00FF00);
    EXPECT_EQ(shown(), 0x00FF00u) << "added";
    writePicture("flyers/game.png", 10, 10, 0xFF0000);
    EXPECT_EQ(shown(), 0xFF0000u) << "replaced";
    fs::remove("flyers/game.png");
    EXPECT_EQ(shown(), 0x0000FFu) << "removed";
}
