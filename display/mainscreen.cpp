// The main screen and the list view.
#include "display/mainscreen.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "catalogue/categories.h"
#include "catalogue/filters.h"
#include "catalogue/history.h"
#include "catalogue/players.h"
#include "config/settings.h"
#include "config/skin.h"
#include "display/artwork.h"
#include "display/favouritemark.h"
#include "display/imagebrowser.h"
#include "display/layout.h"
#include "display/picturecache.h"
#include "display/placement.h"
#include "display/searchkeyboard.h"
#include "display/text.h"
#include "display/videoplayer.h"
#include "display/wordwrap.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "runtime/music.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

const int NameIndent = 6;
const Color ShadowColor = 0x000000;

// The skin gives the list's right and bottom edges, not its size; 0 is the area's edge.
static Rect listRect(Rect area)
{
    return Rect{clampCoordinate(PlacedSkin.ListStartX), clampCoordinate(PlacedSkin.ListStartY),
                PlacedSkin.ListWidth ? clampCoordinate(PlacedSkin.ListWidth) : area.Right,
                PlacedSkin.ListHeight ? clampCoordinate(PlacedSkin.ListHeight) : area.Bottom};
}

void drawHighlightBar(Surface* surface, int current, Rect list, int lineHeight, int)
{
    int64_t top = list.Top + (int64_t)(current - ScreenLayout.ListTop) * lineHeight;
    platformFillRect(surface, Rect{list.Left, (int)top, list.Right, (int)(top + lineHeight)},
                     PlacedSkin.HighlightBackcolor);
}

static void drawName(Surface* surface, Rect rect, const std::string& name)
{
    if (PlacedSkin.TextShadow)
    {
        Color color = platformGetTextColor(surface);
        platformSetTextColor(surface, ShadowColor);
        drawTextInRect(surface, Rect{rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1},
                       name);
        platformSetTextColor(surface, color);
    }
    drawTextInRect(surface, rect, name);
}

// A skin whose highlight bar is about the mark's colour (gold on orange) would hide the mark of
// the current game: there it takes the highlight's text colour.
static Color markColor(int onHighlight)
{
    Color mark = PlacedSkin.FavouriteColor;
    if (!onHighlight || !PlacedSkin.ShowHighlightBar) return mark;
    int near = std::abs(brightness(mark) - brightness(PlacedSkin.HighlightBackcolor)) < 64;
    return near ? PlacedSkin.HighlightForecolor : mark;
}

// After the name, in the font it was drawn in; a name that fills the line has it at the
// line's end, over the name's last letters.
static void markFavourite(Surface* surface, Rect line, int lineHeight, const std::string& name,
                          int current)
{
    int side = std::max(lineHeight * 7 / 10, 3);
    int64_t left = (int64_t)line.Left + getTextWidth(surface, name) + side / 3;
    left = std::min<int64_t>(left, (int64_t)line.Right - side);
    if (left < line.Left) return;
    drawFavouriteMark(surface, (int)left, line.Top + (lineHeight - side) / 2, side,
                      markColor(current));
}

void drawGameNames(Surface* surface, int current, Rect list, int lineHeight, int rows)
{
    int count = (int)VisibleGames.size();
    int bottom = std::min(list.Bottom, platformSurfaceHeight(surface));
    for (int i = 0; i < rows && ScreenLayout.ListTop + i < count; i++)
    {
        int64_t top = list.Top + (int64_t)i * lineHeight;
        if (top >= bottom) break; // below the screen: nothing more can show
        int game = ScreenLayout.ListTop + i;
        if (game == current)
        {
            createFont(surface, PlacedSkin.Fontface, PlacedSkin.Fontsize, 1);
            platformSetTextColor(surface, PlacedSkin.HighlightForecolor);
        }
        Rect line{list.Left + NameIndent, (int)top, list.Right, list.Bottom};
        drawName(surface, line, VisibleGames[game]->Description);
        if (isFavourite(*VisibleGames[game]))
            markFavourite(surface, line, lineHeight, VisibleGames[game]->Description,
                          game == current);
        if (game == current)
        {
            createFont(surface, PlacedSkin.Fontface, PlacedSkin.Fontsize, 0);
            platformSetTextColor(surface, PlacedSkin.Fontcolor);
        }
    }
}

// The list's place less the search's band at its top, drawn there while a search narrows it.
static Rect listBelowSearch(Surface* surface, Rect list)
{
    drawSearchBand(surface, list);
    list.Top = std::min(list.Top + searchBandHeight(surface), list.Bottom);
    return list;
}

void drawGameList(Surface* surface, Rect area)
{
    createFont(surface, PlacedSkin.Fontface, PlacedSkin.Fontsize, 0);
    platformSetTextColor(surface, PlacedSkin.Fontcolor);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    Rect list = listBelowSearch(surface, listRect(area));
    int lineHeight = getTextHeight(surface);
    int rows = countVisibleRows(surface, list.Right - list.Left, list.Bottom - list.Top, 0);
    int current = FrontendState.CurrentGame;
    ScreenLayout.PageRows = std::max(rows, 0);
    // A list too low for one line holds no rows and shows no names, only the pictures: the
    // page rule could never settle without a row.
    if (rows >= 1)
    {
        ScreenLayout.ListTop =
            pageTop(ScreenLayout.ListTop, current, (int)VisibleGames.size(), rows);
        if (PlacedSkin.ShowHighlightBar) drawHighlightBar(surface, current, list, lineHeight, rows);
    }
    const Game* game = VisibleGames[current];
    drawScreenshot(surface, game, area);
    drawFlyer(surface, game, area);
    drawMarquee(surface, game, area);
    if (rows >= 1) drawGameNames(surface, current, list, lineHeight, rows);
}

static std::string shownEmulatorName()
{
    const Emulator* emulator = emulatorAt(FrontendState.CurrentEmulator);
    if (emulator) return emulator->Name;
    return FrontendState.CurrentEmulator == FavouriteGames ? FavouriteGamesName : AllEmulatorsName;
}

// The screen, orientation, year and maker; empty unless the game has all of them.
static std::string statusBarMachine(const Game& game)
{
    // A year the list does not know exactly ("198?", "19??") is shown as it is written.
    std::string year = !game.YearText.empty() ? game.YearText
                       : game.Year != 0       ? std::to_string(game.Year)
                                              : "";
    if (!game.Video || game.Video->Orientation == OrientationUnknown || year.empty() ||
        game.Manufacturer.empty())
        return "";
    std::string screen = message(game.Video->Screen == "raster" ? "Raster" : "Vector");
    std::string orientation =
        message(game.Video->Orientation == OrientationVertical ? "Vertical" : "Horizontal");
    return message("Name: {1}  Screen: {2}  Orientation: {3}  \xC2\xA9{4}, {5}",
                   {game.Description, screen, orientation, year, game.Manufacturer});
}

// A game its list describes and MAME does not: the year, maker and publisher the list gives.
static std::string statusBarListed(const Game& game)
{
    if (!game.Listed) return "";
    std::string maker = game.Manufacturer == "Unknown" ? "" : game.Manufacturer;
    const std::string& publisher = game.Listed->Publisher;
    std::string text;
    if (!game.Video && game.Year && !maker.empty())
        text = message("\xC2\xA9{1}, {2}", {game.YearText, maker});
    else if (!game.Video && (game.Year || !maker.empty()))
        text = message("\xC2\xA9{1}", {game.Year ? game.YearText : maker});
    if (!publisher.empty() && publisher != maker)
        text += (text.empty() ? "" : "  ") + message("Publisher: {1}", {publisher});
    return text;
}

// Out of 5 in half steps, as the lists' tools show it.
static std::string ratingText(const Game& game)
{
    if (!game.Listed || game.Listed->Rating < 0) return "";
    int halves = (game.Listed->Rating + 5) / 10;
    std::string stars = std::to_string(halves / 2) + (halves % 2 ? ".5" : "");
    return message("Rating: {1}/5", {stars});
}

// The skin may add the category, the players and the rating, after the other details or alone
// when there are none.
std::string statusBarDetails(const Game& game)
{
    std::string details = statusBarMachine(game);
    auto add = [&details](const std::string& text)
    {
        if (!text.empty()) details += (details.empty() ? "" : "  ") + text;
    };
    add(statusBarListed(game));
    if (PlacedSkin.StatusBarCategory && !categoryOf(game).empty())
        add(message("Category: {1}", {categoryOf(game)}));
    if (PlacedSkin.StatusBarPlayers) add(playersText(game));
    if (PlacedSkin.StatusBarRating) add(ratingText(game));
    if (PlacedSkin.StatusBarMusic && !musicTitle().empty())
        add(message("Music: {1}", {musicTitle()}));
    return details;
}

std::string statusBarPosition(int current)
{
    return message(" ({1}) {2}/{3}", {shownEmulatorName(), std::to_string(current + 1),
                                      std::to_string(VisibleGames.size())});
}

void drawStatusBar(Surface* surface, int current, int width, int height)
{
    createFont(surface, PlacedSkin.StatusBarFontFace, PlacedSkin.StatusBarFontSize, 0);
    platformSetTextColor(surface, PlacedSkin.StatusBarForeColor);
    platformSetBackgroundColor(surface, PlacedSkin.StatusBarBackColor);
    platformSetBackgroundMode(surface, BackgroundOpaque);
    ScreenLayout.StatusBarHeight = getTextHeight(surface);
    std::string position = statusBarPosition(current);
    int positionWidth = getTextWidth(surface, position);
    int top = height - ScreenLayout.StatusBarHeight;
    platformFillRect(surface, Rect{0, top, width, height}, PlacedSkin.StatusBarBackColor);
    int positionLeft = width - positionWidth - NameIndent;
    // The position wins where the two meet: the details end with an ellipsis a gap before it
    // (narrow and turned screens), never in a cut letter touching it.
    int gap = getTextWidth(surface, "  ");
    std::string details = fitToWidth(surface, statusBarDetails(*VisibleGames[current]),
                                     positionLeft - gap - NameIndent);
    if (!details.empty())
        drawTextInRect(surface, Rect{NameIndent, top, positionLeft, height}, details);
    drawTextInRect(surface, Rect{positionLeft, top, width, height}, position);
}

// The screensaver shows only the selected game's picture, or plays its video, over whatever the
// screen showed before; its timer moves the selection on.
static void drawScreenSaver(Surface* surface, Rect area)
{
    const Game* game = selectedGame();
    if (!game) return;
    if (FrontendSettings.ScreenSaverType == SaverVideos)
    {
        playScreenSaverVideo(game, area);
        return;
    }
    platformFillRect(surface, area, 0); // around a picture of another shape than the screen's
    if (FrontendSettings.ScreenSaverType == SaverMarquees)
        drawMarquee(surface, game, area);
    else if (FrontendSettings.ScreenSaverType == SaverScreenshots ||
             FrontendSettings.ScreenSaverType == SaverPlay) // demo games that would not play
        drawScreenshot(surface, game, area);
    else
        drawFlyer(surface, game, area);
}

// The initial jumped to, shown large for a moment where the player looks.
struct InitialBadge
{
    int Game = -1;     // the game jumped to: a move away takes the badge with it
    int64_t Until = 0; // on the platform clock
    int OnScreen = 0;  // the last redraw drew it
};
static InitialBadge Badge;
const int BadgeMilliseconds = 800;

void showJumpInitial()
{
    Badge.Game = FrontendState.CurrentGame;
    Badge.Until = platformMilliseconds() + BadgeMilliseconds;
}

int jumpInitialExpired()
{
    if (!Badge.OnScreen || platformMilliseconds() < Badge.Until) return 0;
    Badge.OnScreen = 0;
    return 1;
}

static Rect intersection(Rect a, Rect b)
{
    Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
           std::min(a.Bottom, b.Bottom)};
    return r.Right > r.Left && r.Bottom > r.Top ? r : b;
}

// The highlight's text colour, unless the skin made it alike to the highlight's background (the
// image browser draws only a frame in it).
static Color initialColor()
{
    return readableOn(PlacedSkin.HighlightForecolor, PlacedSkin.HighlightBackcolor);
}

// A square a third of the list's (or the grid's) smaller side, in the highlight's colours.
static void drawJumpInitial(Surface* surface, Rect area)
{
    int current = FrontendState.CurrentGame;
    Badge.OnScreen = Badge.Game == current && current < (int)VisibleGames.size() &&
                     platformMilliseconds() < Badge.Until;
    if (!Badge.OnScreen) return;
    int group = initialGroup(VisibleGames[current]->Description);
    std::string initial = group ? std::string(1, (char)('A' + group - 1)) : "#";
    Rect place = FrontendSettings.MenuType == ViewImageBrowser ? browserGridRect() : listRect(area);
    Rect over = intersection(place, area);
    int side = std::max(std::min(over.Right - over.Left, over.Bottom - over.Top) / 3, 24);
    int left = over.Left + (over.Right - over.Left - side) / 2;
    int top = over.Top + (over.Bottom - over.Top - side) / 2;
    int border = std::max(side / 40, 1);
    Color letter = initialColor();
    platformFillRect(surface, Rect{left, top, left + side, top + side}, letter);
    platformFillRect(surface,
                     Rect{left + border, top + border, left + side - border, top + side - border},
                     PlacedSkin.HighlightBackcolor);
    createFont(surface, PlacedSkin.Fontface, side * 52 / 100, 1); // letters about 0.7 of the square
    platformSetTextColor(surface, letter);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    int x = left + (side - getTextWidth(surface, initial)) / 2;
    int y = top + (side - getTextHeight(surface)) / 2;
    drawTextInRect(surface, Rect{x, y, left + side, top + side}, initial);
}

// A page move goes by the list's height on the whole screen less the status bar, in the list's
// font, and by at least one name, so that a list lower than a line still pages. A page back
// keeps clear of the bar's last height even while the bar is hidden, a page on only while it
// shows: the two have always differed so, and a cabinet's players know its page sizes.
static void layOutPageMoves(Surface* surface, Rect screen)
{
    const SkinRecord& skin = PlacedSkin;
    int64_t width = (int64_t)(skin.ListWidth ? skin.ListWidth : screen.Right) - skin.ListStartX;
    int64_t height = (int64_t)(skin.ListHeight ? skin.ListHeight : screen.Bottom) - skin.ListStartY;
    height -= searchBandHeight(surface); // a narrowed list has a line less
    int bar = ScreenLayout.StatusBarHeight;
    auto rows = [&](int reserve)
    {
        int fit =
            countVisibleRows(surface, clampCoordinate(width), clampCoordinate(height), reserve);
        return std::max(fit, 1);
    };
    ScreenLayout.PageUpRows = rows(bar);
    ScreenLayout.PageDownRows = rows(skin.ShowStatusBar ? bar : 0);
}

// An empty list says why where the names would be, so that an owner's first start is never a
// blank screen: a mistyped section, a missing ROM folder, filters that hide everything.
static void drawEmptyList(Surface* surface, Rect area)
{
    createFont(surface, PlacedSkin.Fontface, PlacedSkin.Fontsize, 0);
    platformSetTextColor(surface, PlacedSkin.Fontcolor);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    Rect list = listBelowSearch(
        surface, FrontendSettings.MenuType == ViewImageBrowser ? area : listRect(area));
    int lineHeight = getTextHeight(surface), width = list.Right - list.Left - 2 * NameIndent;
    int y = list.Top;
    std::vector<std::string> lines = emptyListReasons();
    lines.insert(lines.begin(), "No games found");
    // A reason wraps rather than losing its end, which names what to mend.
    for (const std::string& line : wordWrapText(surface, std::max(width, 1), lines))
    {
        if (y + lineHeight > list.Bottom) break;
        drawTextInRect(surface, Rect{list.Left + NameIndent, y, list.Right, list.Bottom},
                       fitToWidth(surface, line, width));
        y += lineHeight;
    }
}

// The image browser's grid is placed by the skin: the search's band goes above it where
// there is room, else over its top.
static void drawBrowserSearchBand(Surface* surface)
{
    createFont(surface, PlacedSkin.Fontface, PlacedSkin.Fontsize, 0);
    int height = searchBandHeight(surface);
    if (height == 0) return;
    Rect grid = browserGridRect();
    drawSearchBand(surface,
                   Rect{grid.Left, std::max(grid.Top - height, 0), grid.Right, grid.Bottom});
}

static void drawGamesAndPictures(Surface* surface, Rect area, Rect screen)
{
    if (PlacedSkin.ShowStatusBar)
    {
        drawStatusBar(surface, FrontendState.CurrentGame, area.Right, area.Bottom);
        area.Bottom -= ScreenLayout.StatusBarHeight;
    }
    if (FrontendSettings.MenuType == ViewImageBrowser)
    {
        drawImageBrowser(surface, area);
        drawBrowserSearchBand(surface);
    }
    else
    {
        drawGameList(surface, area);
        layOutPageMoves(surface, screen); // the list leaves its font selected
    }
    drawJumpInitial(surface, area);
}

static void drawScreen(Surface* surface)
{
    Rect area = {0, 0, platformSurfaceWidth(surface), platformSurfaceHeight(surface)};
    Rect screen = area;
    placeSkin(area.Right, area.Bottom);
    ScreenLayout.GridColumns = PlacedSkin.ListColumns;
    Badge.OnScreen = 0;
    Redraws++;
    RedrawFirstUse = nextPictureUse();
    if (FrontendState.ScreenSaverActive)
    {
        drawScreenSaver(surface, area);
        return;
    }
    drawBackground(surface, area);
    if (VisibleGames.empty())
        drawEmptyList(surface, area);
    else
        drawGamesAndPictures(surface, area, screen);
    // Above the status bar, which names the game the text finds.
    if (SearchKeyboard.Open && !VisibleGames.empty() && PlacedSkin.ShowStatusBar)
        area.Bottom -= ScreenLayout.StatusBarHeight;
    if (SearchKeyboard.Open) drawSearchKeyboard(surface, area);
}

void drawMainScreen(Surface* surface)
{
    if (!surface) return;
    beginVideoRedraw();
    drawScreen(surface);
    endVideoRedraw();
}

void blankScreen()
{
    Rect screen = platformScreenRect();
    if (FrontendState.WindowSurface)
        platformFillRect(FrontendState.WindowSurface, screen, 0x000000);
    if (FrontendState.MainWindow) platformInvalidate(FrontendState.MainWindow, 1);
}
