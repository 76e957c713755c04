// The second screen: an SDL window of its own, full screen on another display, showing a copy
// of the last picture it was given. Its focus counts as the screen's: a compositor that gives
// the newest window the keyboard must not leave the front end deaf.
#include "platform/internal.h"
#include "platform/screens.h"
#include "platform/testing.h"

#include <cstdio>
#include <string>

struct SecondScreenRecord
{
    SDL_Window* Window = nullptr;
    int Display = -1;
    SDL_Surface* Picture = nullptr; // upright, as last given
    int Degrees = 0;
    int Changes = 0;            // displays connected or disconnected
    int PretendedDisplays = -1; // a test's count of displays; -1 for the system's
    int PretendedWidth = 0, PretendedHeight = 0;
    int PretendedLanding = -1; // the display a test's compositor puts the window on; -1 as asked
    std::string Lost;          // why the layer closed the window itself, until taken
};
static SecondScreenRecord Second;

int platformDisplayCount()
{
    if (Second.PretendedDisplays >= 0) return Second.PretendedDisplays;
    if (!Layer.Started) return 0;
    int count = SDL_GetNumVideoDisplays();
    return count < 0 ? 0 : count;
}

int platformScreenDisplay()
{
    if (!Layer.Screen) return 0;
    int display = SDL_GetWindowDisplayIndex(Layer.Screen);
    return display < 0 ? 0 : display;
}

int platformDisplayChanges()
{
    return Second.Changes;
}

int platformSecondScreenDisplay()
{
    return Second.Window ? Second.Display : -1;
}

// The display the window is on now, as the window system says; a pretended display is where
// the test's compositor puts it.
static int displayOf(SDL_Window* window, int asked)
{
    if (Second.PretendedDisplays >= 0 && window == Second.Window)
        return Second.PretendedLanding >= 0 ? Second.PretendedLanding : asked;
    if (Second.PretendedDisplays >= 0) return 0;
    return SDL_GetWindowDisplayIndex(window);
}

// A compositor may put every window of a program on one output (weston's kiosk shell does):
// the marquee would then cover the list. Looked at whenever either window is placed anew.
static void checkPlacement()
{
    if (!Second.Window) return;
    int marquee = displayOf(Second.Window, Second.Display);
    int screen = Layer.Screen ? displayOf(Layer.Screen, 0) : -1;
    if (marquee < 0 || marquee != screen) return;
    platformCloseSecondScreen();
    Second.Lost = "the compositor placed the marquee screen on the main display";
}

// Where the window goes and how large it is; a pretended display lies on the dummy one.
static int displayBounds(int display, SDL_Rect& bounds)
{
    if (Second.PretendedDisplays >= 0 && display >= SDL_GetNumVideoDisplays())
    {
        bounds = {0, 0, Second.PretendedWidth, Second.PretendedHeight};
        return 1;
    }
    return SDL_GetDisplayBounds(display, &bounds) == 0;
}

static void showPicture()
{
    presentToWindow(Second.Window, Second.Picture, Second.Degrees, 1);
}

int platformOpenSecondScreen(int display, int* width, int* height, std::string& why)
{
    platformCloseSecondScreen();
    SDL_Rect bounds;
    if (!Layer.Started || display < 0 || display >= platformDisplayCount())
        return why = "the system lists no such display", 0;
    if (display == platformScreenDisplay()) return why = "the main screen is on it", 0;
    if (!displayBounds(display, bounds)) return why = "its size cannot be read", 0;
    Uint32 flags = fullScreenFlag();
    if (Layer.TestSeams) flags = SDL_WINDOW_BORDERLESS;
    int x = bounds.x, y = bounds.y;
    if (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) x = y = SDL_WINDOWPOS_UNDEFINED_DISPLAY(display);
    Second.Window = SDL_CreateWindow((Layer.Title + " marquee").c_str(), x, y, bounds.w, bounds.h,
                                     flags | SDL_WINDOW_SKIP_TASKBAR);
    if (!Second.Window) return why = SDL_GetError(), 0;
    Second.Display = display;
    SDL_GetWindowSize(Second.Window, width, height);
    showPicture();
    takeScreenFocus();
    checkPlacement();
    if (!Second.Window)
    {
        Second.Lost.clear(); // told by the caller, as any other failure to open
        return why = "the compositor placed the marquee screen on the main display", 0;
    }
    return 1;
}

void platformCloseSecondScreen()
{
    if (Second.Window) SDL_DestroyWindow(Second.Window);
    Second.Window = nullptr;
    Second.Display = -1;
}

std::string platformTakeSecondScreenLoss()
{
    std::string lost = Second.Lost;
    Second.Lost.clear();
    return lost;
}

void platformShowOnSecondScreen(const Surface* picture, int degrees)
{
    if (!Second.Window || !picture) return;
    SDL_FreeSurface(Second.Picture);
    Second.Picture = SDL_ConvertSurface(picture->Pixels, picture->Pixels->format, 0);
    if (Second.Picture) SDL_SetSurfaceBlendMode(Second.Picture, SDL_BLENDMODE_NONE);
    Second.Degrees = degrees == 90 || degrees == 180 || degrees == 270 ? degrees : 0;
    showPicture();
}

int secondScreenEvent(const SDL_Event& event)
{
    if (event.type == SDL_DISPLAYEVENT)
    {
        if (event.display.event != SDL_DISPLAYEVENT_ORIENTATION) Second.Changes++;
        return 1;
    }
    if (event.type != SDL_WINDOWEVENT || !Second.Window) return 0;
    int what = event.window.event;
    int placed = what == SDL_WINDOWEVENT_MOVED || what == SDL_WINDOWEVENT_DISPLAY_CHANGED ||
                 what == SDL_WINDOWEVENT_SHOWN;
    if (event.window.windowID != SDL_GetWindowID(Second.Window))
    {
        if (placed) checkPlacement(); // the main window moved: onto the marquee's display?
        return 0;
    }
    if (placed) checkPlacement();
    if (!Second.Window) return 1;
    if (what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_SIZE_CHANGED) showPicture();
    if (what == SDL_WINDOWEVENT_FOCUS_GAINED) screenFocusChanged(1);
    return 1;
}

void stopSecondScreen()
{
    platformCloseSecondScreen();
    SDL_FreeSurface(Second.Picture);
    Second.Picture = nullptr;
}

void testPretendLanding(int display)
{
    Second.PretendedLanding = display;
    checkPlacement(); // as after the compositor moved an open window there
}

void testPretendDisplays(int count, int width, int height)
{
    Second.PretendedLanding = -1;
    Second.PretendedDisplays = count;
    Second.PretendedWidth = width;
    Second.PretendedHeight = height;
    Second.Changes++;
}

Color testSecondScreenPixel(int x, int y)
{
    return windowPixel(Second.Window, x, y);
}
