// The one way a picture reaches a window, for the main screen and the marquee screen alike:
// put into the window's surface (turned, or copied upright) and shown.
#include "platform/internal.h"

#include <algorithm>

// Where the layout's pixel (x, y) lands on the real screen, as steps: the screen offset of
// the layout's origin and how one step right and one step down in the layout move on it.
struct TurnSteps
{
    int64_t Origin, AcrossStep, DownStep;
};

static TurnSteps turnSteps(const SDL_Surface* screen, int degrees)
{
    int64_t row = screen->pitch / 4, right = screen->w - 1, bottom = screen->h - 1;
    switch (degrees)
    {
    case 90: // the layout's top edge along the screen's right edge
        return {right, row, -1};
    case 180:
        return {bottom * row + right, -1, -row};
    default: // 270: the top edge along the screen's left edge
        return {bottom * row, -row, 1};
    }
}

// Turned in tiles, so that the reads and writes of a tile stay in the cache whichever way
// the screen's rows run.
void turnInto(const SDL_Surface* layout, SDL_Surface* screen, int degrees)
{
    const int Tile = 64;
    int across = degrees == 90 || degrees == 270;
    int width = std::min(layout->w, across ? screen->h : screen->w);
    int height = std::min(layout->h, across ? screen->w : screen->h);
    TurnSteps steps = turnSteps(screen, degrees);
    uint32_t* target = (uint32_t*)screen->pixels;
    for (int tileY = 0; tileY < height; tileY += Tile)
        for (int tileX = 0; tileX < width; tileX += Tile)
            for (int y = tileY; y < std::min(height, tileY + Tile); y++)
            {
                const uint32_t* from =
                    (const uint32_t*)((const uint8_t*)layout->pixels + (size_t)y * layout->pitch);
                int64_t at = steps.Origin + y * steps.DownStep + tileX * steps.AcrossStep;
                for (int x = tileX; x < std::min(width, tileX + Tile); x++, at += steps.AcrossStep)
                    target[at] = from[x];
            }
}

void presentToWindow(SDL_Window* window, SDL_Surface* picture, int degrees, int clearFirst)
{
    SDL_Surface* screen = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!screen) return;
    if (clearFirst) SDL_FillRect(screen, nullptr, 0);
    if (picture && picture != screen)
    {
        if (degrees != 0 && screen->format->BytesPerPixel == 4)
        {
            SDL_LockSurface(screen);
            turnInto(picture, screen, degrees);
            SDL_UnlockSurface(screen);
        }
        else
            SDL_BlitSurface(picture, nullptr, screen, nullptr);
    }
    SDL_UpdateWindowSurface(window);
}

Color windowPixel(SDL_Window* window, int x, int y)
{
    SDL_Surface* screen = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!screen || x < 0 || y < 0 || x >= screen->w || y >= screen->h) return 0xFFFFFFFF;
    Uint8 r, g, b;
    uint8_t* row = (uint8_t*)screen->pixels + (size_t)y * screen->pitch;
    SDL_GetRGB(*(uint32_t*)(row + (size_t)x * 4), screen->format, &r, &g, &b);
    return (Color)r | ((Color)g << 8) | ((Color)b << 16);
}
