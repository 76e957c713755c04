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
    EXPECT_EQ(platformGetPixel(surface, 20, 15), 0x00FF00u);
    EXPECT_EQ(platformGetPixel(surface, 20, 0), 0u);       // the pen on the edges
    EXPECT_EQ(platformGetPixel(surface, 0, 0), 0xFFFFFFu); // the corners left alone
    platformFreeSurface(surface);
}

TEST(Font, FacesWindows1252BytesClippingAndTheBackground)
{
    startTestPlatform();
    Font* font = platformCreateFont("Liberation Sans", 18, 0, 0);
    ASSERT_NE(font, nullptr);
    auto width = [](Font* f, const char* text) { return platformTextWidth(f, text); };
    // Arial is the same metrics under another name; a full name selects its own file.
    EXPECT_EQ(width(platformCreateFont("Arial", 18, 0, 0), "Street"), width(font, "Street"));
    EXPECT_EQ(width(platformCreateFont("Liberation Sans Bold", 18, 0, 0), "Street"),
              width(platformCreateFont("Liberation Sans", 18, 1, 0), "Street"));
    // Bytes that are not UTF-8 are Windows-1252: "Pok\xe9mon" of an old program is "Pokémon".
    EXPECT_EQ(width(font, "Pok\xe9mon"), width(font, "Pok\xc3\xa9mon"));
    EXPECT_EQ(width(font, "\x80"), width(font, "\xe2\x82\xac")); // euro
    // Installed fonts are listed by full name, sorted, each once.
    std::vector<std::string> names = platformListFonts();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_EQ(std::count(names.begin(), names.end(), "Liberation Sans Bold"), 1);

    int lineHeight = platformFontHeight(font);
    Surface* surface = platformCreateSurface(300, 100);
    platformSelectFont(surface, font);
    platformSetTextColor(surface, 0xFFFFFF);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    platformDrawText(surface, {10, 10, 60, 100}, "WWWWWWWWWWWW\nWW");
    int outside = 0, secondLine = 0;
    for (int y = 0; y < 100; y++)
        for (int x : {9, 60}) outside |= platformGetPixel(surface, x, y) != 0;
    for (int x = 10; x < 60; x++)
        secondLine |= platformGetPixel(surface, x, 10 + lineHeight + lineHeight / 2) != 0;
    EXPECT_FALSE(outside);
    EXPECT_TRUE(secondLine);
    // Opaque: the cell behind the text takes the background colour.
    platformSetBackgroundMode(surface, BackgroundOpaque);
    platformSetBackgroundColor(surface, 0x00FF00);
    platformTextOut(surface, 100, 0, "i");
    EXPECT_EQ(platformGetPixel(surface, 100, lineHeight - 1), 0x00FF00u);
    platformFreeSurface(surface);
}
