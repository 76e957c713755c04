// Word wrapping of any text at any width, in a font whose characters all have one width (so a
// text only grows wider as it grows). Each line's pieces must give back the line with one white
// space at each break, fit unless the rule lets them not, and be as long as the rule allows.
#include "base/text.h"
#include "display/text.h"
#include "display/wordwrap.h"
#include "fuzzing.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

static Surface* Text;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startTestPlatform();
    Text = platformCreateSurface(64, 64);
    require(createFont(Text, "Liberation Mono", 12, 0), "no Liberation Mono");
    return 0;
}

static bool isWhiteSpace(char c)
{
    return std::string(" \t\n\v\f\r").find(c) != std::string::npos;
}

static int widthOf(const std::string& text)
{
    return getTextWidth(Text, text);
}

// The case as a reader of a finding needs it: the width, the line and its pieces, in hex.
static std::string describe(const std::string& line, const std::vector<std::string>& pieces,
                            int width)
{
    std::string text = "width " + std::to_string(width) + ", line";
    auto hex = [&](const std::string& bytes)
    {
        text += " [";
        for (unsigned char c : bytes)
            text += "0123456789abcdef"[c >> 4], text += "0123456789abcdef"[c & 15];
        text += "]";
    };
    hex(line);
    text += " pieces";
    for (const std::string& piece : pieces) hex(piece);
    return text;
}

// The line being checked, for the message of a finding.
static struct
{
    const std::string* Line;
    const std::vector<std::string>* Pieces;
    int Width;
} Checked;

static void expect(bool holds, const char* what)
{
    if (!holds)
        require(false, what + (": " + describe(*Checked.Line, *Checked.Pieces, Checked.Width)));
}

// Where each character starts, then the end.
static std::vector<size_t> characterStarts(const std::string& line)
{
    std::vector<size_t> starts;
    for (size_t at = 0; at < line.size(); at += (size_t)characterLength(line, at))
        starts.push_back(at);
    starts.push_back(line.size());
    return starts;
}

static size_t nextStart(const std::vector<size_t>& starts, size_t at)
{
    return *std::upper_bound(starts.begin(), starts.end(), at);
}

// A piece that ends at a white space (dropped) must fit, and the next word must not.
static void checkBreakAtBlank(const std::string& line, const std::vector<size_t>& starts,
                              size_t start, size_t blank, int width)
{
    expect(widthOf(line.substr(start, blank - start)) <= width, "a piece too wide");
    for (size_t at = nextStart(starts, blank); at < line.size(); at = nextStart(starts, at))
        if (isWhiteSpace(line[at]))
        {
            expect(widthOf(line.substr(start, at - start)) > width, "broke at an earlier blank");
            return;
        }
}

// A piece without a white space to end at fits and the next character does not, or it is one
// character too wide on its own.
static void checkBreakInWord(const std::string& line, const std::vector<size_t>& starts,
                             size_t start, size_t end, int width)
{
    if (nextStart(starts, start) == end && widthOf(line.substr(start, end - start)) > width) return;
    expect(widthOf(line.substr(start, nextStart(starts, end) - start)) > width,
           "a piece shorter than fits");
    for (size_t at = nextStart(starts, start); at <= end; at = nextStart(starts, at))
        expect(!isWhiteSpace(line[at]), "broke inside a word though a blank fitted");
}

static void checkLine(const std::string& line, const std::vector<std::string>& pieces, int width)
{
    Checked = {&line, &pieces, width};
    std::vector<size_t> starts = characterStarts(line);
    size_t characters = starts.size() - 1;
    if (pieces.empty())
    {
        expect(characters <= 1 && (width < 0 || widthOf(line) > width), "a line lost");
        return;
    }
    size_t at = 0, lastStart = starts[characters - (characters > 0)];
    for (size_t k = 0; k < pieces.size(); k++)
    {
        const std::string& piece = pieces[k];
        expect(line.compare(at, piece.size(), piece) == 0, "a piece not from the line");
        size_t start = at;
        at += piece.size();
        if (k + 1 == pieces.size())
        {
            expect(at == line.size() && (widthOf(line.substr(start, lastStart - start)) <= width ||
                                         nextStart(starts, start) == at),
                   "the line's last piece");
            break;
        }
        // Widths only grow, so the piece before the last one is the one to ask.
        if (k + 2 == pieces.size())
            expect(widthOf(line.substr(start, lastStart - start)) > width || width < 0,
                   "the rest of the line fitted but was broken");
        // A piece that fits ends at a white space whenever one follows it.
        bool blank = isWhiteSpace(line[at]) && widthOf(piece) <= width;
        if (width < 0)
            expect(nextStart(starts, start) == at, "more than one character where none fits");
        else if (blank)
            checkBreakAtBlank(line, starts, start, at, width);
        else
            checkBreakInWord(line, starts, start, at, width);
        at += blank && width >= 0;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    int width = input.ConsumeIntegralInRange(-8, 600);
    int count = input.ConsumeIntegralInRange(0, 64);
    std::vector<std::string> lines;
    std::string text = input.ConsumeRemainingBytesAsString();
    for (size_t at = 0; at <= text.size();)
    {
        size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if ((int)lines.size() > count) lines.resize(count);
    std::vector<std::string> all = wordWrapText(Text, width, lines), joined;
    for (const std::string& line : lines)
    {
        std::vector<std::string> pieces = wordWrapText(Text, width, {line});
        checkLine(line, pieces, width);
        joined.insert(joined.end(), pieces.begin(), pieces.end());
    }
    require(all == joined, "lines wrapped together differ from lines wrapped alone");
    return 0;
}
