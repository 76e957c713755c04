// Artwork: which file a game's picture comes from, where it is drawn, every kind of PNG and
// JPEG drawn with its true colours, bad pictures drawn as nothing (and told once), and the
// cache seeing what changes on disk.
#include "config/skin.h"
#include "core/frontend.h"
#include "display/artwork.h"
#include "display/mainscreen.h"
#include "display/picture.h"
#include "display/picturecache.h"
#include "platform/window.h"
#include "support.h"

const Color Backdrop = 0x202020;

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
        FrontendState.ScreenSaverActive = 0;
        StatusBarHeight = 0;
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
        platformFillRect(Screen, Rect{0, 0, 1024, 768}, Backdrop);
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
    int shownWidth(const Game* game)
    {
        const Picture* picture = loadArtwork(game, "snap", Emu->DefaultSnap);
        return picture ? picture->Width : 0;
    }
};

// Each file has a width of its own (11 + its place here), so the width tells which was taken.
const std::vector<std::string> Candidates = {"Puzzle (U).png", "Puzzle (U).zip.jpg", "mother.png",
                                             "mother.jpg",     "nosnap.png",         "nosnap.jpg",
                                             "nosnap.gif",     "PUZZLE (u).PNG",     "other.png"};

TEST_F(Artwork, TheFirstCandidateThatExistsIsTaken)
{
    struct Case
    {
        std::vector<int> Files; // places in Candidates
        std::string Default, CloneOf;
        int Width; // 0: nothing
    };
    const Case cases[] = {
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
    for (const Case& c : cases)
    {
        fs::remove_all("snap");
        fs::create_directories("snap");
        for (int file : c.Files)
        {
            std::string made =
                Candidates[file].ends_with("jpg") || Candidates[file].ends_with("gif")
                    ? "snap/x.jpg"
                    : "snap/x.png";
            writePicture(made, 11 + file, 10, 0x0000FF);
            fs::rename(made, "snap/" + Candidates[file]);
        }
        Emu->DefaultSnap = c.Default;
        game->CloneOf = c.CloneOf;
        EXPECT_EQ(shownWidth(game), c.Width) << Candidates[c.Files[0]];
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(Artwork, BoxesPlaceAndSizeThePicture)
{
    struct Case
    {
        int Width, Height;
        Rect Drawn;
    };
    // A screenshot is never enlarged: narrower ones are centred, lower ones stay at the top.
    const Case screenshots[] = {{320, 240, {140, 50, 460, 290}},
                                {640, 480, {100, 50, 500, 350}},
                                {320, 480, {140, 50, 460, 350}}};
    Game* game = addGame("shot");
    Skin.ScreenshotStartX = 100;
    Skin.ScreenshotStartY = 50;
    Skin.ScreenshotWidth = 400;
    Skin.ScreenshotHeight = 300;
    for (const Case& c : screenshots)
    {
        writePicture("snap/shot.png", c.Width, c.Height, 0x00FF00 + c.Width);
        clear();
        drawScreenshot(Screen, game, Rect{0, 0, 1024, 768});
        expectDrawnAt(c.Drawn, 0x00FF00 + c.Width);
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
    drawFlyer(Screen, game, Rect{0, 0, 1024, 768});
    expectDrawnAt(Rect{774, 448, 974, 548}, 0xFF0000);
    // A box without width or height shows nothing and does not look for the file.
    Skin.FlyerWidth = 0;
    clear();
    int64_t misses = PictureCache.Misses, hits = PictureCache.Hits;
    drawFlyer(Screen, game, Rect{0, 0, 1024, 768});
    EXPECT_EQ(platformGetPixel(Screen, 800, 460), Backdrop);
    EXPECT_EQ(PictureCache.Misses + PictureCache.Hits, misses + hits);
    // The screensaver stretches the picture over the whole area.
    FrontendState.ScreenSaverActive = 1;
    drawFlyer(Screen, game, Rect{0, 0, 1024, 768});
    EXPECT_EQ(platformGetPixel(Screen, 0, 0), 0xFF0000u);
    EXPECT_EQ(platformGetPixel(Screen, 1023, 767), 0xFF0000u);
}

TEST_F(Artwork, BoxesFarOutsideTheScreenDrawNothingAndDoNotOverflow)
{
    Game* game = addGame("shot");
    writePicture("snap/shot.png", 64, 64, 0x00FF00);
    const int boxes[][4] = {{2147483000, 0, 2147483000, 300},
                            {-2147483647, -2147483647, 2147483647, 2147483647},
                            {0, 0, -400, 300},
                            {5000, 5000, 100, 100}};
    for (const auto& box : boxes)
    {
        Skin.ScreenshotStartX = box[0];
        Skin.ScreenshotStartY = box[1];
        Skin.ScreenshotWidth = box[2];
        Skin.ScreenshotHeight = box[3];
        clear();
        drawScreenshot(Screen, game, Rect{0, 0, 1024, 768});
        EXPECT_EQ(countColour(Screen, Rect{0, 0, 1024, 768}, 0x00FF00), 0) << box[0];
    }
}

// Saves one picture in many of the layouts PNG and JPEG files come in: the top half one
// colour, the bottom half another.
static void savePictureAs(const std::string& path, int bits, int grey, int jpeg)
{
    FIBITMAP* rgb = FreeImage_Allocate(8, 8, 24);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
        {
            RGBQUAD top = {0x30, 0x60, 0xC0, 0}, bottom = {0xC0, 0x90, 0x10, 0}; // blue first
            if (grey) top = {0x40, 0x40, 0x40, 0}, bottom = {0xD0, 0xD0, 0xD0, 0};
            FreeImage_SetPixelColor(rgb, x, y, y >= 4 ? &top : &bottom); // rows are bottom-up
        }
    FIBITMAP* saved = rgb;
    if (bits == 8 && grey) saved = FreeImage_ConvertToGreyscale(rgb);
    if (bits == 8 && !grey) saved = FreeImage_ColorQuantize(rgb, FIQ_WUQUANT);
    if (bits == 32) saved = FreeImage_ConvertTo32Bits(rgb);
    if (bits == 48) saved = FreeImage_ConvertToRGB16(rgb);
    if (bits == 16) saved = FreeImage_ConvertToUINT16(rgb);
    ASSERT_TRUE(saved) << bits;
    if (bits == 32) // half transparent: the colours stay what the file says
        for (unsigned y = 0; y < 8; y++)
            for (unsigned x = 0; x < 8; x++) FreeImage_GetScanLine(saved, y)[x * 4 + 3] = 0x80;
    ASSERT_TRUE(FreeImage_Save(jpeg ? FIF_JPEG : FIF_PNG, saved, path.c_str(),
                               jpeg ? JPEG_QUALITYSUPERB : 0));
    if (saved != rgb) FreeImage_Unload(saved);
    FreeImage_Unload(rgb);
}

// JPEG keeps colours only nearly.
static int near(Color a, Color b)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF)) > 12) return 0;
    return 1;
}

TEST_F(Artwork, EveryKindOfPictureKeepsItsColoursAndTheRightWayUp)
{
    struct Case
    {
        const char* File;
        int Bits, Grey, Jpeg;
    };
    const Case cases[] = {{"rgb24.png", 24, 0, 0},  {"rgba32.png", 32, 0, 0},
                          {"palette.png", 8, 0, 0}, {"grey.png", 8, 1, 0},
                          {"rgb48.png", 48, 0, 0},  {"grey16.png", 16, 1, 0},
                          {"rgbj.jpg", 24, 0, 1},   {"greyj.jpg", 8, 1, 1}};
    Skin.FlyerStartX = 0;
    Skin.FlyerStartY = 0;
    Skin.FlyerWidth = 80;
    Skin.FlyerHeight = 80;
    for (const Case& c : cases)
    {
        savePictureAs("flyers/" + std::string(c.File), c.Bits, c.Grey, c.Jpeg);
        Game* game = addGame(fs::path(c.File).stem().string());
        clear();
        drawFlyer(Screen, game, Rect{0, 0, 1024, 768});
        Color top = c.Grey ? 0x404040 : 0x3060C0, bottom = c.Grey ? 0xD0D0D0 : 0xC09010;
        EXPECT_TRUE(near(platformGetPixel(Screen, 5, 5), top))
            << c.File << std::hex << " " << platformGetPixel(Screen, 5, 5);
        EXPECT_TRUE(near(platformGetPixel(Screen, 75, 75), bottom))
            << c.File << std::hex << " " << platformGetPixel(Screen, 75, 75);
    }
}

static uint32_t crc32Of(const char* bytes, size_t length)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < length; i++)
    {
        crc ^= (uint8_t)bytes[i];
        for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A PNG whose header claims the given size; the header's checksum is right, so only the size
// can make a decoder refuse it.
static std::string pngClaiming(uint32_t width, uint32_t height)
{
    writePicture("small.png", 4, 4, 0);
    std::string bytes = readText("small.png");
    fs::remove("small.png");
    const size_t type = 12; // after the signature and the chunk's length: "IHDR", then fields
    for (int i = 0; i < 4; i++)
    {
        bytes[type + 4 + i] = (char)(width >> (24 - 8 * i));
        bytes[type + 8 + i] = (char)(height >> (24 - 8 * i));
    }
    uint32_t crc = crc32Of(bytes.data() + type, 17);
    for (int i = 0; i < 4; i++) bytes[type + 17 + i] = (char)(crc >> (24 - 8 * i));
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
    Skin.ScreenshotWidth = 100;
    Skin.ScreenshotHeight = 100;
    for (const auto& file : files)
    {
        // <Name>.png is the first candidate, <Name>.jpg the second.
        Game* game = addGame(fs::path(file.first).stem().string());
        testing::internal::CaptureStderr();
        for (int redraw = 0; redraw < 3; redraw++)
        {
            clear();
            drawScreenshot(Screen, game, Rect{0, 0, 1024, 768});
        }
        std::string told = testing::internal::GetCapturedStderr();
        EXPECT_EQ(platformGetPixel(Screen, 5, 5), Backdrop) << file.first;
        EXPECT_NE(told.find("[snap/" + file.first + "]"), std::string::npos) << told;
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    }
    // A picture whose pixels would pass the memory budget is refused the same way.
    PictureCache.Budget = 40 * 40 * 4 - 1;
    Game* good = addGame("good");
    fs::rename("good.png", "snap/good.png");
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadArtwork(good, "snap", ""), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("memory"), std::string::npos);
}

TEST_F(Artwork, ARedrawSeesPicturesReplacedAddedAndRemoved)
{
    Game* game = addGame("game");
    Emu->DefaultFlyer = "default.png";
    writePicture("flyers/default.png", 8, 8, 0x0000FF);
    Skin.FlyerWidth = 50;
    Skin.FlyerHeight = 50;
    auto shown = [&]()
    {
        clear();
        drawFlyer(Screen, game, Rect{0, 0, 1024, 768});
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
}

TEST_F(Artwork, TheLeastRecentlyUsedPictureGoesFirst)
{
    for (const char* name : {"a", "b", "c"})
    {
        writePicture(std::string("snap/") + name + ".png", 100, 100, 0x00FF00);
        addGame(name);
    }
    PictureCache.Budget = 2 * 100 * 100 * 4; // two pictures
    loadArtwork(findGame("a"), "snap", "");
    loadArtwork(findGame("b"), "snap", "");
    loadArtwork(findGame("a"), "snap", "");
    loadArtwork(findGame("c"), "snap", ""); // b goes
    EXPECT_EQ(PictureCache.Evictions, 1);
    EXPECT_EQ(PictureCache.Pictures, 2);
    EXPECT_LE(PictureCache.Bytes, PictureCache.Budget);
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
        drawBackground(Screen, Rect{0, 0, 1024, 768});
        EXPECT_EQ(platformGetPixel(Screen, 500, 500), menuType == 1 ? 0x0000FFu : 0x00FF00u);
    }
    fs::create_directories("skins/Mine");
    writeText("skins/Mine/back.png", "not a picture");
    testing::internal::CaptureStderr();
    loadBackgroundImage();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("skins/Mine/back.png"),
              std::string::npos);
    EXPECT_EQ(BackgroundImage, nullptr);
    writePicture("skins/Mine/back.png", 2, 2, 0xABCDEF);
    loadBackgroundImage();
    drawBackground(Screen, Rect{0, 0, 1024, 768});
    EXPECT_EQ(platformGetPixel(Screen, 1023, 767), 0xABCDEFu);
    freeArtwork();
}

TEST_F(Artwork, ProgressiveJpegTooLargeIsRefusedFromItsFrameHeader)
{
    // The second has a marker the decoder does not know before its frame: it stands alone.
    for (std::string start :
         {std::string("\xFF\xD8\xFF\xC2"), std::string("\xFF\xD8\xFF\x63\xFF\xC2")})
    {
        std::string why,
            header = start + std::string("\x00\x0B\x08\xEA\x60\xEA\x60\x01\x01\x11\x00", 11);
        EXPECT_EQ(decodePicture(header, 1, DefaultPictureBudget, why), nullptr);
        EXPECT_EQ(why, "60000x60000 pixels are more than the memory kept for pictures");
    }
}
