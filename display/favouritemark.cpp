// The star is filled row by row: each pixel row's crossings with the outline, sampled at the
// row's middle, give the spans inside it. No font need carry a star glyph.
#include "display/favouritemark.h"

#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <vector>

struct Point
{
    double X, Y;
};

// Ten corners, the points outward and the notches at the ratio of a regular star, the top
// point straight up.
static std::vector<Point> starOutline(double centreX, double centreY, double radius)
{
    const double pi = 3.14159265358979323846;
    const double inner = radius * 0.381966;
    std::vector<Point> corners;
    for (int i = 0; i < 10; i++)
    {
        double angle = -pi / 2 + i * pi / 5;
        double r = i % 2 ? inner : radius;
        corners.push_back({centreX + r * std::cos(angle), centreY + r * std::sin(angle)});
    }
    return corners;
}

static std::vector<double> crossings(const std::vector<Point>& outline, double y)
{
    std::vector<double> xs;
    for (size_t i = 0; i < outline.size(); i++)
    {
        Point a = outline[i], b = outline[(i + 1) % outline.size()];
        if ((a.Y <= y) == (b.Y <= y)) continue;
        xs.push_back(a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y));
    }
    std::sort(xs.begin(), xs.end());
    return xs;
}

static void fillStar(Surface* surface, double centreX, double centreY, double radius,
                     uint32_t color)
{
    std::vector<Point> outline = starOutline(centreX, centreY, radius);
    int top = (int)std::floor(centreY - radius), bottom = (int)std::ceil(centreY + radius);
    for (int y = top; y < bottom; y++)
    {
        std::vector<double> xs = crossings(outline, y + 0.5);
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
        {
            int from = (int)std::lround(xs[i]), to = (int)std::lround(xs[i + 1]);
            if (to > from) platformFillRect(surface, Rect{from, y, to, y + 1}, color);
        }
    }
}

// A dark rim keeps the star apart from a picture or a bar of about its colour.
void drawFavouriteMark(Surface* surface, int left, int top, int side, uint32_t color)
{
    if (side < 3) return;
    double radius = side / 2.0, rim = std::max(side / 12.0, 1.0);
    // A star's points reach lower on the sides than its notches: centred a little low, it
    // sits in the middle of its square.
    double centreX = left + radius, centreY = top + radius * 1.1;
    fillStar(surface, centreX, centreY, radius + rim, 0x000000);
    fillStar(surface, centreX, centreY, radius - rim, color);
}
