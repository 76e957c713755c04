// The scroll window draws the wrapped text into a back buffer whenever the top line or the size
// changes; painting only copies it, as the main window does.
#include "popups/gameinfo.h"

#include "config/settings.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/text.h"
#include "platform/messagebox.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>
#include <climits>
#include <cstdio>

Window* ScrollWindow;
int ScrollTopLine;

// The rest of the open window's state; set when it opens, cleared when it closes.
// The lines shown: borrowed from the game, never changed here.
static const std::vector<std::string>* ScrollInfoLines;
// The lines wrapped to the window's width: owned, rebuilt at every size change.
static std::vector<std::string> WrappedLines;
// The client-sized back buffer the text is drawn into; painting only copies it.
static Surface* ScrollBackBuffer;

// One line being wrapped. Positions are counted in characters as the screen shows them (a
// UTF-8 sequence, or one byte of Windows-1252), so that no piece ends inside a sequence.
struct WrapJob
{
    const Font* TextFont;
    int Width; // what a piece must fit in
    const std::string* Line;
    std::vector<size_t> Starts; // the byte at which each character starts, then the line's end
    std::vector<long> Blanks;   // the white-space characters, in order
    std::string Piece;          // reused by every measurement: a long line takes thousands
    double CharacterWidth;      // pixels per character in the text measured last
};

// What is known while the end of a piece is searched, in characters from the piece's start:
// the most known to fit and the fewest known to be too wide, with their widths (-1: unknown).
struct EndSearch
{
    long Fits, Wide;
    int FitsWidth, WideWidth;
    int Rounds;
};

// The ASCII white space only: a byte of 0x80 or above is part of a character the screen shows.
static int isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static void findCharacters(WrapJob& job, const std::string& line)
{
    job.Line = &line;
    job.Starts.clear();
    job.Blanks.clear();
    for (size_t at = 0; at < line.size(); at += (size_t)platformCharacterLength(line, at))
    {
        if (isWhiteSpace(line[at])) job.Blanks.push_back((long)job.Starts.size());
        job.Starts.push_back(at);
    }
    job.Starts.push_back(line.size());
}

// The last white-space character at or before index; -1 when there is none.
static long lastBlankUpTo(const WrapJob& job, long index)
{
    auto after = std::upper_bound(job.Blanks.begin(), job.Blanks.end(), index);
    return after == job.Blanks.begin() ? -1 : *(after - 1);
}

// The first white-space character after index; LONG_MAX when there is none.
static long firstBlankAfter(const WrapJob& job, long index)
{
    auto after = std::upper_bound(job.Blanks.begin(), job.Blanks.end(), index);
    return after == job.Blanks.end() ? LONG_MAX : *after;
}

static std::string piece(const WrapJob& job, long from, long to)
{
    return job.Line->substr(job.Starts[from], job.Starts[to] - job.Starts[from]);
}

// The width of the characters from, from + 1, ... to - 1.
static int measure(WrapJob& job, long from, long to)
{
    job.Piece.assign(*job.Line, job.Starts[from], job.Starts[to] - job.Starts[from]);
    int width = platformTextWidth(job.TextFont, job.Piece);
    if (to > from && width > 0) job.CharacterWidth = (double)width / (double)(to - from);
    return width;
}

// A count of characters strictly between what is known. The width per character seen so far
// usually puts the end right to a character or two; once guessing has not settled it
// (characters of very different widths, or ones the screen does not show), doubling and
// halving bound the cost.
static long guessCount(const WrapJob& job, const EndSearch& search)
{
    long guess;
    if (search.Rounds >= 4)
        guess = search.WideWidth < 0 ? 2 * search.Fits + 1
                                     : search.Fits + (search.Wide - search.Fits) / 2;
    else if (search.WideWidth >= 0) // the most that fit, by proportion between both ends
        guess = search.Fits + (long)((double)(job.Width - search.FitsWidth) *
                                     (double)(search.Wide - search.Fits) /
                                     (double)(search.WideWidth - search.FitsWidth));
    else // the fewest too wide, after a measurement that fitted
        guess = (long)(job.Width / job.CharacterWidth) + (search.Rounds > 0);
    return std::clamp(guess, search.Fits + 1, search.Wide - 1);
}

// Only the white space around the end matters (see settled), so the guess moves to the white
// space before it, or else after it. Whether the rest of the line fits is asked of all of it,
// and halving is left where it is, so that it keeps its bound.
static long nextProbe(const WrapJob& job, long start, const EndSearch& search)
{
    long guess = guessCount(job, search);
    if (search.Rounds >= 4 || (search.WideWidth < 0 && guess == search.Wide - 1)) return guess;
    long before = lastBlankUpTo(job, start + guess), after = firstBlankAfter(job, start + guess);
    if (before - start > search.Fits) return before - start;
    if (after - start < search.Wide) return after - start;
    return guess;
}

// The piece ends at the last white space before which it fits. That is known once there is no
// white space between what fits and what is too wide, wherever exactly the text stops fitting;
// without any, the end is searched to the character.
static int settled(const WrapJob& job, long start, const EndSearch& search)
{
    if (search.Wide - search.Fits <= 1) return 1;
    if (search.WideWidth < 0) return 0;
    return lastBlankUpTo(job, start + search.Fits) > start &&
           firstBlankAfter(job, start + search.Fits) >= start + search.Wide;
}

// A text only grows wider as characters are added, so what this finds is what trying one more
// character at a time would find.
static EndSearch searchEnd(WrapJob& job, long start, long last)
{
    EndSearch search = {0, last - start + 1, 0, -1, 0};
    while (!settled(job, start, search))
    {
        long count = nextProbe(job, start, search);
        int width = measure(job, start, start + count);
        if (width > job.Width)
            search.Wide = count, search.WideWidth = width;
        else
            search.Fits = count, search.FitsWidth = width;
        search.Rounds++;
    }
    return search;
}

// Appends the piece at start and answers where the next one starts. The piece ends at the last
// white space before which it fits, and that white space is dropped; without one, after the
// last character that fits. The rest of the line goes whole once all of it but its last
// character fits.
static long endPiece(WrapJob& job, long start, long last, std::vector<std::string>& out)
{
    long end = start + 1; // what does not fit on its own still makes a piece of one character
    if (job.Width >= 0)   // else not even an empty piece fits
    {
        EndSearch search = searchEnd(job, start, last);
        long blank = lastBlankUpTo(job, start + search.Fits);
        if (search.WideWidth < 0)
            end = last + 1;
        else if (blank > start)
        {
            out.push_back(piece(job, start, blank));
            return blank + 1;
        }
        else // the character that did not fit starts the next piece
            end = std::max(start + search.Wide - 1, start + 1);
    }
    out.push_back(piece(job, start, end));
    return end;
}

// A line is not measured whole first: when all of it but its last character fits it is kept
// whole anyway, and measuring a long line whole would cost as much as wrapping it.
static void wrapLine(WrapJob& job, const std::string& line, std::vector<std::string>& out)
{
    findCharacters(job, line);
    long last = (long)job.Starts.size() - 2;
    if (last < 1)
    {
        // Shown whole, or not at all when even one character is too wide.
        if (measure(job, 0, last + 1) <= job.Width) out.push_back(line);
        return;
    }
    for (long start = 0; start <= last;) start = endPiece(job, start, last, out);
}

std::vector<std::string> wordWrapText(Window* window, Surface* dc,
                                      const std::vector<std::string>& lines)
{
    std::vector<std::string> wrapped;
    const Font* font = platformSurfaceFont(dc);
    if (!platformFontUsable(font))
    {
        printf("GetTextExtentPoint32 failed in wordWrapText()!");
        fflush(stdout);
        return wrapped;
    }
    Rect client = platformClientRect(window);
    WrapJob job = {font, client.Right - client.Left - 2 * ScrollTextMargin, nullptr, {}, {}, {}, 0};
    // A first guess of a character's width, before the text itself has been measured.
    job.CharacterWidth = std::max(platformTextWidth(font, "abcdefghijklmnopqrstuvwxyz"), 26) / 26.0;
    for (const std::string& line : lines) wrapLine(job, line, wrapped);
    return wrapped;
}

static void freeWrappedLines()
{
    WrappedLines.clear();
    WrappedLines.shrink_to_fit(); // a text of megabytes is not kept after the window closed
}

// Whole lines only, each ScrollTextMargin pixels clear of the top, left and bottom edges.
static void paintScrollText(Window* window)
{
    if (!ScrollBackBuffer) return;
    Rect client = platformClientRect(window);
    platformFillRect(ScrollBackBuffer, client, Skin.Backgroundcolor);
    int lineHeight = getTextHeight(ScrollBackBuffer);
    int lowestTop = client.Bottom - lineHeight - ScrollTextMargin;
    int y = ScrollTextMargin;
    for (size_t i = (size_t)std::max(ScrollTopLine, 0); i < WrappedLines.size() && y <= lowestTop;
         i++, y += lineHeight)
        platformTextOut(ScrollBackBuffer, ScrollTextMargin, y, WrappedLines[i]);
}

// Everything that depends on the client size is made again: the back buffer with its font and
// colours, and the wrapping.
static void onSize(Window* window)
{
    ScrollBackBuffer = renewBackBuffer(window, ScrollBackBuffer);
    if (ScrollBackBuffer) useSkinFont(ScrollBackBuffer);
    freeWrappedLines();
    if (ScrollInfoLines) WrappedLines = wordWrapText(window, ScrollBackBuffer, *ScrollInfoLines);
    // At the new width the text may have fewer lines: the top one must still be among them.
    ScrollTopLine = std::clamp(ScrollTopLine, 0, std::max((int)WrappedLines.size() - 1, 0));
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
    if (kind == MsgPaint && !ScrollBackBuffer)
    {
        printf("SOMETING!\n");
        fflush(stdout);
        return 0;
    }
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

// One input tick: scrolls one line up or down, or sets *done for the exit and
// game-information controls.
static void pollScrollInput(Window* window, int* done)
{
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

// The borrowed lines may go with their game once the window has closed.
static void forgetInfoLines()
{
    ScrollInfoLines = nullptr;
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
    // Registered first: a window still open keeps its lines.
    if (!platformRegisterClass(ScrollWindowClass, scrollWindowProc))
    {
        fprintf(stderr, "The class of the game information window could not be registered\n");
        return 0;
    }
    ScrollInfoLines = &lines;
    ScrollTopLine = 0;
    if (!openScrollWindow()) return 0;
    platformShowWindow(ScrollWindow, ShowNormal);
    platformUpdateWindow(ScrollWindow);
    flushKeyboard(); // presses made before the window opened must not scroll or close it
    runScrollLoop(ScrollWindow);
    platformDestroyWindow(ScrollWindow); // the focus goes back to the main window
    ScrollWindow = nullptr;
    platformUnregisterClass(ScrollWindowClass);
    forgetInfoLines();
    return 1;
}
