// Long lines broken into pieces that fit a width. A line of game information can be megabytes
// long, so the end of each piece is searched by measuring guesses, not character by character.
#include "display/wordwrap.h"

#include "base/text.h"
#include "platform/window.h"

#include <algorithm>
#include <climits>
#include <cstdio>

// One line being wrapped. Positions are counted in characters as the screen shows them (a
// UTF-8 sequence, or one byte of Windows-1252), so that no piece ends inside a sequence.
struct WrapJob
{
    const Font* TextFont;
    TextMeasure Measure;
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
    for (size_t at = 0; at < line.size(); at += (size_t)characterLength(line, at))
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
    int width = job.Measure(job.TextFont, job.Piece);
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

std::vector<std::string> wordWrapText(Surface* surface, int width,
                                      const std::vector<std::string>& lines)
{
    return wordWrapText(surface, width, lines, platformTextWidth);
}

std::vector<std::string> wordWrapText(Surface* surface, int width,
                                      const std::vector<std::string>& lines, TextMeasure measure)
{
    std::vector<std::string> wrapped;
    const Font* font = platformSurfaceFont(surface);
    if (!platformFontUsable(font))
    {
        printf("GetTextExtentPoint32 failed in wordWrapText()!");
        fflush(stdout);
        return wrapped;
    }
    WrapJob job = {font, measure, width, nullptr, {}, {}, {}, 0};
    // A first guess of a character's width, before the text itself has been measured.
    job.CharacterWidth = std::max(platformTextWidth(font, "abcdefghijklmnopqrstuvwxyz"), 26) / 26.0;
    for (const std::string& line : lines) wrapLine(job, line, wrapped);
    return wrapped;
}
