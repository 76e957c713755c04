// The image browser. The skin's list keys mean the grid here: the first cell's corner, the
// size of one cell, and the rows and columns of a page.
#include "display/imagebrowser.h"

#include "catalogue/catalogue.h"
#include "catalogue/history.h"
#include "config/skin.h"
#include "display/artwork.h"
#include "display/favouritemark.h"
#include "display/layout.h"
#include "display/picture.h"
#include "display/placement.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <algorithm>
#include <cstdint>

static Rect cellRect(int64_t row, int64_t column)
{
    int64_t left = PlacedSkin.ListStartX + column * PlacedSkin.ListWidth;
    int64_t top = PlacedSkin.ListStartY + row * PlacedSkin.ListHeight;
    return Rect{clampCoordinate(left), clampCoordinate(top),
                clampCoordinate(left + PlacedSkin.ListWidth),
                clampCoordinate(top + PlacedSkin.ListHeight)};
}

Rect browserGridRect()
{
    Rect first = cellRect(0, 0);
    Rect last = cellRect(PlacedSkin.ListRows - 1, PlacedSkin.ListColumns - 1);
    return Rect{first.Left, first.Top, last.Right, last.Bottom};
}

static int onSurface(Surface* surface, Rect cell)
{
    return cell.Right > 0 && cell.Bottom > 0 && cell.Left < platformSurfaceWidth(surface) &&
           cell.Top < platformSurfaceHeight(surface);
}

static void drawCell(Surface* surface, int game, Rect cell)
{
    if (game == FrontendState.CurrentGame)
        platformRoundRect(surface, cell, HighlightCorner, HighlightCorner,
                          PlacedSkin.HighlightForecolor);
    int64_t spacer = PlacedSkin.PreviewSpacer;
    Rect inner = {clampCoordinate(cell.Left + spacer), clampCoordinate(cell.Top + spacer),
                  clampCoordinate(cell.Right - spacer), clampCoordinate(cell.Bottom - spacer)};
    stretchPicture(surface, inner, loadMarquee(VisibleGames[game]));
    if (!isFavourite(*VisibleGames[game])) return;
    // A badge on the cell's top right corner, a quarter of its smaller side: on the marquee's
    // edge, where its lettering seldom is, and on a disc of the background so that a star of
    // the marquee's own colours still shows.
    int side = std::max(std::min(cell.Right - cell.Left, cell.Bottom - cell.Top) / 4, 10);
    int margin = std::max(side / 5, 2);
    Rect badge = {cell.Right - side - 2 * margin, cell.Top, cell.Right,
                  cell.Top + side + 2 * margin};
    platformRoundRect(surface, badge, side, side, PlacedSkin.Backgroundcolor);
    drawFavouriteMark(surface, badge.Left + margin, badge.Top + margin, side,
                      PlacedSkin.FavouriteColor);
}

void drawImageBrowser(Surface* surface, Rect area)
{
    const Game* current = VisibleGames[FrontendState.CurrentGame];
    drawScreenshot(surface, current, area);
    drawFlyer(surface, current, area);
    drawMarquee(surface, current, area);
    // A grid without cells has no page; the page rule could never settle then.
    if (PlacedSkin.ListRows < 1 || PlacedSkin.ListColumns < 1) return;
    int64_t page = (int64_t)PlacedSkin.ListRows * PlacedSkin.ListColumns;
    int count = (int)VisibleGames.size();
    ScreenLayout.ListTop = pageTop(ScreenLayout.ListTop, FrontendState.CurrentGame, count, page);
    for (int64_t row = 0; row < PlacedSkin.ListRows; row++)
        for (int64_t column = 0; column < PlacedSkin.ListColumns; column++)
        {
            int64_t game = ScreenLayout.ListTop + row * PlacedSkin.ListColumns + column;
            if (game >= count) return; // the rest of the page stays empty
            Rect cell = cellRect(row, column);
            if (onSurface(surface, cell)) drawCell(surface, (int)game, cell);
        }
}
