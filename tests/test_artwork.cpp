// Artwork: which file a game's picture comes from, where it is drawn, its true colours, bad
// pictures told once, and the cache seeing what changes on disk.
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

TEST_F(Artwork, EveryKindOfPictureKeepsItsColoursAndTheRightWayUp)
{
    // Bits per pixel, negative for grey; the top half one colour, the bottom half another.
    const std::pair<const char*, int> cases[] = {
        {"rgb24.png", 24}, {"rgba32.png", 32},  {"palette.png", 8}, {"grey.png", -8},
        {"rgb48.png", 48}, {"grey16.png", -16}, {"rgbj.jpg", 24},   {"greyj.jpg", -8}};
    Skin.FlyerWidth = Skin.FlyerHeight = 80;
    for (auto [file, bits] : cases)
    {
        RGBQUAD halves[] = {{0x30, 0x60, 0xC0, 0}, {0xC0, 0x90, 0x10, 0}}; // blue first
        if (bits < 0) halves[0] = {0x40, 0x40, 0x40, 0}, halves[1] = {0xD0, 0xD0, 0xD0, 0};
        FIBITMAP* rgb = FreeImage_Allocate(8, 8, 24);
        for (unsigned y = 0; y < 8; y++) // rows are stored bottom-up
            for (unsigned x = 0; x < 8; x++) FreeImage_SetPixelColor(rgb, x, y, &halves[y < 4]);
        FIBITMAP* saved = bits == -8    ? FreeImage_ConvertToGreyscale(rgb)
                          : bits == 8   ? FreeImage_ColorQuantize(rgb, FIQ_WUQUANT)
                          : bits == 32  ? FreeImage_ConvertTo32Bits(rgb)
                          : bits == 48  ? FreeImage_ConvertToRGB16(rgb)
                          : bits == -16 ? FreeImage_ConvertToUINT16(rgb)
                                        : rgb;
        if (bits == 32) // half transparent: the colours stay what the file says
            for (unsigned y = 0; y < 8; y++)
                for (unsigned x = 0; x < 8; x++) FreeImage_GetScanLine(saved, y)[x * 4 + 3] = 0x80;
        bool jpeg = std::string(file).ends_with("jpg");
        ASSERT_TRUE(FreeImage_Save(jpeg ? FIF_JPEG : FIF_PNG, saved,
                                   ("flyers/" + std::string(file)).c_str(),
                                   jpeg ? JPEG_QUALITYSUPERB : 0));
        if (saved != rgb) FreeImage_Unload(saved);
        FreeImage_Unload(rgb);
        clear();
        drawFlyer(Screen, addGame(fs::path(file).stem().string()), Whole);
        for (int half = 0; half < 2; half++)
        {
            Color seen = platformGetPixel(Screen, 5 + 70 * half, 5 + 70 * half);
            const BYTE want[] = {halves[half].rgbRed, halves[half].rgbGreen, halves[half].rgbBlue};
            for (int i = 0; i < 3; i++) // JPEG keeps colours only nearly
                EXPECT_NEAR((seen >> (8 * i)) & 0xFF, want[i], 12) << file << std::hex << seen;
        }
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

TEST_F(Artwork, TheCacheSeesChangesOnDiskAndDropsTheLeastRecentlyUsed)
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

    forgetPictures();
    for (const char* name : {"a", "b", "c"})
        writePicture(std::string("snap/") + name + ".png", 100, 100, 0x00FF00), addGame(name);
    PictureCache.Budget = 2 * 100 * 100 * 4; // two pictures
    for (const char* name : {"a", "b", "a", "c"}) loadArtwork(findGame(name), "snap", ""); // b goes
    int64_t misses = PictureCache.Misses;
    loadArtwork(findGame("a"), "snap", "");
    EXPECT_EQ(PictureCache.Misses, misses);
    loadArtwork(findGame("b"), "snap", "");
    EXPECT_EQ(PictureCache.Misses, misses + 1);
}

TEST_F(Artwork, TheBackgroundIsBackPngOrTheViewsColour)
{
    FrontendSettings.SkinDir = "skins";
    FrontendSettings.SkinName = "Mine";
    FrontendSettings.PreviewBackgroundcolor = 0x00FF00;
    Skin.Backgroundcolor = 0x0000FF;
    for (int menuType : {1, 2})
    {
        FrontendSettings.MenuType = menuType;
        loadBackgroundImage();
        drawBackground(Screen, Whole);
        EXPECT_EQ(platformGetPixel(Screen, 500, 500), menuType == 1 ? 0x0000FFu : 0x00FF00u);
    }
    fs::create_directories("skins/Mine");
    writePicture("skins/Mine/back.png", 2, 2, 0xABCDEF);
    loadBackgroundImage();
    drawBackground(Screen, Whole);
    EXPECT_EQ(platformGetPixel(Screen, 1023, 767), 0xABCDEFu);
    freeArtwork();
}
