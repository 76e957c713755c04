// The command file's reader on any file: its blocks have titles and lines without a line feed,
// and every glyph character in them is one the table draws.
#include "catalogue/commandfile.h"
#include "catalogue/datentries.h"
#include "fuzzing.h"

static void requireGlyphsKnown(const std::string& text)
{
    require(text.find('\n') == std::string::npos, "a line feed in a block");
    for (size_t at = 0; at < text.size(); at++)
    {
        int length = 0, glyph = glyphAt(text, at, &length);
        require(glyph < CommandGlyphCount, "a glyph the table does not have");
        if (glyph >= 0) at += (size_t)length - 1;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& file = scratchFile(".command");
    writeScratch(file, data, size);
    FileIndex index;
    std::vector<NamedEntry> entries;
    require(buildCommandIndex(file, index.Form, index.Encoding, entries) == 1, "unreadable");
    index.Path = file;
    index.Source.Size = (int64_t)size;
    fillFileIndex(index, entries);
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(std::string_view((const char*)data, size)))
        lines.emplace_back(line);
    for (const CommandBlock& block : commandBlocksOf(lines))
    {
        requireGlyphsKnown(block.Title);
        for (const std::string& line : block.Lines) requireGlyphsKnown(line);
    }
    return 0;
}
