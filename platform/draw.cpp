// Drawing surfaces: XRGB pixel buffers with blending off, filled, copied and stretched into.
#include "platform/internal.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// An empty surface still gets one pixel, so that no drawing operation meets a null buffer.
static SDL_Surface* newPixels(int width, int height)
{
    SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormat(0, std::max(1, width), std::max(1, height),
                                                         32, SDL_PIXELFORMAT_RGB888);
    if (!pixels)
    {
        fprintf(stderr, "Cannot create a %dx%d surface: %s\n", width, height, SDL_GetError());
        return nullptr;
    }
    // An alpha channel would make a copy blend: a pixel written as 0x00RRGGBB would vanish.
    SDL_SetSurfaceBlendMode(pixels, SDL_BLENDMODE_NONE);
    SDL_FillRect(pixels, nullptr, 0);
    return pixels;
}

Surface* createSurfaceFor(Window* owner, int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    SDL_Surface* pixels = newPixels(width, height);
    if (!pixels) return nullptr;
    Surface* surface = new Surface();
    surface->Pixels = pixels;
    surface->Width = width;
    surface->Height = height;
    surface->Owner = owner;
    // The defaults of a new device context: black text on an opaque white background.
    surface->TextColor = 0x000000;
    surface->BackColor = 0xFFFFFF;
    surface->BackMode = BackgroundOpaque;
    return surface;
}

void resizeSurface(Surface* surface, int width, int height)
{
    if (!surface || (surface->Width == width && surface->Height == height)) return;
    SDL_Surface* pixels = newPixels(width, height);
    if (!pixels) return; // the old picture stays, at its old size
    SDL_FreeSurface(surface->Pixels);
    surface->Pixels = pixels;
    surface->Width = std::max(0, width);
    surface->Height = std::max(0, height);
}

Surface* platformCreateSurface(int width, int height)
{
    return createSurfaceFor(nullptr, width, height);
}

void freeSurfaceRecord(Surface* surface)
{
    if (!surface) return;
    fontSelected(surface->Selected, -1);
    SDL_FreeSurface(surface->Pixels);
    delete surface;
}

void platformFreeSurface(Surface* surface)
{
    // A window's own surface lives and dies with its window.
    if (!surface || surface->Owner) return;
    endSurfaceLoans(surface);
    freeSurfaceRecord(surface);
}

int platformSurfaceWidth(const Surface* surface)
{
    return surface ? surface->Width : 0;
}

int platformSurfaceHeight(const Surface* surface)
{
    return surface ? surface->Height : 0;
}

static uint32_t* rowOf(const Surface* surface, int y)
{
    return (uint32_t*)((uint8_t*)surface->Pixels->pixels + (size_t)y * surface->Pixels->pitch);
}

// The part of rect inside the surface; empty (Right <= Left) when none is.
static Rect clipToSurface(const Surface* surface, Rect rect)
{
    rect.Left = std::max(rect.Left, 0);
    rect.Top = std::max(rect.Top, 0);
    rect.Right = std::min(rect.Right, surface->Width);
    rect.Bottom = std::min(rect.Bottom, surface->Height);
    return rect;
}

static void fillSpan(const Surface* surface, int y, int left, int right, uint32_t pixel)
{
    left = std::max(left, 0);
    right = std::min(right, surface->Width);
    if (y < 0 || y >= surface->Height || left >= right) return;
    std::fill(rowOf(surface, y) + left, rowOf(surface, y) + right, pixel);
}

void platformFillRect(Surface* surface, Rect rect, Color color)
{
    if (!surface) return;
    Rect clipped = clipToSurface(surface, rect);
    if (clipped.Right <= clipped.Left || clipped.Bottom <= clipped.Top) return;
    SDL_Rect area = {clipped.Left, clipped.Top, clipped.Right - clipped.Left,
                     clipped.Bottom - clipped.Top};
    SDL_FillRect(surface->Pixels, &area, pixelOf(color));
    markDirty(surface->Owner);
}

void platformCopyRect(Surface* target, int x, int y, int width, int height, const Surface* source,
                      int sourceX, int sourceY)
{
    if (!target || !source || width <= 0 || height <= 0) return;
    if (source == target && x == sourceX && y == sourceY) return; // onto itself
    // Only the part that lies inside both surfaces is copied.
    int clipLeft = std::max({0, -x, -sourceX}), clipTop = std::max({0, -y, -sourceY});
    width = std::min({width, target->Width - x, source->Width - sourceX});
    height = std::min({height, target->Height - y, source->Height - sourceY});
    if (width - clipLeft <= 0 || height - clipTop <= 0) return;
    SDL_Rect from = {sourceX + clipLeft, sourceY + clipTop, width - clipLeft, height - clipTop};
    SDL_Rect to = {x + clipLeft, y + clipTop, 0, 0};
    if (source == target)
    {
        // Overlapping rows of one surface go through a copy.
        SDL_Surface* copy = SDL_DuplicateSurface(source->Pixels);
        if (!copy) return;
        SDL_SetSurfaceBlendMode(copy, SDL_BLENDMODE_NONE);
        SDL_BlitSurface(copy, &from, target->Pixels, &to);
        SDL_FreeSurface(copy);
    }
    else
        SDL_BlitSurface(source->Pixels, &from, target->Pixels, &to);
    markDirty(target->Owner);
}

void platformStretchPicture(Surface* target, Rect rect, const uint8_t* bits, int width, int height,
                            int pitch, int bottomUp)
{
    int rectWidth = rect.Right - rect.Left, rectHeight = rect.Bottom - rect.Top;
    if (!target || !bits || width <= 0 || height <= 0 || pitch < width * 4) return;
    if (rectWidth <= 0 || rectHeight <= 0) return;
    Rect clipped = clipToSurface(target, rect);
    if (clipped.Right <= clipped.Left) return;
    // Nearest neighbour: each target column takes the source column its centre falls in.
    std::vector<int> columns((size_t)(clipped.Right - clipped.Left));
    for (int x = clipped.Left; x < clipped.Right; x++)
        columns[(size_t)(x - clipped.Left)] = (int)(((int64_t)(x - rect.Left) * width) / rectWidth);
    for (int y = clipped.Top; y < clipped.Bottom; y++)
    {
        int sourceRow = (int)(((int64_t)(y - rect.Top) * height) / rectHeight);
        if (bottomUp) sourceRow = height - 1 - sourceRow;
        const uint32_t* from = (const uint32_t*)(bits + (size_t)sourceRow * (size_t)pitch);
        uint32_t* to = rowOf(target, y) + clipped.Left;
        for (size_t i = 0; i < columns.size(); i++) to[i] = from[columns[i]] & 0xFFFFFF;
    }
    markDirty(target->Owner);
}

// How far row i of a height-high shape is indented by corner ellipses of radii rx, ry.
static int cornerInset(int i, int height, double rx, double ry)
{
    double dy;
    if (i < ry)
        dy = ry - i - 0.5;
    else if (i >= height - ry)
        dy = i - (height - ry) + 0.5;
    else
        return 0;
    double ratio = dy / ry;
    return (int)std::lround(rx - rx * std::sqrt(std::max(0.0, 1.0 - ratio * ratio)));
}

void platformRoundRect(Surface* surface, Rect rect, int ellipseWidth, int ellipseHeight,
                       Color brush)
{
    int width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
    if (!surface || width <= 0 || height <= 0) return;
    double rx = std::min(std::max(ellipseWidth, 0), width) / 2.0;
    double ry = std::min(std::max(ellipseHeight, 0), height) / 2.0;
    const uint32_t fill = pixelOf(brush), pen = 0;
    // Only the rows on the surface are visited, however tall the shape.
    int first = std::max(0, -rect.Top), last = std::min(height, surface->Height - rect.Top);
    for (int i = first; i < last; i++)
    {
        int y = rect.Top + i, inset = cornerInset(i, height, rx, ry);
        int left = rect.Left + inset, right = rect.Right - inset;
        if (i == 0 || i == height - 1)
        {
            fillSpan(surface, y, left, right, pen);
            continue;
        }
        // The pen reaches from this row's edge to the next row's towards the outside, so a
        // steep part of the curve has no gaps.
        int outer = cornerInset(i < height / 2 ? i - 1 : i + 1, height, rx, ry);
        int run = std::max(1, outer - inset);
        fillSpan(surface, y, left, right, fill);
        fillSpan(surface, y, left, left + run, pen);
        fillSpan(surface, y, right - run, right, pen);
    }
    markDirty(surface->Owner);
}

Color platformGetPixel(const Surface* surface, int x, int y)
{
    if (!surface || x < 0 || y < 0 || x >= surface->Width || y >= surface->Height)
        return 0xFFFFFFFF; // no colour, as for a point outside the picture
    return colorOf(rowOf(surface, y)[x]);
}

void platformSetTextColor(Surface* surface, Color color)
{
    if (surface) surface->TextColor = color;
}

Color platformGetTextColor(const Surface* surface)
{
    return surface ? surface->TextColor : 0;
}

void platformSetBackgroundColor(Surface* surface, Color color)
{
    if (surface) surface->BackColor = color;
}

void platformSetBackgroundMode(Surface* surface, int mode)
{
    if (surface && (mode == BackgroundTransparent || mode == BackgroundOpaque))
        surface->BackMode = mode;
}

Font* platformSelectFont(Surface* surface, Font* font)
{
    if (!surface) return nullptr;
    Font* previous = surface->Selected;
    surface->Selected = font;
    fontSelected(font, 1);
    fontSelected(previous, -1);
    return previous;
}
