// The XML form is indexed with Expat in blocks, noting the bytes of each <entry> element; its
// page parses that element alone. A DOCTYPE is refused before anything it declares could be
// expanded: the published file has none, and one that declares entities is an attack.
#include "catalogue/historyfile.h"

#include "catalogue/catalogue.h"
#include "catalogue/datentries.h"
#include "catalogue/sectionlines.h"
#include "config/settings.h"
#include "platform/files.h"

#include <expat.h>

#include <cstring>

FileIndex HistoryIndex;

static const size_t FormProbeBytes = 4096;
static const size_t XmlBlockSize = 1 << 20;

// ---- Telling the forms apart

static HistoryForm formOfLine(std::string_view line)
{
    line = trimmedText(line);
    if (line.empty() || line[0] == '#') return HistoryUnknown;
    if (line[0] == '<') return HistoryXml;
    if (line[0] == '$') return HistoryDat;
    if (line[0] == '[') return HistoryBracketed;
    return HistoryUnknown;
}

// By the first line that is neither blank nor a comment, within the file's first bytes.
static HistoryForm probeForm(FILE* file)
{
    std::string start(FormProbeBytes, '\0');
    start.resize(std::fread(start.data(), 1, start.size(), file));
    std::rewind(file);
    std::string_view text = start;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    for (std::string_view line : splitLines(text))
    {
        std::string_view trimmed = trimmedText(line);
        if (!trimmed.empty() && trimmed[0] != '#') return formOfLine(trimmed);
    }
    return HistoryUnknown;
}

// ---- The XML form

struct XmlScan
{
    XML_Parser Parser;
    std::vector<NamedEntry>* Entries;
    std::string Encoding;
    int Depth;
    int EntryDepth; // of the <entry> being read; 0 outside one
    uint64_t EntryStart;
    std::vector<std::string> Names;
    int Refused; // a DOCTYPE was met
};

static const char* attribute(const XML_Char** atts, const char* name)
{
    for (int i = 0; atts[i]; i += 2)
        if (std::strcmp(atts[i], name) == 0) return atts[i + 1];
    return nullptr;
}

static void XMLCALL startScanElement(void* data, const XML_Char* name, const XML_Char** atts)
{
    XmlScan& scan = *(XmlScan*)data;
    scan.Depth++;
    if (!scan.EntryDepth && std::strcmp(name, "entry") == 0)
    {
        scan.EntryDepth = scan.Depth;
        scan.EntryStart = (uint64_t)XML_GetCurrentByteIndex(scan.Parser);
        scan.Names.clear();
    }
    else if (scan.EntryDepth && std::strcmp(name, "system") == 0)
    {
        const char* system = attribute(atts, "name");
        std::string_view trimmed = trimmedText(system ? system : "");
        if (!trimmed.empty()) scan.Names.emplace_back(trimmed);
    }
}

static void XMLCALL endScanElement(void* data, const XML_Char*)
{
    XmlScan& scan = *(XmlScan*)data;
    if (scan.Depth-- != scan.EntryDepth) return;
    scan.EntryDepth = 0;
    uint64_t end = (uint64_t)XML_GetCurrentByteIndex(scan.Parser) +
                   (uint64_t)XML_GetCurrentByteCount(scan.Parser);
    for (std::string& name : scan.Names)
        addNamedEntry(*scan.Entries, MachineEntries, std::move(name),
                      {scan.EntryStart, end - scan.EntryStart});
}

static void XMLCALL refuseDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int)
{
    XmlScan& scan = *(XmlScan*)data;
    scan.Refused = 1;
    XML_StopParser(scan.Parser, XML_FALSE);
}

static void XMLCALL noteDeclaration(void* data, const XML_Char*, const XML_Char* encoding, int)
{
    if (encoding) ((XmlScan*)data)->Encoding = encoding;
}

static void tellXmlFault(const std::string& path, const XmlScan& scan)
{
    if (scan.Refused)
        std::fprintf(stderr,
                     "%s: a DOCTYPE is not accepted (what it declares is never expanded); the "
                     "file is not used\n",
                     path.c_str());
    else
        std::fprintf(stderr, "%s:%lu: %s; the %zu entries before it are used\n", path.c_str(),
                     (unsigned long)XML_GetCurrentLineNumber(scan.Parser),
                     XML_ErrorString(XML_GetErrorCode(scan.Parser)), scan.Entries->size());
}

static int feedXml(FILE* file, XmlScan& scan)
{
    std::string block(XmlBlockSize, '\0');
    for (;;)
    {
        size_t got = std::fread(block.data(), 1, block.size(), file);
        int last = got < block.size();
        if (XML_Parse(scan.Parser, block.data(), (int)got, last) == XML_STATUS_ERROR) return 0;
        if (last) return 1;
    }
}

static int indexXml(FILE* file, const std::string& path, std::string& encoding,
                    std::vector<NamedEntry>& entries)
{
    XmlScan scan{};
    scan.Parser = XML_ParserCreate(nullptr);
    if (!scan.Parser) return 0;
    scan.Entries = &entries;
    XML_SetUserData(scan.Parser, &scan);
    XML_SetElementHandler(scan.Parser, startScanElement, endScanElement);
    XML_SetStartDoctypeDeclHandler(scan.Parser, refuseDoctype);
    XML_SetXmlDeclHandler(scan.Parser, noteDeclaration);
    if (!feedXml(file, scan)) tellXmlFault(path, scan);
    if (scan.Refused) entries.clear();
    encoding = scan.Encoding;
    XML_ParserFree(scan.Parser);
    return 1;
}

// The text of one <entry> element, parsed alone.
struct XmlText
{
    XML_Parser Parser;
    int InText;
    std::string Text;
};

static void XMLCALL startTextElement(void* data, const XML_Char* name, const XML_Char**)
{
    if (std::strcmp(name, "text") == 0) ((XmlText*)data)->InText++;
}

static void XMLCALL endTextElement(void* data, const XML_Char* name)
{
    if (std::strcmp(name, "text") == 0) ((XmlText*)data)->InText--;
}

static void XMLCALL textCharacters(void* data, const XML_Char* text, int length)
{
    XmlText& found = *(XmlText*)data;
    if (found.InText > 0) found.Text.append(text, (size_t)length);
}

// An entry's bytes start at its <entry>, so a DOCTYPE there means the file is not what it was.
static void XMLCALL stopAtDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int)
{
    XML_StopParser(((XmlText*)data)->Parser, XML_FALSE);
}

static std::vector<std::string> xmlEntryLines(const std::string& encoding, std::string_view bytes)
{
    XmlText found{};
    found.Parser = XML_ParserCreate(encoding.empty() ? nullptr : encoding.c_str());
    if (!found.Parser) return {};
    XML_SetUserData(found.Parser, &found);
    XML_SetElementHandler(found.Parser, startTextElement, endTextElement);
    XML_SetCharacterDataHandler(found.Parser, textCharacters);
    XML_SetStartDoctypeDeclHandler(found.Parser, stopAtDoctype);
    // An entry cut short (at the byte limit) keeps the text before the cut.
    XML_Parse(found.Parser, bytes.data(), (int)bytes.size(), 1);
    XML_ParserFree(found.Parser);
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(found.Text)) lines.emplace_back(line);
    return lines;
}

// ---- The text forms

static std::vector<std::string> datEntryLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(bytes))
    {
        std::string_view keyword = datKeyword(line);
        if (keyword == "end") break;
        if (keyword == "bio")
            lines.clear(); // what comes before the story is not part of it
        else if (keyword.empty())
            lines.emplace_back(line);
    }
    return lines;
}

static std::vector<std::string> bracketedEntryLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(bytes))
        if (line.empty() || line[0] != '#') lines.emplace_back(line);
    return lines;
}

struct BracketScan
{
    std::vector<NamedEntry>* Entries;
    std::vector<std::string> Names;
    uint64_t Start;
};

static void finishBracketed(BracketScan& scan, uint64_t end)
{
    for (std::string& name : scan.Names)
        addNamedEntry(*scan.Entries, MachineEntries, std::move(name),
                      {scan.Start, end - scan.Start});
    scan.Names.clear();
}

// An entry starts at "[name]" and ends at a line starting with ".", the next entry or the end.
static int bracketedLine(BracketScan& scan, std::string_view line, uint64_t offset)
{
    size_t close = line.find(']');
    if (!line.empty() && line[0] == '[' && close != std::string_view::npos)
    {
        finishBracketed(scan, offset);
        scan.Names = splitNames(line.substr(1, close - 1));
        scan.Start = offset + line.size() + 1;
    }
    else if (!line.empty() && line[0] == '.')
        finishBracketed(scan, offset);
    return 1;
}

static int indexBracketed(FILE* file, std::vector<NamedEntry>& entries)
{
    BracketScan scan{&entries, {}, 0};
    uint64_t end = 0;
    int read = forEachFileLine(file,
                               [&](std::string_view line, uint64_t offset)
                               {
                                   end = offset + line.size();
                                   return bracketedLine(scan, line, offset);
                               });
    // A "[name]" on the file's last line, without a line feed, starts its text past the end.
    scan.Start = std::min(scan.Start, end);
    finishBracketed(scan, end);
    return read;
}

static int indexDat(FILE* file, const std::string& path, std::vector<NamedEntry>& entries)
{
    DatScan scan;
    int read = scanDatEntries(file, {"bio"}, scan);
    tellDatScan(path, scan);
    entries = std::move(scan.Entries);
    return read;
}

// ---- The index and the pages

int buildHistoryIndex(const std::string& path, uint32_t& form, std::string& encoding,
                      std::vector<NamedEntry>& entries)
{
    FILE* file = platformOpenData(path);
    if (!file) return 0;
    form = probeForm(file);
    int read = 1;
    if (form == HistoryXml)
        read = indexXml(file, path, encoding, entries);
    else if (form == HistoryDat)
        read = indexDat(file, path, entries);
    else if (form == HistoryBracketed)
        read = indexBracketed(file, entries);
    else
        std::fprintf(stderr,
                     "%s: not a history file (neither XML, $info= entries nor [name] entries); it "
                     "is not used\n",
                     path.c_str());
    std::fclose(file);
    if (!read) std::fprintf(stderr, "%s: the file could not be read to its end\n", path.c_str());
    return 1;
}

std::vector<std::string> historyEntryLines(uint32_t form, const std::string& encoding,
                                           std::string_view bytes)
{
    std::vector<std::string> lines = form == HistoryXml   ? xmlEntryLines(encoding, bytes)
                                     : form == HistoryDat ? datEntryLines(bytes)
                                                          : bracketedEntryLines(bytes);
    trimEmptyLines(lines);
    return lines;
}

int openHistoryFile()
{
    return openFileIndex(HistoryIndex, FrontendSettings.HistoryFile, "History file",
                         buildHistoryIndex);
}

std::vector<std::string> readHistoryLines(const std::string& name)
{
    return readEntryLines(HistoryIndex, MachineEntries, name, historyEntryLines);
}
