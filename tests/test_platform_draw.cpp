// Surfaces, drawing and fonts.
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(Draw, FillCopyAndRoundRectAreClippedToTheSurfaces)
{
    startTestPlatform();
    Surface* source = platformCreateSurface(4, 4);
    Surface* target = platformCreateSurface(4, 4);
    platformFillRect(source, {-10, -10, 4, 4}, 0x112233);
    platformFillRect(source, {3, 3, 4, 4}, 0x445566);
    EXPECT_EQ(platformGetPixel(source, 4, 0), 0xFFFFFFFFu); // outside: no colour
    platformCopyRect(target, 2, 2, 10, 10, source, 1, 1);
    EXPECT_EQ(platformGetPixel(target, 1, 1), 0u);
    EXPECT_EQ(platformGetPixel(target, 3, 3), 0x112233u); // source (2, 2)
    platformCopyRect(target, -1, -1, 4, 4, source, 0, 0);
    EXPECT_EQ(platformGetPixel(target, 2, 2), 0x445566u); // source (3, 3)
    // Within one surface the overlap is copied as it was before the copy.
    platformCopyRect(source, 0, 0, 4, 4, source, 1, 1);
    EXPECT_EQ(platformGetPixel(source, 2, 2), 0x445566u);
    EXPECT_EQ(platformGetPixel(source, 1, 1), 0x112233u);
    platformFreeSurface(source);
    platformFreeSurface(target);

    Surface* surface = platformCreateSurface(40, 30);
    platformFillRect(surface, {0, 0, 40, 30}, 0xFFFFFF);
    platformRoundRect(surface, {0, 0, 40, 30}, 16, 16, 0x00FF00);
    platformRoundRect(surface, {10, 10, 10, 20}, 4, 4, 0x0000FF); // empty: nothing
    EXPECT_EQ(platformGetPixel(surface, 20, 15), 0x00FF00u);
    EXPECT_EQ(platformGetPixel(surface, 20, 0), 0u); // the pen on the edges
    EXPECT_EQ(platformGetPixel(surface, 39, 14), 0u);
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0xFFFFFFu); // the corners left alone
    EXPECT_EQ(platformGetPixel(surface, 39, 29), 0xFFFFFFu);
    platformFreeSurface(surface);
    Surface* empty = platformCreateSurface(0, 0);
    platformFillRect(empty, {0, 0, 10, 10}, 0x123456);
    platformFreeSurface(empty);
}

TEST(Font, SizesFacesAndWindows1252Bytes)
{
    startTestPlatform();
    Font* font = platformCreateFont("Liberation Sans", 18, 0, 0);
    ASSERT_NE(font, nullptr);
    // 18 points at 96 pixels per inch ask for 24 pixels; the cell is a little taller.
    EXPECT_GE(platformFontHeight(font), 24);
    EXPECT_LE(platformFontHeight(font), 28);
    int width = platformTextWidth(font, "Street Fighter II");
    EXPECT_GT(width, 150);
    EXPECT_LT(width, 220);
    // Arial is the same metrics under another name; a full name selects its own file.
    EXPECT_EQ(platformTextWidth(platformCreateFont("Arial", 18, 0, 0), "Street Fighter II"), width);
    EXPECT_EQ(
        platformTextWidth(platformCreateFont("Liberation Sans Bold", 18, 0, 0),
                          "Street Fighter II"),
        platformTextWidth(platformCreateFont("Liberation Sans", 18, 1, 0), "Street Fighter II"));
    EXPECT_GT(platformTextWidth(platformCreateFont("NoSuchFace", 18, 0, 0), "Hello"), 0);
    for (int size : {0, 1000000})
        EXPECT_GT(platformFontHeight(platformCreateFont("Liberation Sans", size, 0, 0)), 0) << size;

    // Bytes that are not UTF-8 are Windows-1252: "Pok\xe9mon" of an old program is "Pokémon".
    EXPECT_EQ(platformTextWidth(font, "Pok\xe9mon"), platformTextWidth(font, "Pok\xc3\xa9mon"));
    EXPECT_EQ(platformTextWidth(font, "\x80"), platformTextWidth(font, "\xe2\x82\xac")); // euro
    EXPECT_GT(platformTextWidth(font, "\xff\xfe\xc3"), 0); // truncated and stray bytes

    // Installed fonts are listed by full name, sorted, each once.
    std::vector<std::string> names = platformListFonts();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    for (const char* name : {"Liberation Sans", "Liberation Sans Bold"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST(Font, TextIsClippedBrokenAtLineFeedsAndTakesTheBackgroundMode)
{
    startTestPlatform();
    Font* font = platformCreateFont("Liberation Sans", 18, 0, 0);
    int lineHeight = platformFontHeight(font);
    Surface* surface = platformCreateSurface(300, 100);
    platformSelectFont(surface, font);
    platformSetTextColor(surface, 0xFFFFFF);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformDrawText(surface, {10, 10, 60, 100}, "WWWWWWWWWWWW\nWW");
    for (int y = 0; y < 100; y++)
        for (int x : {0, 9, 60, 200}) EXPECT_EQ(platformGetPixel(surface, x, y), 0u);
    int secondLine = 0;
    for (int x = 10; x < 60; x++)
        secondLine |= platformGetPixel(surface, x, 10 + lineHeight + lineHeight / 2) != 0;
    EXPECT_TRUE(secondLine);
    // Opaque: the cell behind the text takes the background colour.
    platformSetBackgroundMode(surface, BackgroundOpaque);
    platformSetBackgroundColor(surface, 0x00FF00);
    platformTextOut(surface, 100, 0, "i");
    EXPECT_EQ(platformGetPixel(surface, 100, lineHeight - 1), 0x00FF00u);
    platformFreeSurface(surface);
}
