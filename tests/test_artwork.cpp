// Artwork: which file a game's picture comes from, where it is drawn, bad pictures told once.
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
    void SetUp() override
    {
        InFreshDirectory::SetUp();
        startTestPlatform();
        resetCatalogue();
        forgetPictures();
        PictureCache.Budget = DefaultPictureBudget;
        Skin = SkinRecord();
        FrontendState.ScreenSaverActive = StatusBarHeight = 0;
        addEmulator("Arcade")->Snaps = "snap";
        fs::create_directories("snap");
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
    // Never enlarged: narrower ones centred, lower ones at the top; a box at the end of the
    // number range draws nothing rather than overflow.
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
        int area = (drawn.Right - drawn.Left) * (drawn.Bottom - drawn.Top); // exactly there
        EXPECT_EQ(countColour(Screen, drawn, 0x00FF00 + width), area) << x;
        EXPECT_EQ(countColour(Screen, Whole, 0x00FF00 + width), area) << x;
    }
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
