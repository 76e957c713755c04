// Artwork: which file a game's picture comes from, where it is drawn, every kind of PNG and
// JPEG drawn with its true colours, bad pictures drawn as nothing (and told once), and the
// cache seeing what changes on disk.
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
    // The picture colour fills exactly rect: checked at its corners and just outside them.
    void expectDrawnAt(Rect rect, Color color)
    {
        EXPECT_EQ(platformGetPixel(Screen, rect.Left, rect.Top), color);
        EXPECT_EQ(platformGetPixel(Screen, rect.Right - 1, rect.Bottom - 1), color);
        EXPECT_EQ(platformGetPixel(Screen, rect.Left - 1, rect.Top), Backdrop);
        EXPECT_EQ(platformGetPixel(Screen, rect.Right, rect.Bottom - 1), Backdrop);
        EXPECT_EQ(platformGetPixel(Screen, rect.Right - 1, rect.Bottom), Backdrop);
    }
};

TEST_F(Artwork, TheFirstCandidateThatExistsIsTaken)
{
    // Each file has a width of its own (11 + its place here), so the width tells which was taken.
    const std::string candidates[] = {"Puzzle (U).png", "Puzzle (U).zip.jpg", "mother.png",
                                      "mother.jpg",     "nosnap.png",         "nosnap.jpg",
                                      "nosnap.gif",     "PUZZLE (u).PNG",     "other.png"};
    struct
    {
        std::vector<int> Files; // places in candidates
        std::string Default, CloneOf;
        int Width; // 0: nothing
    } cases[] = {
        {{0, 1, 2, 4}, "nosnap.png", "mother", 11},
        {{1, 2, 3}, "", "mother", 12},
        {{7}, "", "", 18}, // folders copied from a file system that ignores case
        {{2, 3, 4}, "nosnap.png", "mother", 13},
        {{3, 4}, "nosnap.png", "mother", 14},
        {{2, 4}, "nosnap.png", "", 15},
        {{5}, "nosnap.jpg", "mother", 16},
        {{6}, "nosnap.gif", "", 0}, // holds a JPEG, so the PNG decoder refuses it
        {{8}, "", "mother", 0},
    };
    Game* game = addGame("Puzzle (U).zip");
    testing::internal::CaptureStderr();
    for (const auto& c : cases)
    {
        fs::remove_all("snap");
        fs::create_directories("snap");
        for (int file : c.Files)
        {
            std::string made =
                candidates[file].ends_with("jpg") || candidates[file].ends_with("gif")
                    ? "snap/x.jpg"
                    : "snap/x.png";
            writePicture(made, 11 + file, 10, 0x0000FF);
            fs::rename(made, "snap/" + candidates[file]);
        }
        Emu->DefaultSnap = c.Default;
        game->CloneOf = c.CloneOf;
        const Picture* picture = loadArtwork(game, "snap", Emu->DefaultSnap);
        EXPECT_EQ(picture ? picture->Width : 0, c.Width) << candidates[c.Files[0]];
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(Artwork, BoxesPlaceAndSizeThePicture)
{
    // A screenshot is never enlarged: narrower ones are centred, lower ones stay at the top.
    // Boxes outside the screen or of no size draw nothing and do not overflow.
    const int far = 2147483647;
    struct
    {
        int X, Y, Width, Height, PictureWidth, PictureHeight;
        Rect Drawn; // empty: nothing
    } cases[] = {
        {100, 50, 400, 300, 320, 240, {140, 50, 460, 290}},
        {100, 50, 400, 300, 640, 480, {100, 50, 500, 350}},
        {100, 50, 400, 300, 320, 480, {140, 50, 460, 350}},
        {far - 647, 0, far - 647, 300, 64, 64, {}},
        {-far, -far, far, far, 64, 64, {}},
        {0, 0, -400, 300, 64, 64, {}},
        {5000, 5000, 100, 100, 64, 64, {}},
    };
    Game* game = addGame("shot");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.X << " " << c.PictureWidth);
        Color color = 0x00FF00 + c.PictureWidth;
        writePicture("snap/shot.png", c.PictureWidth, c.PictureHeight, color);
        Skin.ScreenshotStartX = c.X;
        Skin.ScreenshotStartY = c.Y;
        Skin.ScreenshotWidth = c.Width;
        Skin.ScreenshotHeight = c.Height;
        clear();
        drawScreenshot(Screen, game, Whole);
        if (c.Drawn.Right)
            expectDrawnAt(c.Drawn, color);
        else
            EXPECT_EQ(countColour(Screen, Whole, color), 0);
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
    // A box without width shows nothing and does not look for the file.
    Skin.FlyerWidth = 0;
    clear();
    int64_t looks = PictureCache.Misses + PictureCache.Hits;
    drawFlyer(Screen, game, Whole);
    EXPECT_EQ(platformGetPixel(Screen, 800, 460), Backdrop);
    EXPECT_EQ(PictureCache.Misses + PictureCache.Hits, looks);
}

TEST_F(Artwork, EveryKindOfPictureKeepsItsColoursAndTheRightWayUp)
{
    struct
    {
        const char* File;
        int Bits, Grey;
    } cases[] = {{"rgb24.png", 24, 0}, {"rgba32.png", 32, 0}, {"palette.png", 8, 0},
                 {"grey.png", 8, 1},   {"rgb48.png", 48, 0},  {"grey16.png", 16, 1},
                 {"rgbj.jpg", 24, 0},  {"greyj.jpg", 8, 1}};
    Skin.FlyerWidth = Skin.FlyerHeight = 80;
    for (const auto& c : cases)
    {
        // The top half one colour, the bottom half another; rows are stored bottom-up.
        FIBITMAP* rgb = FreeImage_Allocate(8, 8, 24);
        RGBQUAD top = {0x30, 0x60, 0xC0, 0}, bottom = {0xC0, 0x90, 0x10, 0}; // blue first
        if (c.Grey) top = {0x40, 0x40, 0x40, 0}, bottom = {0xD0, 0xD0, 0xD0, 0};
        for (unsigned y = 0; y < 8; y++)
            for (unsigned x = 0; x < 8; x++)
                FreeImage_SetPixelColor(rgb, x, y, y >= 4 ? &top : &bottom);
        FIBITMAP* saved = c.Bits == 8 && c.Grey ? FreeImage_ConvertToGreyscale(rgb)
                          : c.Bits == 8         ? FreeImage_ColorQuantize(rgb, FIQ_WUQUANT)
                          : c.Bits == 32        ? FreeImage_ConvertTo32Bits(rgb)
                          : c.Bits == 48        ? FreeImage_ConvertToRGB16(rgb)
                          : c.Bits == 16        ? FreeImage_ConvertToUINT16(rgb)
                                                : rgb;
        ASSERT_TRUE(saved) << c.File;
        if (c.Bits == 32) // half transparent: the colours stay what the file says
            for (unsigned y = 0; y < 8; y++)
                for (unsigned x = 0; x < 8; x++) FreeImage_GetScanLine(saved, y)[x * 4 + 3] = 0x80;
        int jpeg = std::string(c.File).ends_with("jpg");
        std::string path = "flyers/" + std::string(c.File);
        ASSERT_TRUE(FreeImage_Save(jpeg ? FIF_JPEG : FIF_PNG, saved, path.c_str(),
                                   jpeg ? JPEG_QUALITYSUPERB : 0));
        if (saved != rgb) FreeImage_Unload(saved);
        FreeImage_Unload(rgb);

        clear();
        drawFlyer(Screen, addGame(fs::path(c.File).stem().string()), Whole);
        Color expected[] = {c.Grey ? 0x404040u : 0x3060C0u, c.Grey ? 0xD0D0D0u : 0xC09010u};
        for (int half = 0; half < 2; half++)
        {
            Color seen = platformGetPixel(Screen, 5 + 70 * half, 5 + 70 * half);
            for (int shift = 0; shift < 24; shift += 8) // JPEG keeps colours only nearly
                EXPECT_NEAR((seen >> shift) & 0xFF, (expected[half] >> shift) & 0xFF, 12)
                    << c.File << std::hex << " " << seen;
        }
    }
}

// A PNG whose header claims the given size; the header's checksum is right, so only the size
// can make a decoder refuse it.
static std::string pngClaiming(uint32_t width, uint32_t height)
{
    writePicture("small.png", 4, 4, 0);
    std::string bytes = readText("small.png");
    const size_t type = 12; // after the signature and the chunk's length: "IHDR", then fields
    for (int i = 0; i < 4; i++)
    {
        bytes[type + 4 + i] = (char)(width >> (24 - 8 * i));
        bytes[type + 8 + i] = (char)(height >> (24 - 8 * i));
    }
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = type; i < type + 17; i++)
    {
        crc ^= (uint8_t)bytes[i];
        for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    for (int i = 0; i < 4; i++) bytes[type + 17 + i] = (char)(~crc >> (24 - 8 * i));
    return bytes;
}

TEST_F(Artwork, BadPicturesDrawNothingAndAreToldOncePerFile)
{
    writePicture("good.png", 40, 40, 0x00FF00);
    writePicture("good.jpg", 40, 40, 0x00FF00);
    std::string png = readText("good.png"), jpeg = readText("good.jpg");
    std::vector<std::pair<std::string, std::string>> files = {
        {"truncated.png", png.substr(0, png.size() / 2)},
        {"empty.png", ""},
        {"reallyjpeg.png", jpeg},
        {"reallypng.jpg", png},
        {"huge.png", pngClaiming(30000, 30000)},
        {"wide.png", pngClaiming(0x7FFFFFFF, 1)},
        {"garbage.jpg", std::string(5000, '\xff')},
    };
    for (const auto& [name, bytes] : files) writeText("snap/" + name, bytes);
    fs::create_directories("snap/folder.png");
    files.push_back({"folder.png", ""});
    Skin.ScreenshotWidth = Skin.ScreenshotHeight = 100;
    for (const auto& file : files)
    {
        // <Name>.png is the first candidate, <Name>.jpg the second.
        Game* game = addGame(fs::path(file.first).stem().string());
        std::string told = stderrOf(
            [&]
            {
                for (int redraw = 0; redraw < 3; redraw++)
                    clear(), drawScreenshot(Screen, game, Whole);
            });
        EXPECT_EQ(platformGetPixel(Screen, 5, 5), Backdrop) << file.first;
        EXPECT_NE(told.find("[snap/" + file.first + "]"), std::string::npos) << told;
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    }
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
    EXPECT_EQ(shown(), 0x0000FFu);
    EXPECT_EQ(PictureCache.Hits, 1);
    writePicture("flyers/game.png", 9, 9, 0x00FF00);
    EXPECT_EQ(shown(), 0x00FF00u) << "added";
    writePicture("flyers/game.png", 10, 10, 0xFF0000);
    EXPECT_EQ(shown(), 0xFF0000u) << "replaced";
    fs::remove("flyers/game.png");
    EXPECT_EQ(shown(), 0x0000FFu) << "removed";

    forgetPictures();
    for (const char* name : {"a", "b", "c"})
    {
        writePicture(std::string("snap/") + name + ".png", 100, 100, 0x00FF00);
        addGame(name);
    }
    PictureCache.Budget = 2 * 100 * 100 * 4; // two pictures
    for (const char* name : {"a", "b", "a", "c"}) loadArtwork(findGame(name), "snap", ""); // b goes
    EXPECT_EQ(PictureCache.Evictions, 1);
    EXPECT_EQ(PictureCache.Pictures, 2);
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
    writeText("skins/Mine/back.png", "not a picture");
    EXPECT_NE(stderrOf(loadBackgroundImage).find("skins/Mine/back.png"), std::string::npos);
    EXPECT_EQ(BackgroundImage, nullptr);
    writePicture("skins/Mine/back.png", 2, 2, 0xABCDEF);
    loadBackgroundImage();
    drawBackground(Screen, Whole);
    EXPECT_EQ(platformGetPixel(Screen, 1023, 767), 0xABCDEFu);
    freeArtwork();
}
