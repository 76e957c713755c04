// Surfaces, drawing and fonts.
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Draw, ColoursKeepTheLayoutWithRedInTheLowByte)
{
    startTestPlatform();
    Surface* surface = platformCreateSurface(4, 4);
    platformFillRect(surface, {0, 0, 2, 4}, 0x0000FF); // red
    platformFillRect(surface, {2, 0, 4, 4}, 0xFF0000); // blue
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0x0000FFu);
    EXPECT_EQ(platformGetPixel(surface, 3, 3), 0xFF0000u);
    // Outside the surface: no colour, and filling there touches nothing.
    platformFillRect(surface, {-10, -10, 1, 1}, 0x00FF00);
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0x00FF00u);
    EXPECT_EQ(platformGetPixel(surface, 1, 1), 0x0000FFu);
    EXPECT_EQ(platformGetPixel(surface, 4, 0), 0xFFFFFFFFu);
    platformFreeSurface(surface);
    Surface* empty = platformCreateSurface(0, 0);
    platformFillRect(empty, {0, 0, 10, 10}, 0x123456);
    EXPECT_EQ(platformSurfaceWidth(empty), 0);
    platformFreeSurface(empty);
}

TEST(Draw, CopyIsClippedToBothSurfaces)
{
    startTestPlatform();
    Surface* source = platformCreateSurface(4, 4);
    Surface* target = platformCreateSurface(4, 4);
    platformFillRect(source, {0, 0, 4, 4}, 0x112233);
    platformFillRect(source, {3, 3, 4, 4}, 0x445566);
    platformCopyRect(target, 2, 2, 10, 10, source, 1, 1);
    EXPECT_EQ(platformGetPixel(target, 1, 1), 0u);
    EXPECT_EQ(platformGetPixel(target, 2, 2), 0x112233u);
    EXPECT_EQ(platformGetPixel(target, 3, 3), 0x112233u); // source (2, 2)
    platformCopyRect(target, -1, -1, 4, 4, source, 0, 0);
    EXPECT_EQ(platformGetPixel(target, 2, 2), 0x445566u); // source (3, 3)
    // Within one surface the overlap is copied as it was before the copy.
    platformCopyRect(source, 0, 0, 4, 4, source, 1, 1);
    EXPECT_EQ(platformGetPixel(source, 2, 2), 0x445566u);
    EXPECT_EQ(platformGetPixel(source, 1, 1), 0x112233u);
    platformFreeSurface(source);
    platformFreeSurface(target);
}

TEST(Draw, StretchingIsNearestNeighbourWithRowsTheRightWayUp)
{
    startTestPlatform();
    // 2x2 BGRA, bottom-up: the first row in memory is the picture's bottom row.
    const uint32_t bits[4] = {0xFF0000FF /* bottom left blue */, 0xFF00FF00,
                              0xFFFF0000 /* top left red */, 0xFFFFFFFF};
    Surface* surface = platformCreateSurface(6, 6);
    platformStretchPicture(surface, {1, 1, 5, 5}, (const uint8_t*)bits, 2, 2, 8, 1);
    for (int y = 1; y < 5; y++)
        for (int x = 1; x < 5; x++)
        {
            Color expected = y < 3 ? (x < 3 ? 0x0000FFu : 0xFFFFFFu) // top: red, white
                                   : (x < 3 ? 0xFF0000u : 0x00FF00u);
            EXPECT_EQ(platformGetPixel(surface, x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0u);
    EXPECT_EQ(platformGetPixel(surface, 5, 5), 0u);
    // Top-down rows, and a rectangle reaching beyond the surface, are fine too.
    platformStretchPicture(surface, {-6, -6, 6, 6}, (const uint8_t*)bits, 2, 2, 8, 0);
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0xFFFFFFu); // the bottom right quarter shows
    EXPECT_EQ(platformGetPixel(surface, 5, 5), 0xFFFFFFu);
    platformStretchPicture(surface, {0, 0, 6, 6}, (const uint8_t*)bits, 2, 2, 8, 0);
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0xFF0000u); // top-down: blue is on top
    EXPECT_EQ(platformGetPixel(surface, 0, 5), 0x0000FFu);
    platformStretchPicture(surface, {0, 0, 6, 6}, nullptr, 2, 2, 8, 0); // ignored
    platformStretchPicture(surface, {0, 0, 6, 6}, (const uint8_t*)bits, 2, 2, 4, 0);
    platformFreeSurface(surface);
}

TEST(Draw, RoundRectIsFilledOutlinedAndCutAtTheCorners)
{
    startTestPlatform();
    Surface* surface = platformCreateSurface(40, 30);
    platformFillRect(surface, {0, 0, 40, 30}, 0xFFFFFF);
    platformRoundRect(surface, {0, 0, 40, 30}, 16, 16, 0x00FF00);
    EXPECT_EQ(platformGetPixel(surface, 20, 15), 0x00FF00u);
    EXPECT_EQ(platformGetPixel(surface, 20, 0), 0u); // pen on the top edge
    EXPECT_EQ(platformGetPixel(surface, 0, 15), 0u); // and on the left
    EXPECT_EQ(platformGetPixel(surface, 39, 29 - 15), 0u);
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0xFFFFFFu); // the corner is left alone
    EXPECT_EQ(platformGetPixel(surface, 39, 29), 0xFFFFFFu);
    platformRoundRect(surface, {10, 10, 10, 20}, 4, 4, 0x0000FF); // empty: nothing
    platformFreeSurface(surface);
}

static int inkColumns(Surface* surface, Color background)
{
    int columns = 0;
    for (int x = 0; x < platformSurfaceWidth(surface); x++)
        for (int y = 0; y < platformSurfaceHeight(surface); y++)
            if (platformGetPixel(surface, x, y) != background)
            {
                columns++;
                break;
            }
    return columns;
}

TEST(Font, SizesMetricsAStableWidthAndWindows1252Bytes)
{
    startTestPlatform();
    Font* font = platformCreateFont("Liberation Sans", 18, 0, 0);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(platformCreateFont("Liberation Sans", 18, 0, 0), font); // cached
    int lineHeight = platformFontHeight(font);
    // 18 points at 96 pixels per inch ask for 24 pixels; the cell is a little taller.
    EXPECT_GE(lineHeight, 24);
    EXPECT_LE(lineHeight, 28);
    EXPECT_EQ(platformTextWidth(font, ""), 0);
    int width = platformTextWidth(font, "Street Fighter II");
    EXPECT_GT(width, 150);
    EXPECT_LT(width, 220);
    EXPECT_EQ(platformTextWidth(font, "Street Fighter II"), width);
    // Arial is the same metrics under another name.
    EXPECT_EQ(platformTextWidth(platformCreateFont("Arial", 18, 0, 0), "Street Fighter II"), width);
    Font* bold = platformCreateFont("Liberation Sans", 18, 1, 1);
    EXPECT_NE(bold, font);
    EXPECT_NE(platformTextWidth(bold, "Street Fighter II"), width);
    EXPECT_LT(platformFontHeight(platformCreateFont("Liberation Sans", 8, 0, 0)), lineHeight);
    EXPECT_GT(platformFontHeight(platformCreateFont("Liberation Sans", 0, 0, 0)), 0);
    EXPECT_GT(platformFontHeight(platformCreateFont("Liberation Sans", 1000000, 0, 0)), 0);

    // Bytes that are not UTF-8 are Windows-1252: "Pok\xe9mon" of an old program is "Pokémon".
    EXPECT_EQ(platformTextWidth(font, "Pok\xe9mon"), platformTextWidth(font, "Pok\xc3\xa9mon"));
    EXPECT_EQ(platformTextWidth(font, "\x80"), platformTextWidth(font, "\xe2\x82\xac")); // euro
    EXPECT_EQ(platformTextWidth(font, "\xc2\xa9 2024"), platformTextWidth(font, "\xa9 2024"));
    EXPECT_GT(platformTextWidth(font, "\xff\xfe\xc3"), 0); // truncated and stray bytes
}

TEST(Font, AnUnknownFaceStillDrawsText)
{
    startTestPlatform();
    Font* font = platformCreateFont("NoSuchFace", 18, 0, 0);
    ASSERT_NE(font, nullptr);
    EXPECT_GT(platformTextWidth(font, "Hello"), 0);
    Surface* surface = platformCreateSurface(200, 40);
    platformSelectFont(surface, font);
    platformSetTextColor(surface, 0x0000FF);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformTextOut(surface, 0, 0, "Hello");
    EXPECT_GT(inkColumns(surface, 0), 20);
    platformFreeSurface(surface);
}

TEST(Font, TextIsClippedBrokenAtLineFeedsAndTakesTheBackgroundMode)
{
    startTestPlatform();
    Font* font = platformCreateFont("Liberation Sans", 18, 0, 0);
    int lineHeight = platformFontHeight(font);
    Surface* surface = platformCreateSurface(300, 100);
    EXPECT_EQ(platformSelectFont(surface, font), nullptr);
    platformSetTextColor(surface, 0xFFFFFF);
    EXPECT_EQ(platformGetTextColor(surface), 0xFFFFFFu);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformDrawText(surface, {10, 10, 60, 100}, "WWWWWWWWWWWW\nWW");
    for (int y = 0; y < 100; y++)
        for (int x : {0, 9, 60, 200}) EXPECT_EQ(platformGetPixel(surface, x, y), 0u);
    int secondLine = 0;
    for (int x = 10; x < 60; x++)
        if (platformGetPixel(surface, x, 10 + lineHeight + lineHeight / 2) != 0) secondLine = 1;
    EXPECT_TRUE(secondLine);
    // Opaque: the cell behind the text takes the background colour.
    platformSetBackgroundMode(surface, BackgroundOpaque);
    platformSetBackgroundColor(surface, 0x00FF00);
    platformTextOut(surface, 100, 0, "i");
    EXPECT_EQ(platformGetPixel(surface, 100, lineHeight - 1), 0x00FF00u);
    platformFreeSurface(surface);
}

TEST(Font, InstalledTrueTypeFontsAreListedByFullNameSortedOnce)
{
    startTestPlatform();
    std::vector<std::string> names = platformListFonts();
    ASSERT_FALSE(names.empty());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Liberation Sans"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Liberation Sans Bold"), names.end());
    // A full name selects its own file.
    Font* byFullName = platformCreateFont("Liberation Sans Bold", 18, 0, 0);
    EXPECT_EQ(
        platformTextWidth(byFullName, "Street Fighter II"),
        platformTextWidth(platformCreateFont("Liberation Sans", 18, 1, 0), "Street Fighter II"));
}
