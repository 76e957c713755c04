// Text drawing over the platform's fonts. Fonts are created for every use; the layer keeps
// the faces it opened, so that costs a lookup.
#include "display/text.h"

#include "config/skin.h"
#include "display/placement.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <cstdio>
#include <vector>

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

void drawTextInRect(Surface* surface, Rect rect, const std::string& text)
{
    platformDrawText(surface, rect, text);
}

// Cut between whole characters, so that no broken glyph or half letter ends the text; the
// widest prefix that fits is found by halving, as a text can be a whole path long.
std::string fitToWidth(Surface* surface, const std::string& text, int width)
{
    if (getTextWidth(surface, text) <= width) return text;
    const std::string ellipsis = "\xE2\x80\xA6";
    std::vector<size_t> ends; // where each character ends
    for (size_t i = 1; i <= text.size(); i++)
        if (i == text.size() || (text[i] & 0xC0) != 0x80) ends.push_back(i);
    size_t low = 0, high = ends.size(); // the first `low` characters fit
    while (low < high)
    {
        size_t middle = (low + high + 1) / 2;
        if (getTextWidth(surface, text.substr(0, ends[middle - 1]) + ellipsis) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    size_t end = low > 0 ? ends[low - 1] : 0;
    while (end > 0 && text[end - 1] == ' ') end--;
    return end > 0 ? text.substr(0, end) + ellipsis : "";
}
