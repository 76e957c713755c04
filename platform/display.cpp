// Which display the front end runs on (X11, Wayland, or the console through KMS/DRM), and
// giving its screen up while a game runs.
#include "platform/internal.h"
#include "platform/screens.h"
#include "platform/window.h"

#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct DisplayChoice
{
    const char* Driver; // SDL's name
    const char* Name;   // the name an owner knows it by
};

// SDL's own order: an X display first (Xwayland included), then a Wayland compositor, then the
// console's DRM device when no display server runs.
static const DisplayChoice Choices[] = {
    {"x11", "X11"}, {"wayland", "Wayland"}, {"KMSDRM", "KMS/DRM"}};

static void noteSeat(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    if (strcmp(interface, wl_seat_interface.name) == 0) *(int*)data = 1;
}

static void ignoreRemoval(void*, wl_registry*, uint32_t) {}

// SDL 2.26 crashes on a Wayland display without a seat (a headless compositor, a kiosk with
// no input device yet): such a display is looked at first. Empty when it can be used, else why.
static std::string waylandProblem()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return "no compositor answers";
    int seat = 0;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {noteSeat, ignoreRemoval};
    wl_registry_add_listener(registry, &listener, &seat);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return seat ? "" : "the compositor offers no seat: no keyboard, pointer or touch";
}

static int isWayland(const char* driver)
{
    return driver && SDL_strcasecmp(driver, "wayland") == 0;
}

static void (*SaveWhenDisplayLost)();

void platformWhenDisplayLost(void (*save)())
{
    SaveWhenDisplayLost = save;
}

// Anything that tears the layer down would talk to the dead display again (Xlib's own ending
// runs the exit handlers, whose SDL calls then spin for good), so the process ends here.
[[noreturn]] static void leaveWithoutDisplay(const char* what)
{
    Layer.DisplayLost = 1;
    fprintf(stderr, "The display was lost (%s): the settings are saved and Torvanell ends\n", what);
    endRunningPrograms(); // a game left running would hold the sound and the cabinet
    if (SaveWhenDisplayLost) SaveWhenDisplayLost();
    fflush(nullptr);
    _exit(DisplayLostExitCode);
}

// SDL tells of a Wayland connection that broke by a quit event, as if the player had asked.
void quitOrDisplayLost()
{
    if (isWayland(SDL_GetCurrentVideoDriver()) && waylandConnectionBroken(Layer.Screen))
        leaveWithoutDisplay("the Wayland compositor went away");
    platformPostQuit(0);
}

static int startDriver(const DisplayChoice& choice, std::string& tried)
{
    std::string problem = isWayland(choice.Driver) ? waylandProblem() : "";
    if (problem.empty())
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, choice.Driver);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        {
            // After SDL's own: the last one set is the one Xlib calls.
            if (strcmp(choice.Driver, "x11") == 0) watchXConnection(leaveWithoutDisplay);
            return 1;
        }
        problem = SDL_GetError();
    }
    tried += std::string(tried.empty() ? "" : "; ") + choice.Name + ": " + problem;
    return 0;
}

int startDisplay()
{
    const char* wanted = getenv("SDL_VIDEODRIVER");
    std::string tried;
    if (wanted && *wanted)
    {
        // Asked for by name (the tests ask for the dummy driver): that one or none.
        if (startDriver({wanted, wanted}, tried)) return 1;
    }
    else
        for (const DisplayChoice& choice : Choices)
            if (startDriver(choice, tried))
            {
                fprintf(stderr, "Display: %s\n", choice.Name);
                return 1;
            }
    fprintf(stderr,
            "No display (%s). Torvanell needs an X display (set DISPLAY, for example DISPLAY=:0, "
            "or start one with 'Xvfb :1 &' and use DISPLAY=:1), a Wayland compositor with a "
            "seat (WAYLAND_DISPLAY), or the console's DRM device (/dev/dri/card0).\n",
            tried.c_str());
    return 0;
}

// Drawing straight into X's window memory presents ten times faster than through a texture;
// Wayland and KMS/DRM have no such memory and need the texture.
void setFramebufferHint()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    int x11 = driver && strcmp(driver, "x11") == 0;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, x11 ? "0" : "1");
}

static int onConsole()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcasecmp(driver, "KMSDRM") == 0;
}

int platformOwnsDisplayDevice()
{
    return Layer.Started && onConsole();
}

// On the console the window is the display device itself: only ending the video lets an
// emulator have it.
void platformReleaseScreen()
{
    if (!Layer.Started || !Layer.Screen) return;
    platformCloseSecondScreen(); // it would outlive the video it belongs to on the console
    int console = onConsole();
    freeTurnedPicture();
    SDL_DestroyWindow(Layer.Screen);
    Layer.Screen = nullptr;
    Layer.ScreenShown = 0;
    Layer.ReleasedConsole = console;
    if (console) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int platformTakeBackScreen()
{
    if (!Layer.Started || Layer.Screen) return 1;
    if (Layer.ReleasedConsole && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        fprintf(stderr, "Cannot take the display back after the game: %s\n", SDL_GetError());
        return 0;
    }
    Layer.ReleasedConsole = 0;
    if (!createScreen()) return 0;
    showScreen();
    Layer.Dirty = 1;
    presentIfDirty();
    return 1;
}
