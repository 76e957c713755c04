// The scroll window draws the wrapped text into a back buffer whenever the page, the top line or
// the size changes; painting only copies it, as the main window does. Only the page shown is
// wrapped.
#include "popups/gameinfo.h"

#include "base/message.h"
#include "config/settings.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/glyphs.h"
#include "display/placement.h"
#include "display/text.h"
#include "display/wordwrap.h"
#include "platform/messagebox.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>
#include <climits>
#include <cstdio>

Window* ScrollWindow;
int ScrollPage;
int ScrollTopLine;

// The rest of the open window's state; set when it opens, cleared when it closes.
// The pages: borrowed from the caller, never changed here.
static const std::vector<InfoPage>* ScrollPages;
// The page's lines wrapped to the window's width: owned, rebuilt at every size or page change.
static std::vector<std::string> WrappedLines;
// The client-sized back buffer the text is drawn into; painting only copies it.
static Surface* ScrollBackBuffer;

static void freeWrappedLines()
{
    WrappedLines.clear();
    WrappedLines.shrink_to_fit(); // a text of megabytes is not kept after the window closed
}

// Half a line inside the frame, at least ScrollTextMargin: it grows with the font and so with
// the screen.
static int textMargin()
{
    return std::max(getTextHeight(ScrollBackBuffer) / 2, ScrollTextMargin);
}

static const InfoPage* shownPage()
{
    if (!ScrollPages || ScrollPage < 0 || ScrollPage >= (int)ScrollPages->size()) return nullptr;
    return &(*ScrollPages)[(size_t)ScrollPage];
}

// A window of one untitled page is the plain information window, without a band.
static int bandHeight()
{
    if (!ScrollPages || (ScrollPages->size() == 1 && (*ScrollPages)[0].Title.empty())) return 0;
    return getTextHeight(ScrollBackBuffer) + textMargin();
}

// The page's title at the left and "n/m" at the right, in the [Menu] title's colours.
static void paintBand(Rect client)
{
    int height = bandHeight(), margin = textMargin();
    if (!height) return;
    Rect band = {client.Left, client.Top, client.Right, client.Top + height};
    platformFillRect(ScrollBackBuffer, band, Skin.Menu.TitleBackcolor);
    platformSetTextColor(ScrollBackBuffer, Skin.Menu.TitleForecolor);
    std::string counter =
        message("{1}/{2}", {std::to_string(ScrollPage + 1), std::to_string(ScrollPages->size())});
    int counterWidth = getTextWidth(ScrollBackBuffer, counter), y = margin / 2;
    platformTextOut(ScrollBackBuffer, client.Right - margin - counterWidth, y, counter);
    const InfoPage* page = shownPage();
    int room = client.Right - client.Left - 3 * margin - counterWidth;
    if (page && page->Glyphs &&
        glyphTextWidth(platformSurfaceFont(ScrollBackBuffer), page->Title) <= room)
        drawGlyphText(ScrollBackBuffer, margin, y, page->Title, Skin.Menu.TitleBackcolor);
    else if (page) // cut to the room left beside the counter
        platformTextOut(ScrollBackBuffer, margin, y,
                        fitToWidth(ScrollBackBuffer, page->Title, room));
    platformSetTextColor(ScrollBackBuffer, Skin.Menu.Fontcolor);
}

// Whole lines only, each a margin clear of the band, the left and the bottom edges, in the
// skin's [Menu] look with its frame.
static void paintScrollText(Window* window)
{
    if (!ScrollBackBuffer) return;
    Rect client = platformClientRect(window);
    fillFramed(ScrollBackBuffer, client, Skin.Menu.TitleBackcolor, Skin.Menu.Backgroundcolor);
    paintBand(client);
    int lineHeight = getTextHeight(ScrollBackBuffer), margin = textMargin();
    int lowestTop = client.Bottom - lineHeight - margin;
    int y = bandHeight() + margin, glyphs = shownPage() && shownPage()->Glyphs;
    for (size_t i = (size_t)std::max(ScrollTopLine, 0); i < WrappedLines.size() && y <= lowestTop;
         i++, y += lineHeight)
        if (glyphs)
            drawGlyphText(ScrollBackBuffer, margin, y, WrappedLines[i], Skin.Menu.Backgroundcolor);
        else
            platformTextOut(ScrollBackBuffer, margin, y, WrappedLines[i]);
}

static void wrapShownPage(Window* window)
{
    freeWrappedLines();
    Rect client = platformClientRect(window);
    int width = client.Right - client.Left - 2 * (ScrollBackBuffer ? textMargin() : 0);
    const InfoPage* page = shownPage();
    if (page)
        WrappedLines = page->Glyphs
                           ? wordWrapText(ScrollBackBuffer, width, page->Lines, glyphTextWidth)
                           : wordWrapText(ScrollBackBuffer, width, page->Lines);
    // At the new width the text may have fewer lines: the top one must still be among them.
    ScrollTopLine = std::clamp(ScrollTopLine, 0, std::max((int)WrappedLines.size() - 1, 0));
}

// Everything that depends on the client size is made again: the back buffer with its font and
// colours, and the wrapping.
static void onSize(Window* window)
{
    ScrollBackBuffer = renewBackBuffer(window, ScrollBackBuffer);
    if (ScrollBackBuffer)
    {
        createFont(ScrollBackBuffer, Skin.Menu.Fontface, screenFontSize(Skin.Fontsize), 0);
        platformSetTextColor(ScrollBackBuffer, Skin.Menu.Fontcolor);
        platformSetBackgroundMode(ScrollBackBuffer, BackgroundTransparent);
    }
    wrapShownPage(window);
    paintScrollText(window);
    platformInvalidate(window, 0);
}

static void onDestroy()
{
    if (ScrollBackBuffer) platformFreeSurface(ScrollBackBuffer);
    ScrollBackBuffer = nullptr;
    freeWrappedLines();
}

static intptr_t scrollWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    if (kind == MsgPaint && !ScrollBackBuffer) return 0; // before its first size: nothing to copy
    if (handleCommonMessage(window, kind, ScrollBackBuffer)) return 0;
    switch (kind)
    {
    case MsgCreate:
        ScrollBackBuffer = renewBackBuffer(window, nullptr);
        return 0;
    case MsgSize:
        onSize(window);
        return 0;
    case MsgDestroy:
        onDestroy();
        return 0;
    default:
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
}

static void scrollTo(Window* window, int top)
{
    ScrollTopLine = top;
    paintScrollText(window);
    platformInvalidate(window, 0);
}

// Pages turn round at either end: an arcade stick has no Home key.
static void turnPage(Window* window, int step)
{
    int count = ScrollPages ? (int)ScrollPages->size() : 0;
    if (count < 2) return;
    ScrollPage = (ScrollPage + step + count) % count;
    ScrollTopLine = 0;
    wrapShownPage(window);
    scrollTo(window, 0);
}

// One input tick: turns the page, scrolls one line up or down, or sets *done for the exit and
// game-information controls.
static void pollScrollInput(Window* window, int* done)
{
    if (isControlActive(KeySelectPageUp, KeyP2SelectPageUp)) turnPage(window, -1);
    if (isControlActive(KeySelectPageDown, KeyP2SelectPageDown)) turnPage(window, 1);
    if (isControlActive(KeySelectUp, KeyP2SelectUp))
        scrollTo(window, std::max(ScrollTopLine - 1, 0));
    // The text scrolls until only its last line is shown.
    int lastTop = std::max((int)WrappedLines.size() - 1, 0);
    if (isControlActive(KeySelectDown, KeyP2SelectDown))
        scrollTo(window, std::min(ScrollTopLine + 1, lastTop));
    int close = isControlActive(KeyExit, KeyP2Exit);
    if (isControlActive(KeyGameInfo, KeyP2GameInfo)) close = 1;
    if (close) *done = 1;
}

// The quit message is taken and not posted again: the front end goes on running after the
// window closes. The loop ends without waiting for another message once done is set, and
// leaves what is queued (the main window's timers) to the main loop.
static void runScrollLoop(Window* window)
{
    int done = 0;
    if (!runTickLoop([window, &done] { pollScrollInput(window, &done); }, &done, nullptr))
        platformMessageBox(nullptr, NoCounterText, "Error");
}

// A border of half the main window or more leaves nothing to show, and a negative one would
// reach past the main window's edges: the percentage is held to 0..50.
static Window* createScrollWindow()
{
    Rect main = platformClientRect(FrontendState.MainWindow);
    int64_t width = main.Right - main.Left, height = main.Bottom - main.Top;
    int64_t percent = std::clamp(FrontendSettings.ScrollBorderPct, 0, 50);
    int64_t x = percent * width / 100, y = percent * height / 100;
    return platformCreateWindow(ScrollWindowClass, "", StyleSizingFrame, FrontendState.MainWindow,
                                (int)x, (int)y, (int)std::max<int64_t>(width - 2 * x, 0),
                                (int)std::max<int64_t>(height - 2 * y, 0), 0);
}

// The borrowed pages may go once the window has closed.
static void forgetInfoLines()
{
    ScrollPages = nullptr;
}

static int openScrollWindow()
{
    ScrollWindow = createScrollWindow();
    if (ScrollWindow) return 1;
    fprintf(stderr, "The game information window could not be made\n");
    showError("Failed to create message window!");
    platformUnregisterClass(ScrollWindowClass);
    forgetInfoLines();
    return 0;
}

int showGameInfo(const std::vector<std::string>& lines)
{
    if (lines.empty()) return 1;
    return showGameInfo(std::vector<InfoPage>{{"", lines, 0}});
}

int showGameInfo(const std::vector<InfoPage>& pages)
{
    if (pages.empty()) return 1;
    // Registered first: a window still open keeps its lines.
    if (!platformRegisterClass(ScrollWindowClass, scrollWindowProc))
    {
        fprintf(stderr, "The class of the game information window could not be registered\n");
        return 0;
    }
    ScrollPages = &pages;
    ScrollPage = 0;
    ScrollTopLine = 0;
    if (!openScrollWindow()) return 0;
    platformShowWindow(ScrollWindow, ShowNormal);
    platformUpdateWindow(ScrollWindow);
    flushKeyboard(); // presses made before the window opened must not scroll or close it
    runScrollLoop(ScrollWindow);
    flushKeyboard(); // the key that closed the window does not act again on the main screen
    platformDestroyWindow(ScrollWindow); // the focus goes back to the main window
    ScrollWindow = nullptr;
    platformUnregisterClass(ScrollWindowClass);
    forgetInfoLines();
    return 1;
}
