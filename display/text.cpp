// Text drawing over the platform's fonts. Fonts are created for every use; the layer keeps
// the faces it opened, so that costs a lookup.
#include "display/text.h"

#include "config/skin.h"
#include "display/placement.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <cstdio>

// A surface whose font cannot be measured stays so for every later redraw: one box tells the
// player, where one at every redraw would stop the front end at every key.
static void reportOnce(int& reported, const char* text)
{
    if (reported) return;
    reported = 1;
    fprintf(stderr, "No usable font is installed: %s\n", text);
    showError(text);
}

int createFont(Surface* surface, const std::string& face, int points, int emphasised)
{
    std::string name = face.substr(0, FaceNameLimit);
    Font* font = platformCreateFont(name.c_str(), points, emphasised ? 1 : 0, emphasised ? 1 : 0);
    if (!font) return 0;
    Font* previous = platformSelectFont(surface, font);
    if (previous && previous != font) platformFreeFont(previous);
    return 1;
}

int getTextHeight(Surface* surface)
{
    static int reported;
    const Font* font = platformSurfaceFont(surface);
    if (!platformFontUsable(font))
    {
        reportOnce(reported, "GetTextMetrics failed!");
        return FallbackLineHeight;
    }
    int height = platformFontHeight(font);
    return height > 0 ? height : FallbackLineHeight;
}

int getTextWidth(Surface* surface, const std::string& text)
{
    static int reported;
    if (text.empty()) return 0;
    const Font* font = platformSurfaceFont(surface);
    if (!platformFontUsable(font))
    {
        reportOnce(reported, "GetTextExtentPoint32 failed!");
        return 0;
    }
    return platformTextWidth(font, text);
}

int countVisibleRows(Surface* surface, int, int height, int reserve)
{
    return (height - reserve) / getTextHeight(surface);
}

void useSkinFont(Surface* surface)
{
    createFont(surface, Skin.Fontface, screenFontSize(Skin.Fontsize), 0);
    platformSetTextColor(surface, Skin.Fontcolor);
    platformSetBackgroundMode(surface, BackgroundTransparent);
}

void drawTextInRect(Surface* surface, Rect rect, const std::string& text)
{
    platformDrawText(surface, rect, text);
}
