// Scaling the skin's places from its design size to the screen.
#include "display/placement.h"

#include "display/layout.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>

SkinRecord PlacedSkin;
PlacementRecord Placement = {{1, 1}, {1, 1}, {1, 1}};

// The largest size a font is drawn at; beyond it glyphs would be taller than half a 1080p
// screen and cost seconds to draw.
const int LargestFontPoints = 405;

int scaled(Scale scale, int64_t value)
{
    if (scale.Screen == scale.Design || value == 0) return clampCoordinate(value);
    int64_t magnitude = value < 0 ? -value : value;
    int64_t result = (2 * magnitude * scale.Screen + scale.Design) / (2 * scale.Design);
    result = std::max<int64_t>(result, 1);
    return clampCoordinate(value < 0 ? -result : result);
}

Rect fitInBox(Rect box, int keepsOwnSize, Scale scale, int64_t width, int64_t height)
{
    if (!keepsOwnSize) return box;
    int64_t ownWidth = scaled(scale, width), ownHeight = scaled(scale, height);
    if (ownWidth < box.Right - box.Left)
    {
        box.Left = clampCoordinate(box.Left + (box.Right - box.Left - ownWidth) / 2);
        box.Right = clampCoordinate(box.Left + ownWidth);
    }
    if (ownHeight < box.Bottom - box.Top) box.Bottom = clampCoordinate(box.Top + ownHeight);
    return box;
}

Rect fitKeepingShape(Rect area, int64_t width, int64_t height)
{
    int64_t areaWidth = area.Right - area.Left, areaHeight = area.Bottom - area.Top;
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return area;
    // width/height against areaWidth/areaHeight, without dividing
    int64_t shownWidth = areaWidth, shownHeight = areaHeight;
    if (width * areaHeight > areaWidth * height)
        shownHeight = std::max<int64_t>(areaWidth * height / width, 1);
    else
        shownWidth = std::max<int64_t>(areaHeight * width / height, 1);
    int64_t left = area.Left + (areaWidth - shownWidth) / 2;
    int64_t top = area.Top + (areaHeight - shownHeight) / 2;
    return Rect{clampCoordinate(left), clampCoordinate(top), clampCoordinate(left + shownWidth),
                clampCoordinate(top + shownHeight)};
}

static void applyTallValues(SkinRecord& skin)
{
    for (const SkinValue& value : skin.TallValues) skin.*value.Field = value.Value;
}

static PlacementRecord placementFor(const SkinRecord& skin, int width, int height)
{
    if (skin.DesignWidth <= 0 || skin.DesignHeight <= 0 || width <= 0 || height <= 0)
        return {{1, 1}, {1, 1}, {1, 1}};
    Scale across = {width, skin.DesignWidth}, down = {height, skin.DesignHeight};
    // a/b < c/d  <=>  a*d < c*b, with every term below 2^31
    int acrossSmaller = across.Screen * down.Design < down.Screen * across.Design;
    return {across, down, acrossSmaller ? across : down};
}

// Told once for each size asked for, not at every redraw.
static int fontSize(int points, Scale down)
{
    int size = scaled(down, points);
    int limited = std::clamp(size, -LargestFontPoints, LargestFontPoints);
    static int lastTold = 0;
    if (limited != size && points != lastTold)
    {
        fprintf(stderr, "A font of %d points is %d points on this screen; it is drawn at %d\n",
                points, size, limited);
        lastTold = points;
    }
    return limited;
}

static void scaleBox(SkinRecord& skin, int SkinRecord::*x, int SkinRecord::*y,
                     int SkinRecord::*width, int SkinRecord::*height)
{
    skin.*x = scaled(Placement.Across, skin.*x);
    skin.*y = scaled(Placement.Down, skin.*y);
    skin.*width = scaled(Placement.Across, skin.*width);
    skin.*height = scaled(Placement.Down, skin.*height);
}

// The skin's own values with the tall layout's in force on a screen taller than wide.
static SkinRecord layoutFor(int width, int height)
{
    SkinRecord skin = Skin;
    if (height > width) applyTallValues(skin);
    return skin;
}

void placeSkin(int width, int height)
{
    PlacedSkin = layoutFor(width, height);
    Placement = placementFor(PlacedSkin, width, height);
    SkinRecord& skin = PlacedSkin;
    scaleBox(skin, &SkinRecord::ListStartX, &SkinRecord::ListStartY, &SkinRecord::ListWidth,
             &SkinRecord::ListHeight);
    scaleBox(skin, &SkinRecord::MarqueeStartX, &SkinRecord::MarqueeStartY,
             &SkinRecord::MarqueeWidth, &SkinRecord::MarqueeHeight);
    scaleBox(skin, &SkinRecord::ScreenshotStartX, &SkinRecord::ScreenshotStartY,
             &SkinRecord::ScreenshotWidth, &SkinRecord::ScreenshotHeight);
    scaleBox(skin, &SkinRecord::FlyerStartX, &SkinRecord::FlyerStartY, &SkinRecord::FlyerWidth,
             &SkinRecord::FlyerHeight);
    skin.PreviewSpacer = scaled(Placement.Pictures, skin.PreviewSpacer);
    skin.Fontsize = fontSize(skin.Fontsize, Placement.Down);
    skin.StatusBarFontSize = fontSize(skin.StatusBarFontSize, Placement.Down);
    skin.MenuFontSize = fontSize(skin.MenuFontSize, Placement.Down);
}

int screenFontSize(int points)
{
    Rect screen = platformScreenRect();
    int width = screen.Right - screen.Left, height = screen.Bottom - screen.Top;
    return fontSize(points, placementFor(layoutFor(width, height), width, height).Down);
}
