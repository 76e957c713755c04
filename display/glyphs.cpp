// Glyphs are drawn from shapes in a unit square scaled to the line height, filled row by row,
// so that they are as sharp at 40 pixels as at 12 and need no picture files.
#include "display/glyphs.h"

#include "base/text.h"
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

// A piece of a laid-out line: a text, or a glyph (Glyph >= 0), and where it starts.
struct Piece
{
    int X;
    int Glyph;
    std::string Text;
};

struct LaidOut
{
    std::vector<Piece> Pieces;
    int Width;
};

static void addText(LaidOut& line, const Font* font, const std::string& text, size_t from,
                    size_t to)
{
    if (to <= from) return;
    std::string piece = text.substr(from, to - from);
    line.Pieces.push_back({line.Width, -1, piece});
    line.Width += platformTextWidth(font, piece);
}

// The files' authors align their columns for a font whose characters are all as wide, and a
// glyph as wide as its two-character code: two blanks or more move on to the column where they
// end, in widths of a digit, unless the text before has already passed it.
static LaidOut layOut(const Font* font, const std::string& text)
{
    LaidOut line{{}, 0};
    int cell = platformTextWidth(font, "0");
    size_t start = 0, at = 0, column = 0;
    while (at < text.size())
    {
        int length = 0, glyph = glyphAt(text, at, &length);
        size_t blanks = at;
        while (blanks < text.size() && text[blanks] == ' ') blanks++;
        if (glyph >= 0)
        {
            addText(line, font, text, start, at);
            line.Pieces.push_back({line.Width, glyph, ""});
            line.Width += glyphWidth(font, CommandGlyphs[glyph]);
            at += (size_t)length, column += 2, start = at;
        }
        else if (blanks - at >= 2)
        {
            addText(line, font, text, start, at);
            column += blanks - at;
            line.Width = std::max(line.Width + cell, (int)column * cell);
            at = start = blanks;
        }
        else
            at += (size_t)characterLength(text, at), column++;
    }
    addText(line, font, text, start, text.size());
    return line;
}

int glyphTextWidth(const Font* font, const std::string& text)
{
    return layOut(font, text).Width;
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
    for (const Piece& piece : layOut(font, text).Pieces)
        if (piece.Glyph >= 0)
            drawGlyph(surface, CommandGlyphs[piece.Glyph], {x + piece.X, y, height}, background);
        else
            platformTextOut(surface, x + piece.X, y, piece.Text);
}
