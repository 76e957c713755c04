// The command file (command.dat): each machine's controls and moves, in "$info=" entries of
// blocks "$cmd", a title line, text, "$end". Each block becomes a page of the game information.
// The text writes buttons and stick motions as codes ("_A", "_2_3_6", "^E", "@qcf"); these
// are turned into glyphs, carried in the text as characters of Unicode's private use area
// that the drawing knows (see CommandGlyphs), and drawn as pictures.
#pragma once

#include "catalogue/fileindex.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum GlyphShape
{
    GlyphButton, // a round button with its letters, in its colour
    GlyphArrow,  // a stick direction; Label is its digit on a numeric keypad ("6": right)
    GlyphLabel,  // a word in a box: "JUMP", "CHARGE"
    GlyphMark,   // a symbol; Label names it (see the drawing)
};

struct CommandGlyph
{
    const char* Code; // as written in the file
    GlyphShape Shape;
    const char* Label; // the letters shown, the direction or the symbol's name
    uint32_t Color;    // a button's colour, 0x00BBGGRR; 0 for the usual grey
};

extern const CommandGlyph CommandGlyphs[];
extern const int CommandGlyphCount;
// The first private-use character: glyph i is carried as GlyphCharacterBase + i.
const uint32_t GlyphCharacterBase = 0xE000;

// One page of moves: its title (the block's first line) and text, glyphs turned.
struct CommandBlock
{
    std::string Title;
    std::vector<std::string> Lines;
};

// The index of FrontendSettings.CommandFile; empty when none is named or it cannot be read.
extern FileIndex CommandIndex;

// Makes CommandIndex describe the named command file as it is now; empty when none is named. 0
// when one is named and cannot be read (told).
int openCommandFile();
// The named machine's blocks; none when the file has none for it.
std::vector<CommandBlock> readCommandBlocks(const std::string& name);

// The line with every code the glyph table knows turned into its glyph's character; motions
// ("_t", "@qcf") become their arrows, "_+" a plus. Unknown codes stay as they are written.
std::string convertCommandGlyphs(std::string_view line);
// The glyph whose character starts text[at], with *length its bytes; -1 for any other.
int glyphAt(std::string_view text, size_t at, int* length);

// The reader on its own, for the index, the fuzzer and the tests.
int buildCommandIndex(const std::string& path, uint32_t& form, std::string& encoding,
                      std::vector<NamedEntry>& entries);
// The blocks of an entry's lines.
std::vector<CommandBlock> commandBlocksOf(const std::vector<std::string>& lines);
