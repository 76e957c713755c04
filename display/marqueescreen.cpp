// The marquee is enlarged here, unlike in the skin's boxes: a marquee screen is there for it.
#include "display/marqueescreen.h"

#include "catalogue/catalogue.h"
#include "config/skin.h"
#include "display/artwork.h"
#include "display/picture.h"
#include "display/picturecache.h"
#include "display/placement.h"
#include "display/text.h"
#include "display/wordwrap.h"
#include "platform/window.h"

#include <algorithm>

// The description's first size: a quarter of the screen's height for one line, and smaller
// until every line fits.
static std::vector<std::string> fittedLines(Surface* surface, const std::string& text, Rect area)
{
    int width = area.Right - area.Left, height = area.Bottom - area.Top;
    std::vector<std::string> lines;
    for (int pixels = std::max(height / 4, 8);; pixels = pixels * 4 / 5)
    {
        createFont(surface, Skin.Fontface, std::max(pixels * 72 / 96, 6), 0);
        lines = wordWrapText(surface, width, {text});
        if ((int)lines.size() * getTextHeight(surface) <= height || pixels <= 8) return lines;
    }
}

static void drawDescription(Surface* surface, const std::string& text, Rect area)
{
    // A margin of a twentieth on every side keeps the text off a bezel.
    int marginX = (area.Right - area.Left) / 20, marginY = (area.Bottom - area.Top) / 20;
    Rect inner{area.Left + marginX, area.Top + marginY, area.Right - marginX,
               area.Bottom - marginY};
    std::vector<std::string> lines = fittedLines(surface, text, inner);
    int lineHeight = getTextHeight(surface);
    int top = inner.Top + (inner.Bottom - inner.Top - (int)lines.size() * lineHeight) / 2;
    platformSetTextColor(surface, Skin.Fontcolor);
    platformSetBackgroundMode(surface, BackgroundTransparent);
    for (const std::string& line : lines)
    {
        int left = inner.Left + (inner.Right - inner.Left - getTextWidth(surface, line)) / 2;
        drawTextInRect(surface,
                       Rect{std::max(left, inner.Left), top, inner.Right, top + lineHeight}, line);
        top += lineHeight;
    }
}

void drawMarqueeScreen(Surface* surface, const Game* game)
{
    Rect area{0, 0, platformSurfaceWidth(surface), platformSurfaceHeight(surface)};
    platformFillRect(surface, area, Skin.Backgroundcolor);
    if (!game) return;
    std::string path;
    int jpeg = 0;
    const Picture* picture =
        findArtworkPath(game, PartMarquee, path, jpeg) ? findPicture(path, jpeg) : nullptr;
    if (picture)
        stretchPicture(surface, fitKeepingShape(area, picture->Width, picture->Height), picture);
    else
        drawDescription(surface, game->Description.empty() ? game->Name : game->Description, area);
}
