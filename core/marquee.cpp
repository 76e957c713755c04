// The display may be a monitor switched on after the cabinet, or one that is unplugged: it is
// looked for again whenever the system's displays change, and told of once each time it goes.
#include "core/marquee.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "display/marqueescreen.h"
#include "launch/launch.h"
#include "platform/screens.h"
#include "platform/window.h"
#include "runtime/state.h"

#include <cstdio>

MarqueeScreenRecord MarqueeScreen;

int marqueeRestMs()
{
    return FrontendSettings.VideoDelay > 0 ? FrontendSettings.VideoDelay : 600;
}

// The platform's own word: giving up the screen for a game closes the window behind our back.
static int isOpen()
{
    return platformSecondScreenDisplay() >= 0;
}

static int sideways()
{
    return FrontendSettings.MarqueeRotation == 90 || FrontendSettings.MarqueeRotation == 270;
}

static void openScreen()
{
    int display = FrontendSettings.MarqueeDisplay, width = 0, height = 0;
    std::string why;
    if (!platformOpenSecondScreen(display, &width, &height, why))
    {
        if (!MarqueeScreen.ToldMissing++)
            fprintf(stderr,
                    "Marquee screen: display %d cannot be used (%s); it is looked for "
                    "again when the displays change\n",
                    display, why.c_str());
        return;
    }
    if (MarqueeScreen.ToldMissing) fprintf(stderr, "Marquee screen: display %d is used\n", display);
    MarqueeScreen.ToldMissing = 0;
    MarqueeScreen.ShownSomething = 0;
    if (MarqueeScreen.Picture) platformFreeSurface(MarqueeScreen.Picture);
    MarqueeScreen.Picture =
        sideways() ? platformCreateSurface(height, width) : platformCreateSurface(width, height);
}

static void closeScreen()
{
    platformCloseSecondScreen();
}

void startMarqueeScreen()
{
    stopMarqueeScreen();
    if (FrontendSettings.MarqueeDisplay < 0) return;
    MarqueeScreen.SeenChanges = platformDisplayChanges();
    openScreen();
}

// A display that went away is let go; one that came (back) is opened. A window the layer
// closed because the compositor put it over the list waits for the displays to change.
static void followDisplays()
{
    std::string lost = platformTakeSecondScreenLoss();
    if (!lost.empty() && !MarqueeScreen.ToldMissing++)
        fprintf(stderr,
                "Marquee screen: display %d cannot be used (%s); it is looked for again when "
                "the displays change\n",
                FrontendSettings.MarqueeDisplay, lost.c_str());
    if (MarqueeScreen.SeenChanges == platformDisplayChanges()) return;
    MarqueeScreen.SeenChanges = platformDisplayChanges();
    if (isOpen() && FrontendSettings.MarqueeDisplay < platformDisplayCount()) return;
    if (isOpen())
    {
        fprintf(stderr, "Marquee screen: display %d went away\n", FrontendSettings.MarqueeDisplay);
        closeScreen();
        MarqueeScreen.ToldMissing = 1;
        return;
    }
    openScreen();
}

static void show(const Game* game)
{
    if (!MarqueeScreen.Picture || (MarqueeScreen.ShownSomething && game == MarqueeScreen.Shown))
        return;
    drawMarqueeScreen(MarqueeScreen.Picture, game);
    platformShowOnSecondScreen(MarqueeScreen.Picture, FrontendSettings.MarqueeRotation);
    MarqueeScreen.Shown = game;
    MarqueeScreen.ShownSomething = 1;
}

// The screensaver's and a game's pictures show at once; a selection only once it rests, so
// that scrolling through the list costs the main screen nothing.
void marqueeStep(int64_t restedMs)
{
    if (FrontendSettings.MarqueeDisplay < 0 || MarqueeScreen.Released) return;
    followDisplays();
    if (!isOpen()) return;
    if (RunningGame) return show(RunningGame);
    const Game* selected = selectedGame();
    if (FrontendState.ScreenSaverActive || restedMs >= marqueeRestMs() ||
        !MarqueeScreen.ShownSomething)
        show(selected);
}

// A screen given up for the game takes the marquee's display with it on the console, and
// elsewhere leaves the game's window alone on every display.
void marqueeGameNews(const Game* game, int started)
{
    if (FrontendSettings.MarqueeDisplay < 0) return;
    if (FrontendSettings.ReleaseScreenDuringGame)
    {
        MarqueeScreen.Released = started;
        if (started) return closeScreen();
        MarqueeScreen.SeenChanges = -1; // looked for again at the next step
        return;
    }
    if (started && isOpen()) show(game);
}

void stopMarqueeScreen()
{
    closeScreen();
    if (MarqueeScreen.Picture) platformFreeSurface(MarqueeScreen.Picture);
    MarqueeScreen = MarqueeScreenRecord();
}
