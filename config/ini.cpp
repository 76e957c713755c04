// INI files read and written the way the profile functions of the configuration files' home
// system do: a line-by-line view of the file text, searched afresh on every call, and writes
// that splice one line into the text and replace the file whole.
#include "config/ini.h"

#include "base/text.h"
#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

struct IniLine
{
    size_t Begin, End; // the line's text, without its line end
    size_t Next;       // where the next line begins
};

enum
{
    LineOther,
    LineSection,
    LineKey
};

struct IniEntry
{
    int Kind;
    size_t NameBegin, NameEnd;   // section or key name, trimmed
    size_t ValueBegin, ValueEnd; // a key's value, trimmed
};

// Where a key is, or where it would go.
struct IniPlace
{
    int SectionFound;
    int KeyFound;
    IniLine KeyLine;
    IniEntry Key;
    size_t InsertAt;      // after the section's last key (or its header)
    int InsertNeedsBreak; // the line before InsertAt ends the file without a line end
};

// The writes being held for one file (iniHoldWrites until iniFlushWrites).
struct HeldFileRecord
{
    int Active;
    int Readable; // the file could be read (or did not exist) when holding began
    int Changed;
    std::string Path;
    std::string Text;
};
static HeldFileRecord HeldFile;

static int isBlank(char c)
{
    return IniBlanks.find(c) != std::string_view::npos;
}

static size_t firstLineStart(const std::string& text)
{
    // A byte-order mark written by Windows editors is not part of the first line.
    return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

// Walks the lines of a text; the next line feed and carriage return are remembered, so a
// file with only one kind of line end is still scanned once, not once per line.
struct LineCursor
{
    size_t Position;
    size_t NextFeed, NextReturn; // npos until searched
};

static size_t nextOf(const std::string& text, size_t from, char c)
{
    const void* hit = memchr(text.data() + from, c, text.size() - from);
    return hit ? (size_t)((const char*)hit - text.data()) : text.size();
}

static int nextLine(const std::string& text, LineCursor& cursor, IniLine& line)
{
    size_t position = cursor.Position;
    if (position >= text.size()) return 0;
    if (cursor.NextFeed == std::string::npos || cursor.NextFeed < position)
        cursor.NextFeed = nextOf(text, position, '\n');
    if (cursor.NextReturn == std::string::npos || cursor.NextReturn < position)
        cursor.NextReturn = nextOf(text, position, '\r');
    size_t end = std::min(cursor.NextFeed, cursor.NextReturn);
    line.Begin = position;
    line.End = end;
    line.Next = end;
    if (end < text.size())
        line.Next += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
    cursor.Position = line.Next;
    return 1;
}

static size_t findInLine(const std::string& text, size_t begin, size_t end, char c)
{
    const void* hit = memchr(text.data() + begin, c, end - begin);
    return hit ? (size_t)((const char*)hit - text.data()) : std::string::npos;
}

static IniEntry parseLine(const std::string& text, const IniLine& line)
{
    IniEntry entry = {LineOther, 0, 0, 0, 0};
    size_t begin = line.Begin, end = line.End;
    trimRange(text, begin, end, IniBlanks);
    if (begin < end && text[begin] == '[')
    {
        // Without a closing bracket the line is no header and is read like any other line.
        size_t close = findInLine(text, begin, end, ']');
        if (close != std::string::npos)
        {
            entry.Kind = LineSection;
            entry.NameBegin = begin + 1;
            entry.NameEnd = close;
            trimRange(text, entry.NameBegin, entry.NameEnd, IniBlanks);
            return entry;
        }
    }
    size_t equals = findInLine(text, begin, end, '=');
    if (equals == std::string::npos) return entry;
    entry.Kind = LineKey;
    entry.NameBegin = begin;
    entry.NameEnd = equals;
    trimRange(text, entry.NameBegin, entry.NameEnd, IniBlanks);
    entry.ValueBegin = equals + 1;
    entry.ValueEnd = end;
    trimRange(text, entry.ValueBegin, entry.ValueEnd, IniBlanks);
    return entry;
}

// The names in a file are read without their surrounding blanks, so the names a caller passes
// are compared the same way: "[NES]" is the section of an emulator listed as " NES".
static std::string trimmedName(const char* name)
{
    return std::string(trimmedText(name ? name : "", IniBlanks));
}

static std::string_view nameAt(const std::string& text, const IniEntry& entry)
{
    return std::string_view(text).substr(entry.NameBegin, entry.NameEnd - entry.NameBegin);
}

static int isCommentLine(const std::string& text, const IniEntry& entry)
{
    if (entry.NameBegin >= entry.NameEnd) return 0;
    char first = text[entry.NameBegin];
    return first == ';' || first == '#';
}

// Lines outside the section asked for matter only when they could start a section.
static int mayBeHeader(const std::string& text, const IniLine& line)
{
    size_t begin = line.Begin;
    while (begin < line.End && isBlank(text[begin])) begin++;
    return begin < line.End && text[begin] == '[';
}

// Only the first section of a name counts, and the first key of a name in it.
static IniPlace locate(const std::string& text, const std::string& section, const std::string& key)
{
    IniPlace place = {};
    LineCursor cursor = {firstLineStart(text), std::string::npos, std::string::npos};
    IniLine line;
    while (nextLine(text, cursor, line))
    {
        if (!place.SectionFound && !mayBeHeader(text, line)) continue;
        IniEntry entry = parseLine(text, line);
        if (entry.Kind == LineSection)
        {
            if (place.SectionFound) break;
            if (!sameIgnoringCase(nameAt(text, entry), section)) continue;
            place.SectionFound = 1;
        }
        else if (!place.SectionFound || entry.Kind != LineKey)
        {
            continue;
        }
        else if (sameIgnoringCase(nameAt(text, entry), key))
        {
            place.KeyFound = 1;
            place.KeyLine = line;
            place.Key = entry;
            break;
        }
        else if (isCommentLine(text, entry))
        {
            continue; // a commented-out key at a section's end may belong to the next one
        }
        place.InsertAt = line.Next;
        place.InsertNeedsBreak = line.Next == line.End;
    }
    return place;
}

static void removeQuotes(std::string& value)
{
    size_t length = value.size();
    if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0])
        value = value.substr(1, length - 2);
}

static void (*ReadWatcher)(const char*, const char*, const std::string&);

void iniWatchReads(void (*watcher)(const char* section, const char* key, const std::string& file))
{
    ReadWatcher = watcher;
}

static std::string unquotedValue(const std::string& text, const IniEntry& entry)
{
    std::string value = text.substr(entry.ValueBegin, entry.ValueEnd - entry.ValueBegin);
    removeQuotes(value);
    if (value.size() > (size_t)IniValueLimit) value.resize(IniValueLimit);
    return value;
}

// The file as the readers see it: the held text while its writes are held.
static int readText(const std::string& file, std::string& text)
{
    if (!HeldFile.Active || HeldFile.Path != file) return platformReadFile(file, text);
    text = HeldFile.Text;
    return 1;
}

// 1 and the value when the key is present; 0 when the file, section or key is missing.
static int lookup(const char* section, const char* key, const std::string& file, std::string& value)
{
    if (ReadWatcher) ReadWatcher(section, key, file);
    std::string text;
    if (!readText(file, text)) return 0;
    IniPlace place = locate(text, trimmedName(section), trimmedName(key));
    if (!place.KeyFound) return 0;
    value = unquotedValue(text, place.Key);
    return 1;
}

int iniListEntries(const std::string& file, std::vector<IniFileEntry>& entries)
{
    std::string text;
    if (!readText(file, text)) return 0;
    std::vector<std::string> seen; // the sections met so far, in lower case
    std::string section;
    int repeated = 0, number = 0;
    LineCursor cursor = {firstLineStart(text), std::string::npos, std::string::npos};
    IniLine line;
    while (nextLine(text, cursor, line))
    {
        number++;
        IniEntry entry = parseLine(text, line);
        if (entry.Kind == LineSection)
        {
            section = text.substr(entry.NameBegin, entry.NameEnd - entry.NameBegin);
            std::string lower = asciiLowerCase(nameAt(text, entry));
            repeated = std::find(seen.begin(), seen.end(), lower) != seen.end();
            if (!repeated) seen.push_back(lower);
        }
        else if (entry.Kind == LineKey && !isCommentLine(text, entry))
        {
            std::string key = text.substr(entry.NameBegin, entry.NameEnd - entry.NameBegin);
            entries.push_back({section, key, unquotedValue(text, entry), number, repeated});
        }
    }
    return 1;
}

static std::string readWithDefault(const char* section, const char* key, const char* defaultText,
                                   const std::string& file)
{
    std::string value;
    if (!lookup(section, key, file, value))
    {
        value = defaultText ? defaultText : "";
        // The profile functions return a default without its trailing blanks.
        value.erase(value.find_last_not_of(" \t") + 1);
        if (value.size() > (size_t)IniValueLimit) value.resize(IniValueLimit);
    }
    return value;
}

static int32_t toInt32(const std::string& text, int base)
{
    long long number = strtoll(text.c_str(), nullptr, base);
    if (number > INT32_MAX) return INT32_MAX;
    if (number < INT32_MIN) return INT32_MIN;
    return (int32_t)number;
}

std::string iniReadString(const char* section, const char* key, const char* defaultText,
                          const std::string& file)
{
    return readWithDefault(section, key, defaultText, file);
}

int iniHasSection(const char* section, const std::string& file)
{
    std::string text;
    return readText(file, text) && locate(text, trimmedName(section), "").SectionFound;
}

std::optional<std::string> iniReadOptionalString(const char* section, const char* key,
                                                 const std::string& file)
{
    std::string value = readWithDefault(section, key, "", file);
    if (value.empty()) return std::nullopt;
    return value;
}

uint32_t iniReadColor(const char* section, const char* key, const char* defaultText,
                      const std::string& file)
{
    return (uint32_t)toInt32(readWithDefault(section, key, defaultText, file), 16);
}

int iniReadBool(const char* section, const char* key, int defaultFlag, const std::string& file)
{
    return readWithDefault(section, key, defaultFlag ? "1" : "0", file) == "0" ? 0 : 1;
}

int iniReadInt(const char* section, const char* key, const char* defaultText,
               const std::string& file)
{
    return toInt32(readWithDefault(section, key, defaultText, file), 10);
}

int iniDecimalOf(const std::string& value)
{
    return toInt32(value, 10);
}

int iniReadNumber(const char* section, const char* key, int defaultValue, const std::string& file)
{
    std::string value;
    if (!lookup(section, key, file, value) || value.empty()) return defaultValue;
    return toInt32(value, 10);
}

static const char* lineEndOf(const std::string& text)
{
    size_t end = text.find_first_of("\r\n");
    if (end == std::string::npos || text[end] == '\n') return "\n";
    return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
}

static int hasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

// Names and values that could not be found again after writing are refused: a key starting
// with "[" would read back as a section header, and a value beyond the read limit would come
// back cut.
static int canStore(const std::string& section, const std::string& key, const std::string& value)
{
    if (hasLineBreak(section) || section.find(']') != std::string::npos) return 0;
    if (hasLineBreak(key) || key.find('=') != std::string::npos) return 0;
    if (key.empty() || key.front() == '[') return 0;
    return !hasLineBreak(value) && value.size() <= (size_t)IniValueLimit;
}

// Blanks at the ends, or a pair of quotes around it, would be lost when the value is read
// back; one pair of quotes keeps them.
static std::string quoteIfNeeded(const std::string& value)
{
    if (value.empty()) return value;
    char first = value.front(), last = value.back();
    int quoted = value.size() >= 2 && (first == '"' || first == '\'') && last == first;
    if (quoted || isBlank(first) || isBlank(last)) return "\"" + value + "\"";
    return value;
}

static int endsWithBlankLine(const std::string& text)
{
    size_t content = text.find_last_not_of("\r\n");
    size_t endsAt = content == std::string::npos ? 0 : content + 1;
    std::string_view ends(text.data() + endsAt, text.size() - endsAt);
    return ends != "\n" && ends != "\r" && ends != "\r\n";
}

static void appendSection(std::string& text, const std::string& section, const std::string& keyLine)
{
    const char* eol = lineEndOf(text);
    if (text.size() > firstLineStart(text))
    {
        if (text.back() != '\n' && text.back() != '\r') text += eol;
        if (!endsWithBlankLine(text)) text += eol; // a blank line between sections
    }
    text += "[" + section + "]" + eol + keyLine + eol;
}

static void storeInText(std::string& text, const std::string& section, const std::string& key,
                        const std::string& stored)
{
    IniPlace place = locate(text, section, key);
    if (place.KeyFound)
    {
        size_t from = place.Key.NameEnd;
        from = findInLine(text, from, place.KeyLine.End, '=') + 1;
        while (from < place.KeyLine.End && isBlank(text[from])) from++;
        text.replace(from, place.KeyLine.End - from, stored);
        return;
    }
    std::string keyLine = key + "=" + stored;
    if (!place.SectionFound) return appendSection(text, section, keyLine);
    const char* eol = lineEndOf(text);
    std::string insert = place.InsertNeedsBreak ? eol + keyLine : keyLine + eol;
    text.insert(place.InsertAt, insert);
}

static std::string LastWriteFailure;

// Says why on standard error, and keeps the reason for the player's box.
static void tellWriteFailure(const char* what, const std::string& file)
{
    LastWriteFailure = platformWhyFailed("");
    fprintf(stderr, "Error %s file: [%s]%s%s\n", what, file.c_str(),
            LastWriteFailure.empty() ? "" : ": ", LastWriteFailure.c_str());
}

std::string iniLastWriteFailure()
{
    return LastWriteFailure;
}

// A file that exists but cannot be read must not be replaced by one holding only new keys.
static int readForWriting(const std::string& file, std::string& contents)
{
    platformClearFailure();
    if (platformReadFile(file, contents) || !platformFileExists(file)) return 1;
    tellWriteFailure("reading", file);
    return 0;
}

int iniWriteString(const char* sectionName, const char* keyName, const std::string& text,
                   const std::string& file)
{
    std::string section = trimmedName(sectionName), key = trimmedName(keyName);
    if (!canStore(section, key, text))
    {
        fprintf(stderr,
                "Not written to %s: [%s] %s would not read back (an empty key, a line break, a "
                "bracket, an equals sign or a value over %d characters)\n",
                file.c_str(), section.c_str(), key.c_str(), IniValueLimit);
        return 0;
    }
    if (HeldFile.Active && HeldFile.Path == file)
    {
        if (!HeldFile.Readable) return 0;
        storeInText(HeldFile.Text, section, key, quoteIfNeeded(text));
        HeldFile.Changed = 1;
        return 1;
    }
    std::string contents;
    if (!readForWriting(file, contents)) return 0;
    std::string updated = contents;
    storeInText(updated, section, key, quoteIfNeeded(text));
    if (updated == contents && platformFileExists(file)) return 1;
    platformClearFailure();
    if (!platformReplaceFile(file, updated))
    {
        tellWriteFailure("writing", file);
        return 0;
    }
    return 1;
}

void iniWriteInt(const char* section, const char* key, int value, const std::string& file)
{
    iniWriteString(section, key, std::to_string(value), file);
}

void iniHoldWrites(const std::string& file)
{
    iniFlushWrites();
    HeldFile.Active = 1;
    HeldFile.Changed = 0;
    HeldFile.Path = file;
    HeldFile.Readable = readForWriting(file, HeldFile.Text);
}

int iniFlushWrites()
{
    if (!HeldFile.Active) return 1;
    HeldFile.Active = 0;
    std::string text;
    text.swap(HeldFile.Text);
    if (!HeldFile.Readable) return 0;
    if (!HeldFile.Changed) return 1;
    std::string current;
    // Nothing to replace when every held write stored what the file already said.
    if (platformReadFile(HeldFile.Path, current) && current == text) return 1;
    platformClearFailure();
    if (platformReplaceFile(HeldFile.Path, text)) return 1;
    tellWriteFailure("writing", HeldFile.Path);
    return 0;
}

std::string escapeLineText(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        const char* code = c == '\t'   ? "\\t"
                           : c == '\n' ? "\\n"
                           : c == '\r' ? "\\r"
                           : c == '\\' ? "\\\\"
                                       : nullptr;
        if (code)
            out += code;
        else
            out += c;
    }
    return out;
}

int unescapeLineText(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); i++)
    {
        if (text[i] != '\\')
        {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return 0;
        char c = text[i];
        if (c != 't' && c != 'n' && c != 'r' && c != '\\') return 0;
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : '\\';
    }
    return 1;
}
