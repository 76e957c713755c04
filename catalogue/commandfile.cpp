// The codes are the ones the published command files use: "_" codes for Neo Geo style buttons,
// numbered buttons, directions, motions and symbols; "^" codes for Capcom's six buttons and
// more letters; "@" words for the same in long form. Motions are written out as the arrows
// they are made of, so that the drawing knows only buttons, arrows, boxed words and symbols.
#include "catalogue/commandfile.h"

#include "catalogue/datentries.h"
#include "catalogue/sectionlines.h"
#include "config/settings.h"
#include "platform/files.h"

#include <cstring>

FileIndex CommandIndex;

static const uint32_t CommandDatForm = 1;

// Neo Geo's colours for A to D, and the one for every other button.
static const uint32_t Red = 0x003030E0, Yellow = 0x0000C8E8, Green = 0x0040B040, Blue = 0x00E07030;

// clang-format off
const CommandGlyph CommandGlyphs[] = {
    {"_A", GlyphButton, "A", Red}, {"_B", GlyphButton, "B", Yellow},
    {"_C", GlyphButton, "C", Green}, {"_D", GlyphButton, "D", Blue},
    {"_H", GlyphButton, "H", 0}, {"_Z", GlyphButton, "Z", 0},
    {"_P", GlyphButton, "P", Red}, {"_K", GlyphButton, "K", Blue}, {"_G", GlyphButton, "G", Green},
    {"_a", GlyphButton, "1", 0}, {"_b", GlyphButton, "2", 0}, {"_c", GlyphButton, "3", 0},
    {"_d", GlyphButton, "4", 0}, {"_e", GlyphButton, "5", 0}, {"_f", GlyphButton, "6", 0},
    {"_g", GlyphButton, "7", 0}, {"_h", GlyphButton, "8", 0}, {"_i", GlyphButton, "9", 0},
    {"_j", GlyphButton, "10", 0},
    {"_1", GlyphArrow, "1", 0}, {"_2", GlyphArrow, "2", 0}, {"_3", GlyphArrow, "3", 0},
    {"_4", GlyphArrow, "4", 0}, {"_6", GlyphArrow, "6", 0}, {"_7", GlyphArrow, "7", 0},
    {"_8", GlyphArrow, "8", 0}, {"_9", GlyphArrow, "9", 0},
    {"_5", GlyphMark, "neutral", 0}, {"_N", GlyphMark, "neutral", 0},
    {"_S", GlyphLabel, "START", 0}, {"_^", GlyphLabel, "AIR", 0}, {"_?", GlyphLabel, "DIR", 0},
    {"_X", GlyphLabel, "TAP", 0}, {"_|", GlyphLabel, "JUMP", 0}, {"_O", GlyphLabel, "HOLD", 0},
    {"_-", GlyphLabel, "AIR", 0}, {"_=", GlyphLabel, "SQUAT", 0}, {"_~", GlyphLabel, "CHARGE", 0},
    {"_`", GlyphMark, "dot", 0}, {"_)", GlyphMark, "circle", 0},
    {"_(", GlyphMark, "solid circle", 0}, {"_@", GlyphMark, "double circle", 0},
    {"_*", GlyphMark, "star", 0}, {"_&", GlyphMark, "solid star", 0},
    {"_%", GlyphMark, "triangle", 0}, {"_$", GlyphMark, "solid triangle", 0},
    {"_#", GlyphMark, "double square", 0}, {"_]", GlyphMark, "square", 0},
    {"_[", GlyphMark, "solid square", 0}, {"_{", GlyphMark, "down triangle", 0},
    {"_}", GlyphMark, "solid down triangle", 0}, {"_<", GlyphMark, "diamond", 0},
    {"_>", GlyphMark, "solid diamond", 0},
    {"^E", GlyphButton, "LP", Red}, {"^F", GlyphButton, "MP", Red}, {"^G", GlyphButton, "HP", Red},
    {"^H", GlyphButton, "LK", Blue}, {"^I", GlyphButton, "MK", Blue}, {"^J", GlyphButton, "HK", Blue},
    {"^T", GlyphButton, "3K", Blue}, {"^U", GlyphButton, "3P", Red},
    {"^V", GlyphButton, "2K", Blue}, {"^W", GlyphButton, "2P", Red},
    {"^K", GlyphButton, "K", 0}, {"^L", GlyphButton, "L", 0}, {"^N", GlyphButton, "N", 0},
    {"^O", GlyphButton, "O", 0}, {"^P", GlyphButton, "P", 0}, {"^Q", GlyphButton, "Q", 0},
    {"^R", GlyphButton, "R", 0}, {"^S", GlyphButton, "S", 0}, {"^s", GlyphButton, "S", 0},
    {"^X", GlyphButton, "X", 0}, {"^Y", GlyphButton, "Y", 0},
    {"^M", GlyphLabel, "MAX", 0}, {"^!", GlyphArrow, "6", 0},
    {"^1", GlyphArrow, "1", 0}, {"^2", GlyphArrow, "2", 0}, {"^3", GlyphArrow, "3", 0},
    {"^4", GlyphArrow, "4", 0}, {"^6", GlyphArrow, "6", 0}, {"^7", GlyphArrow, "7", 0},
    {"^8", GlyphArrow, "8", 0}, {"^9", GlyphArrow, "9", 0},
    {"@A-button", GlyphButton, "A", Red}, {"@B-button", GlyphButton, "B", Yellow},
    {"@C-button", GlyphButton, "C", Green}, {"@D-button", GlyphButton, "D", Blue},
    {"@punch", GlyphButton, "P", Red}, {"@kick", GlyphButton, "K", Blue},
    {"@guard", GlyphButton, "G", Green}, {"@start", GlyphLabel, "START", 0},
    {"@L-punch", GlyphButton, "LP", Red}, {"@M-punch", GlyphButton, "MP", Red},
    {"@S-punch", GlyphButton, "HP", Red}, {"@L-kick", GlyphButton, "LK", Blue},
    {"@M-kick", GlyphButton, "MK", Blue}, {"@S-kick", GlyphButton, "HK", Blue},
    {"@lower-left", GlyphArrow, "1", 0}, {"@down", GlyphArrow, "2", 0},
    {"@lower-right", GlyphArrow, "3", 0}, {"@left", GlyphArrow, "4", 0},
    {"@right", GlyphArrow, "6", 0}, {"@upper-left", GlyphArrow, "7", 0},
    {"@up", GlyphArrow, "8", 0}, {"@upper-right", GlyphArrow, "9", 0},
    {"@jump", GlyphLabel, "JUMP", 0}, {"@hold", GlyphLabel, "HOLD", 0},
    {"@air", GlyphLabel, "AIR", 0}, {"@charge", GlyphLabel, "CHARGE", 0},
    {"@tap", GlyphLabel, "TAP", 0},
};
const int CommandGlyphCount = (int)(sizeof CommandGlyphs / sizeof CommandGlyphs[0]);

// Codes that stand for something the table draws otherwise: motions as their directions (the
// player facing right), and marks a font has.
struct CodeSpelling
{
    const char* Code;
    const char* Directions; // digits on a numeric keypad; text when it starts with none
};
static const CodeSpelling Spellings[] = {
    {"_k", "63214"}, {"_l", "23698"}, {"_m", "41236"}, {"_n", "21478"},
    {"_o", "632"}, {"_p", "214"}, {"_q", "478"}, {"_r", "896"},
    {"_s", "412"}, {"_t", "236"}, {"_u", "698"}, {"_v", "874"},
    {"_w", "63214789"}, {"_x", "47896321"}, {"_y", "69874123"}, {"_z", "41236987"},
    {"_L", "66"}, {"_M", "44"}, {"_Q", "632147896"}, {"_R", "478963214"},
    {"@qcf", "236"}, {"@qcb", "214"}, {"@hcf", "41236"}, {"@hcb", "63214"},
    {"_+", "+"}, {"_.", "\xE2\x80\xA6"},
};
// clang-format on

// ---- Glyphs in text

static void appendCharacter(std::string& out, uint32_t character)
{
    out += (char)(0xE0 | (character >> 12));
    out += (char)(0x80 | ((character >> 6) & 0x3F));
    out += (char)(0x80 | (character & 0x3F));
}

static void appendArrow(std::string& out, char digit)
{
    for (int i = 0; i < CommandGlyphCount; i++)
        if (CommandGlyphs[i].Shape == GlyphArrow && CommandGlyphs[i].Label[0] == digit)
            return appendCharacter(out, GlyphCharacterBase + (uint32_t)i);
}

static int isWordCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// A code matches where it is written; an "@" word only as a whole word, so that a mail address
// in the text stays as it is.
static int codeAt(std::string_view line, size_t at, const char* code)
{
    size_t length = std::strlen(code);
    if (line.compare(at, length, code) != 0) return 0;
    return code[0] != '@' || at + length == line.size() || !isWordCharacter(line[at + length]);
}

// The longest code at line[at]; its length, 0 for none, with what it becomes appended to out.
static size_t convertCodeAt(std::string_view line, size_t at, std::string& out)
{
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < CommandGlyphCount; i++)
        if (std::strlen(CommandGlyphs[i].Code) > bestLength &&
            codeAt(line, at, CommandGlyphs[i].Code))
            best = i, bestLength = std::strlen(CommandGlyphs[i].Code);
    for (const CodeSpelling& spelling : Spellings)
        if (std::strlen(spelling.Code) > bestLength && codeAt(line, at, spelling.Code))
        {
            const char* directions = spelling.Directions;
            if (directions[0] < '1' || directions[0] > '9')
                return out += directions, std::strlen(spelling.Code);
            for (const char* d = directions; *d; d++) appendArrow(out, *d);
            return std::strlen(spelling.Code);
        }
    if (best >= 0) appendCharacter(out, GlyphCharacterBase + (uint32_t)best);
    return bestLength;
}

std::string convertCommandGlyphs(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (size_t at = 0; at < line.size();)
    {
        size_t used = line[at] == '_' || line[at] == '^' || line[at] == '@'
                          ? convertCodeAt(line, at, out)
                          : 0;
        if (!used) out += line[at];
        at += used ? used : 1;
    }
    return out;
}

int glyphAt(std::string_view text, size_t at, int* length)
{
    if (text.size() - at < 3 || (unsigned char)text[at] != 0xEE) return -1;
    unsigned char second = (unsigned char)text[at + 1], third = (unsigned char)text[at + 2];
    if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) return -1;
    uint32_t character = 0xE000 | ((uint32_t)(second & 0x3F) << 6) | (third & 0x3F);
    uint32_t glyph = character - GlyphCharacterBase;
    if (character < GlyphCharacterBase || glyph >= (uint32_t)CommandGlyphCount) return -1;
    *length = 3;
    return (int)glyph;
}

// ---- The file

int buildCommandIndex(const std::string& path, uint32_t& form, std::string&,
                      std::vector<NamedEntry>& entries)
{
    FILE* file = platformOpenData(path);
    if (!file) return 0;
    DatScan scan;
    int read = scanDatEntries(file, {"cmd"}, scan);
    std::fclose(file);
    tellDatScan(path, scan);
    if (!read) std::fprintf(stderr, "%s: the file could not be read to its end\n", path.c_str());
    if (scan.Entries.empty() && read)
        std::fprintf(stderr, "%s: no $info= entries: not a command file; it is not used\n",
                     path.c_str());
    form = CommandDatForm;
    entries = std::move(scan.Entries);
    return 1;
}

// A block starts at "$cmd" and ends at "$end"; its first line is its title. Lines outside the
// blocks are not shown.
std::vector<CommandBlock> commandBlocksOf(const std::vector<std::string>& lines)
{
    std::vector<CommandBlock> blocks;
    int inBlock = 0, titled = 0;
    for (const std::string& line : lines)
    {
        std::string_view keyword = datKeyword(line);
        if (keyword == "cmd")
            blocks.emplace_back(), inBlock = 1, titled = 0;
        else if (keyword == "end")
            inBlock = 0;
        else if (inBlock && !titled)
            blocks.back().Title = convertCommandGlyphs(trimmedText(line)), titled = 1;
        else if (inBlock && keyword.empty())
            blocks.back().Lines.push_back(convertCommandGlyphs(line));
    }
    std::erase_if(blocks,
                  [](CommandBlock& block)
                  {
                      trimEmptyLines(block.Lines);
                      return block.Lines.empty() && block.Title.empty();
                  });
    return blocks;
}

static std::vector<std::string> entryLines(uint32_t, const std::string&, std::string_view bytes)
{
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(bytes)) lines.emplace_back(line);
    return lines;
}

int openCommandFile()
{
    return openFileIndex(CommandIndex, FrontendSettings.CommandFile, "Command file",
                         buildCommandIndex);
}

std::vector<CommandBlock> readCommandBlocks(const std::string& name)
{
    return commandBlocksOf(readEntryLines(CommandIndex, MachineEntries, name, entryLines));
}
