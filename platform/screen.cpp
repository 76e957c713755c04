// The screen's size and turn. On a turned screen (a vertical or cocktail cabinet) the windows
// are composed upright into a picture of the turned size, which is then turned onto the real
// screen; the windows and everything above this layer only ever see the upright layout.
#include "platform/internal.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>

static int sideways()
{
    return Layer.Rotation == 90 || Layer.Rotation == 270;
}

// Puts the layout's size in step with the real screen and the turn; windows that covered the
// old layout are stretched over the new one.
static void fitLayout()
{
    int oldWidth = Layer.ScreenWidth, oldHeight = Layer.ScreenHeight;
    Layer.ScreenWidth = sideways() ? Layer.PhysicalHeight : Layer.PhysicalWidth;
    Layer.ScreenHeight = sideways() ? Layer.PhysicalWidth : Layer.PhysicalHeight;
    if (Layer.ScreenWidth == oldWidth && Layer.ScreenHeight == oldHeight) return;
    refitScreenWindows(oldWidth, oldHeight);
    Layer.Dirty = 1;
}

void platformSetRotation(int degrees)
{
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270) degrees = 0;
    Layer.Rotation = degrees;
    if (Layer.Started) fitLayout();
}

void screenSizeChanged(int width, int height)
{
    if (width <= 0 || height <= 0) return;
    if (width == Layer.PhysicalWidth && height == Layer.PhysicalHeight) return;
    Layer.PhysicalWidth = width;
    Layer.PhysicalHeight = height;
    fitLayout();
}

void setScreenSize(int width, int height)
{
    Layer.PhysicalWidth = Layer.ScreenWidth = width;
    Layer.PhysicalHeight = Layer.ScreenHeight = height;
    fitLayout();
}

static SDL_Surface* turnedPicture(const SDL_Surface* screen)
{
    SDL_Surface*& turned = Layer.Turned;
    if (turned && turned->w == Layer.ScreenWidth && turned->h == Layer.ScreenHeight &&
        turned->format->format == screen->format->format)
        return turned;
    SDL_FreeSurface(turned);
    turned =
        SDL_CreateRGBSurfaceWithFormat(0, std::max(1, Layer.ScreenWidth),
                                       std::max(1, Layer.ScreenHeight), 32, screen->format->format);
    if (turned) SDL_SetSurfaceBlendMode(turned, SDL_BLENDMODE_NONE);
    return turned;
}

SDL_Surface* composeTarget()
{
    SDL_Surface* screen = Layer.Screen ? SDL_GetWindowSurface(Layer.Screen) : nullptr;
    if (!screen || Layer.Rotation == 0) return screen;
    if (screen->format->BytesPerPixel != 4)
    {
        static int told = 0;
        if (!told++) fprintf(stderr, "The screen's pixel format cannot be turned; it is upright\n");
        return screen;
    }
    return turnedPicture(screen);
}

void showComposed(SDL_Surface* composed)
{
    presentToWindow(Layer.Screen, composed, Layer.Rotation, 0);
}

void freeTurnedPicture()
{
    SDL_FreeSurface(Layer.Turned);
    Layer.Turned = nullptr;
}
