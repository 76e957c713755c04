// A scan keeps only the current entry's names: the bytes of a file of any size pass through a
// block at a time.
#include "catalogue/datentries.h"

#include "base/text.h"
#include "catalogue/emulators.h"
#include "catalogue/sectionlines.h"

#include <algorithm>

static int isWordCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The word after a "$" at the line's start, up to the first character of no word.
static std::string_view dollarWord(std::string_view line)
{
    if (line.empty() || line[0] != '$') return {};
    size_t end = 1;
    while (end < line.size() && isWordCharacter(line[end])) end++;
    return line.substr(1, end - 1);
}

std::vector<std::string> splitNames(std::string_view text)
{
    std::vector<std::string> names;
    for (const std::string& item : listItems(std::string(text)))
        if (!trimmedText(item).empty()) names.emplace_back(trimmedText(item));
    return names;
}

int parseDatHeader(std::string_view line, std::string_view& list, std::vector<std::string>& names)
{
    std::string_view word = dollarWord(line);
    if (word.empty() || line.size() <= word.size() + 1 || line[word.size() + 1] != '=') return 0;
    list = word;
    names = splitNames(line.substr(word.size() + 2));
    return 1;
}

// A keyword stands alone on its line and is made of letters ("$bio"): a text line such as
// "$1,000 for the high score" is text.
std::string_view datKeyword(std::string_view line)
{
    std::string_view word = dollarWord(line);
    if (word.empty() || !trimmedText(line.substr(word.size() + 1)).empty()) return {};
    for (char c : word)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return {};
    return word;
}

std::vector<std::string_view> splitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty())
    {
        size_t newline = std::min(bytes.find('\n'), bytes.size());
        std::string_view line = bytes.substr(0, newline);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        bytes.remove_prefix(std::min(newline + 1, bytes.size()));
    }
    return lines;
}

void trimEmptyLines(std::vector<std::string>& lines)
{
    auto blank = [](const std::string& line) { return trimmedText(line).empty(); };
    while (!lines.empty() && blank(lines.back())) lines.pop_back();
    auto first = std::find_if_not(lines.begin(), lines.end(), blank);
    lines.erase(lines.begin(), first);
}

// ---- Scanning

struct DatScanState
{
    DatScan* Scan;
    const std::vector<std::string_view>* Keywords;
    std::vector<std::string> Names; // of the entry being scanned; empty between entries
    long HeaderLine;
    int WaitingStart; // the entry's first line is still to come
    uint64_t Start;
    int HasEnd;    // an "$end" was seen: the entry stops at the last one
    uint64_t End;  // after the last "$end"
    int Open;      // a part of the entry is not ended yet
    uint64_t Next; // where the line after the last one seen starts
};

static void finishEntry(DatScanState& state, uint64_t nextStart)
{
    if (state.Names.empty()) return;
    if (state.WaitingStart) state.Start = nextStart;
    uint64_t end = state.HasEnd ? state.End : nextStart;
    if (state.Open && !state.Scan->UnendedLine) state.Scan->UnendedLine = state.HeaderLine;
    for (std::string& name : state.Names)
        addNamedEntry(state.Scan->Entries, MachineEntries, std::move(name),
                      {state.Start, end - state.Start});
    state.Names.clear();
}

static void startEntry(DatScanState& state, std::string_view list, std::vector<std::string>& names)
{
    DatScan& scan = *state.Scan;
    if (list != "info")
        scan.SoftwareEntries++;
    else if (names.empty())
        scan.NamelessLine = scan.NamelessLine ? scan.NamelessLine : scan.Lines;
    else
    {
        state.Names = std::move(names);
        state.HeaderLine = scan.Lines;
        state.WaitingStart = 1;
        state.HasEnd = 0;
        state.Open = 1;
    }
}

static void noteKeyword(DatScanState& state, std::string_view keyword, uint64_t lineEnd)
{
    DatScan& scan = *state.Scan;
    if (keyword == "end")
    {
        state.Open = 0;
        state.HasEnd = 1;
        state.End = lineEnd;
    }
    else if (std::find(state.Keywords->begin(), state.Keywords->end(), keyword) !=
             state.Keywords->end())
        state.Open = 1;
    else if (!scan.UnknownLine)
    {
        scan.UnknownLine = scan.Lines;
        scan.UnknownKeyword = keyword;
    }
}

static int scanLine(DatScanState& state, std::string_view line, uint64_t offset)
{
    state.Scan->Lines++;
    state.Next = offset + line.size() + 1;
    if (state.WaitingStart)
    {
        state.Start = offset;
        state.WaitingStart = 0;
    }
    std::string_view list;
    std::vector<std::string> names;
    if (parseDatHeader(line, list, names))
    {
        finishEntry(state, offset);
        startEntry(state, list, names);
        return 1;
    }
    std::string_view keyword = datKeyword(line);
    if (!state.Names.empty() && !keyword.empty()) noteKeyword(state, keyword, offset + line.size());
    return 1;
}

int scanDatEntries(FILE* file, const std::vector<std::string_view>& keywords, DatScan& scan)
{
    scan = DatScan{};
    DatScanState state{};
    state.Scan = &scan;
    state.Keywords = &keywords;
    int read = forEachFileLine(file, [&](std::string_view line, uint64_t offset)
                               { return scanLine(state, line, offset); });
    long size = std::ftell(file);
    finishEntry(state, size >= 0 ? std::min((uint64_t)size, state.Next) : state.Next);
    return read;
}

void tellDatScan(const std::string& path, const DatScan& scan)
{
    const char* file = path.c_str();
    if (scan.UnknownLine)
        std::fprintf(stderr, "%s:%ld: $%s is not a keyword of this file; such lines are left out\n",
                     file, scan.UnknownLine, scan.UnknownKeyword.c_str());
    if (scan.UnendedLine)
        std::fprintf(stderr,
                     "%s:%ld: the entry has no $end; its text runs to the next entry or the end of "
                     "the file\n",
                     file, scan.UnendedLine);
    if (scan.NamelessLine)
        std::fprintf(stderr, "%s:%ld: $info= names no machine; the entry is left out\n", file,
                     scan.NamelessLine);
}
