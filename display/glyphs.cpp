// Glyphs are drawn from shapes in a unit square scaled to the line height, filled row by row,
// so that they are as sharp at 40 pixels as at 12 and need no picture files.
#include "display/glyphs.h"

#include "catalogue/commandfile.h"
#include "config/skin.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

static const uint32_t ButtonGrey = 0x00909090, LabelBox = 0x00505050;

struct Point
{
    double X, Y;
};

// Where a glyph is drawn: its cell's top-left and the line height.
struct Cell
{
    int X, Y, Height;
};

static int padding(int height)
{
    return std::max(1, height / 10);
}

// The glyph's width without its padding.
static int bodyWidth(const Font* font, const CommandGlyph& glyph)
{
    int height = platformFontHeight(font);
    int label = platformTextWidth(font, glyph.Label);
    if (glyph.Shape == GlyphLabel) return label + height / 2;
    if (glyph.Shape == GlyphButton && std::strlen(glyph.Label) > 1)
        return std::max(height, label + height / 2);
    return height;
}

static int glyphWidth(const Font* font, const CommandGlyph& glyph)
{
    return bodyWidth(font, glyph) + 2 * padding(platformFontHeight(font));
}

// Calls run for each piece of plain text and glyph for each glyph, in order.
template <typename Run, typename Glyph>
static void forEachPiece(const std::string& text, Run run, Glyph glyph)
{
    size_t start = 0, at = 0;
    while (at < text.size())
    {
        int length = 0, found = glyphAt(text, at, &length);
        if (found < 0)
        {
            at++;
            continue;
        }
        if (at > start) run(text.substr(start, at - start));
        glyph(CommandGlyphs[found]);
        at += (size_t)length;
        start = at;
    }
    if (start < text.size()) run(text.substr(start));
}

int glyphTextWidth(const Font* font, const std::string& text)
{
    int width = 0;
    forEachPiece(
        text, [&](const std::string& piece) { width += platformTextWidth(font, piece); },
        [&](const CommandGlyph& glyph) { width += glyphWidth(font, glyph); });
    return width;
}

// ---- Shapes

// Fills the polygon (in pixels) row by row between its edges, the even-odd way.
static void fillPolygon(Surface* surface, const std::vector<Point>& points, uint32_t color)
{
    double top = points[0].Y, bottom = points[0].Y;
    for (const Point& p : points) top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
    std::vector<double> crossings;
    for (int y = (int)std::floor(top); y < (int)std::ceil(bottom); y++)
    {
        double middle = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < points.size(); i++)
        {
            Point a = points[i], b = points[(i + 1) % points.size()];
            if ((a.Y <= middle) != (b.Y <= middle))
                crossings.push_back(a.X + (middle - a.Y) * (b.X - a.X) / (b.Y - a.Y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2)
            platformFillRect(
                surface,
                {(int)std::lround(crossings[i]), y, (int)std::lround(crossings[i + 1]), y + 1},
                color);
    }
}

// The unit shape (centred on 0,0, about -0.5 to 0.5) turned by degrees, scaled by size and
// moved to the centre.
static std::vector<Point> placed(const std::vector<Point>& unit, Point centre, double size,
                                 double degrees = 0)
{
    double turn = degrees * M_PI / 180, c = std::cos(turn), s = std::sin(turn);
    std::vector<Point> out;
    for (Point p : unit)
        out.push_back(
            {centre.X + size * (p.X * c - p.Y * s), centre.Y + size * (p.X * s + p.Y * c)});
    return out;
}

static std::vector<Point> circle(double radius)
{
    std::vector<Point> points;
    for (int i = 0; i < 32; i++)
        points.push_back({radius * std::cos(i * M_PI / 16), radius * std::sin(i * M_PI / 16)});
    return points;
}

static std::vector<Point> star(double outer, double inner)
{
    std::vector<Point> points;
    for (int i = 0; i < 10; i++)
    {
        double radius = i % 2 ? inner : outer, angle = -M_PI / 2 + i * M_PI / 5;
        points.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    return points;
}

// The outline of a symbol by its name's last word, and whether it is solid or doubled.
static std::vector<Point> markOutline(const std::string& name)
{
    if (name.ends_with("circle") || name == "neutral") return circle(0.4);
    if (name.ends_with("dot")) return circle(0.12);
    if (name.ends_with("star")) return star(0.48, 0.2);
    if (name.ends_with("square"))
        return {{-0.36, -0.36}, {0.36, -0.36}, {0.36, 0.36}, {-0.36, 0.36}};
    if (name.ends_with("diamond")) return {{0, -0.45}, {0.45, 0}, {0, 0.45}, {-0.45, 0}};
    std::vector<Point> up = {{0, -0.4}, {0.44, 0.36}, {-0.44, 0.36}};
    if (name.ends_with("down triangle"))
        for (Point& p : up) p.Y = -p.Y;
    return up;
}

static void drawMark(Surface* surface, const CommandGlyph& glyph, Point centre, double size,
                     uint32_t background)
{
    std::string name = glyph.Label;
    std::vector<Point> outline = markOutline(name);
    uint32_t ink = platformGetTextColor(surface);
    fillPolygon(surface, placed(outline, centre, size), ink);
    if (name.starts_with("solid") || name == "dot") return;
    fillPolygon(surface, placed(outline, centre, size * 0.62), background);
    if (name.starts_with("double")) fillPolygon(surface, placed(outline, centre, size * 0.34), ink);
}

static void drawArrow(Surface* surface, char digit, Point centre, double size)
{
    // Pointing right; turned to the keypad direction (y grows downwards).
    static const double Turn[10] = {0, 135, 90, 45, 180, 0, 0, -135, -90, -45};
    static const std::vector<Point> Shaft = {
        {-0.42, -0.11}, {0.06, -0.11}, {0.06, 0.11}, {-0.42, 0.11}};
    static const std::vector<Point> Head = {{0.02, -0.34}, {0.44, 0}, {0.02, 0.34}};
    double degrees = digit >= '1' && digit <= '9' ? Turn[digit - '0'] : 0;
    uint32_t ink = platformGetTextColor(surface);
    fillPolygon(surface, placed(Shaft, centre, size, degrees), ink);
    fillPolygon(surface, placed(Head, centre, size, degrees), ink);
}

// A round button (for longer letters, a rounded one) with an outline, its letters centred.
static void drawButton(Surface* surface, const CommandGlyph& glyph, Rect body, uint32_t fill)
{
    const Font* font = platformSurfaceFont(surface);
    int height = body.Bottom - body.Top, round = height;
    uint32_t ink = platformGetTextColor(surface);
    platformRoundRect(surface, body, round, round, fill);
    platformSetTextColor(surface, readableOn(0x00FFFFFF, fill));
    int labelWidth = platformTextWidth(font, glyph.Label);
    platformTextOut(surface, (body.Left + body.Right - labelWidth) / 2, body.Top, glyph.Label);
    platformSetTextColor(surface, ink);
}

static void drawGlyph(Surface* surface, const CommandGlyph& glyph, Cell cell, uint32_t background)
{
    const Font* font = platformSurfaceFont(surface);
    int pad = padding(cell.Height), width = bodyWidth(font, glyph);
    Rect body = {cell.X + pad, cell.Y, cell.X + pad + width, cell.Y + cell.Height};
    Point centre = {(body.Left + body.Right) / 2.0, cell.Y + cell.Height / 2.0};
    if (glyph.Shape == GlyphArrow)
        drawArrow(surface, glyph.Label[0], centre, cell.Height);
    else if (glyph.Shape == GlyphMark)
        drawMark(surface, glyph, centre, cell.Height, background);
    else if (glyph.Shape == GlyphLabel)
        drawButton(surface, glyph, body, LabelBox);
    else
        drawButton(surface, glyph, body, glyph.Color ? glyph.Color : ButtonGrey);
}

void drawGlyphText(Surface* surface, int x, int y, const std::string& text, uint32_t background)
{
    const Font* font = platformSurfaceFont(surface);
    int height = platformFontHeight(font);
    forEachPiece(
        text,
        [&](const std::string& piece)
        {
            platformTextOut(surface, x, y, piece);
            x += platformTextWidth(font, piece);
        },
        [&](const CommandGlyph& glyph)
        {
            drawGlyph(surface, glyph, {x, y, height}, background);
            x += glyphWidth(font, glyph);
        });
}
