// The keys are laid out on a grid of ten columns; the wide keys (Space, Delete, Done) cover
// several, so moving up or down keeps to the column the cursor came from.
#include "display/searchkeyboard.h"

#include "base/message.h"
#include "catalogue/filters.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/placement.h"
#include "display/text.h"
#include "platform/window.h"

#include <algorithm>
#include <vector>

SearchKeyboardRecord SearchKeyboard;

static std::vector<std::vector<SearchKey>> makeKeyRows()
{
    const std::string characters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<std::vector<SearchKey>> rows(SearchKeyboardRows);
    for (size_t i = 0; i < characters.size(); i++)
    {
        int column = (int)(i % SearchKeyboardColumns);
        rows[i / SearchKeyboardColumns].push_back(
            {std::string(1, characters[i]), SearchKeyCharacter, characters[i], column, 1});
    }
    rows[3].push_back({"Space", SearchKeySpace, ' ', 6, 4});
    rows[4].push_back({"Delete", SearchKeyDelete, 0, 0, 5});
    rows[4].push_back({"Done", SearchKeyDone, 0, 5, 5});
    return rows;
}

static const std::vector<std::vector<SearchKey>>& keyRows()
{
    static const std::vector<std::vector<SearchKey>> rows = makeKeyRows();
    return rows;
}

static int keyIndexAt(int row, int column)
{
    const std::vector<SearchKey>& keys = keyRows()[row];
    for (size_t i = 0; i < keys.size(); i++)
        if (column >= keys[i].Column && column < keys[i].Column + keys[i].Span) return (int)i;
    return 0;
}

const SearchKey& selectedSearchKey()
{
    int row = std::clamp(SearchKeyboard.Row, 0, SearchKeyboardRows - 1);
    return keyRows()[row][keyIndexAt(row, SearchKeyboard.Column)];
}

void moveSearchCursor(int rows, int keys)
{
    SearchKeyboardRecord& k = SearchKeyboard;
    k.Row = ((k.Row + rows) % SearchKeyboardRows + SearchKeyboardRows) % SearchKeyboardRows;
    if (keys == 0) return;
    const std::vector<SearchKey>& row = keyRows()[k.Row];
    int count = (int)row.size();
    int index = ((keyIndexAt(k.Row, k.Column) + keys) % count + count) % count;
    k.Column = row[index].Column;
}

// Between a colour and the background: a key's face, a shade off the panel.
static uint32_t mixed(uint32_t colour, uint32_t toward, int percent)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        int a = (int)((colour >> shift) & 0xFF), b = (int)((toward >> shift) & 0xFF);
        result |= (uint32_t)(b + (a - b) * percent / 100) << shift;
    }
    return result;
}

struct KeyboardGeometry
{
    Rect Panel;
    int Margin, Band, KeyWidth, KeyHeight, Gap;
};

// Keys about two lines high, wide enough for a letter with room around it; the whole narrower
// than the screen.
static KeyboardGeometry measureKeyboard(Surface* surface, Rect area)
{
    KeyboardGeometry g{};
    int line = getTextHeight(surface);
    g.Margin = std::max(line / 2, 6);
    g.Gap = std::max(line / 6, 2);
    g.Band = line + g.Margin;
    g.KeyHeight = line * 9 / 5;
    int areaWidth = area.Right - area.Left, areaHeight = area.Bottom - area.Top;
    int widest = (areaWidth * 95 / 100 - 2 * g.Margin) / SearchKeyboardColumns - g.Gap;
    g.KeyWidth = std::max(std::min(g.KeyHeight * 5 / 4, widest), 1);
    int width = SearchKeyboardColumns * (g.KeyWidth + g.Gap) - g.Gap + 2 * g.Margin;
    int height = g.Band + SearchKeyboardRows * (g.KeyHeight + g.Gap) - g.Gap + 2 * g.Margin;
    int left = area.Left + (areaWidth - width) / 2;
    int top = area.Top + std::max(areaHeight - height - g.Margin, 0);
    g.Panel = Rect{left, top, left + width, top + height};
    return g;
}

static void drawKey(Surface* surface, const SearchKey& key, Rect place, int selected)
{
    const PopupLook& look = Skin.Menu;
    uint32_t face =
        selected ? look.TitleBackcolor : mixed(look.Fontcolor, look.Backgroundcolor, 18);
    platformFillRect(surface, place, face);
    platformSetTextColor(surface, selected ? look.TitleForecolor : look.Fontcolor);
    std::string label = fitToWidth(surface, key.Label, place.Right - place.Left);
    int x = place.Left + (place.Right - place.Left - getTextWidth(surface, label)) / 2;
    int y = place.Top + (place.Bottom - place.Top - getTextHeight(surface)) / 2;
    drawTextInRect(surface, Rect{x, y, place.Right, place.Bottom}, label);
}

void drawSearchKeyboard(Surface* surface, Rect area)
{
    const PopupLook& look = Skin.Menu;
    createFont(surface, look.Fontface, screenFontSize(look.Fontsize), 0);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    KeyboardGeometry g = measureKeyboard(surface, area);
    Rect panel = g.Panel;
    fillFramed(surface, panel, look.TitleBackcolor, look.Backgroundcolor);
    platformFillRect(surface, Rect{panel.Left, panel.Top, panel.Right, panel.Top + g.Band},
                     look.TitleBackcolor);
    createFont(surface, look.Fontface, screenFontSize(look.Fontsize), 1);
    platformSetTextColor(surface, look.TitleForecolor);
    std::string title = message("Search: {1}_", {SearchText});
    drawTextInRect(surface,
                   Rect{panel.Left + g.Margin, panel.Top + g.Margin / 2, panel.Right, panel.Bottom},
                   fitToWidth(surface, title, panel.Right - panel.Left - 2 * g.Margin));
    createFont(surface, look.Fontface, screenFontSize(look.Fontsize), 0);
    const SearchKey* selected = &selectedSearchKey();
    int top = panel.Top + g.Band + g.Margin;
    for (const std::vector<SearchKey>& row : keyRows())
    {
        for (const SearchKey& key : row)
        {
            int left = panel.Left + g.Margin + key.Column * (g.KeyWidth + g.Gap);
            int right = left + key.Span * (g.KeyWidth + g.Gap) - g.Gap;
            drawKey(surface, key, Rect{left, top, right, top + g.KeyHeight}, &key == selected);
        }
        top += g.KeyHeight + g.Gap;
    }
}

int searchBandHeight(Surface* surface)
{
    if (SearchText.empty() && !SearchKeyboard.Open) return 0;
    return getTextHeight(surface);
}

void drawSearchBand(Surface* surface, Rect place)
{
    int height = searchBandHeight(surface);
    if (height == 0) return;
    // In the keyboard's look, underlined: apart from the list's highlight bar just below it.
    Rect band{place.Left, place.Top, place.Right, place.Top + height};
    platformFillRect(surface, band, Skin.Menu.TitleBackcolor);
    platformFillRect(surface, Rect{band.Left, band.Top, band.Right, band.Bottom - PopupFrameWidth},
                     Skin.Menu.Backgroundcolor);
    uint32_t colour = platformGetTextColor(surface);
    platformSetTextColor(surface, Skin.Menu.Fontcolor);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    int indent = std::max(height / 4, 2);
    drawTextInRect(surface, Rect{band.Left + indent, band.Top, band.Right, band.Bottom},
                   fitToWidth(surface, message("Search: {1}", {SearchText}),
                              band.Right - band.Left - 2 * indent));
    platformSetTextColor(surface, colour);
}
