// Reading and writing keys of INI files, the way the configuration files of this kind of
// program were written to be read: section and key names without regard to case or to the
// blanks around them (the caller's as well as the file's), the first occurrence wins, one pair
// of quotes around a value removed, the rest of the file kept on writing. Every call reads the
// file (unless its writes are held); writes replace it atomically.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

const int IniValueLimit = 1023; // a value keeps at most this many characters

// The value of key in section, or the default text when the key is missing.
std::string iniReadString(const char* section, const char* key, const char* defaultText,
                          const std::string& file);
// The value when present and not empty; none otherwise.
std::optional<std::string> iniReadOptionalString(const char* section, const char* key,
                                                 const std::string& file);
// 1 when the file has the section (its name compared as keys are).
int iniHasSection(const char* section, const std::string& file);
// The value (or the default text) read as a hexadecimal number: "0x0000FF" is 255 (red).
uint32_t iniReadColor(const char* section, const char* key, const char* defaultText,
                      const std::string& file);
// 0 when the value is exactly "0", else 1; a missing key gives defaultFlag.
int iniReadBool(const char* section, const char* key, int defaultFlag, const std::string& file);
// The value (or the default text) read as a decimal number; no leading digits gives 0.
int iniReadInt(const char* section, const char* key, const char* defaultText,
               const std::string& file);
// The decimal number at the start of the value; the default for a missing key or an empty
// value.
int iniReadNumber(const char* section, const char* key, int defaultValue, const std::string& file);
// A value already read, as iniReadInt reads it: its leading decimal number, clamped to 32 bits.
int iniDecimalOf(const std::string& value);
// Stores text under key, creating the file, the section or the key as needed and keeping every
// other byte of the file. Answers 0 (file untouched) when it cannot be written or would not
// read back: a line break anywhere, "]" in the section, "=" in the key, a key that is empty or
// starts with "[", a value over IniValueLimit characters.
int iniWriteString(const char* section, const char* key, const std::string& text,
                   const std::string& file);
void iniWriteInt(const char* section, const char* key, int value, const std::string& file);
// Holds the writes to file in memory until iniFlushWrites, so that a save of many keys
// replaces the file once (and a kill during it leaves the file of before). Reads of that file
// see the held text meanwhile.
void iniHoldWrites(const std::string& file);
// Writes what is held in one replacement and stops holding; 0 (file untouched) on failure.
int iniFlushWrites();
// Why the last write that failed did ("Permission denied", "No space left on device"); empty
// when the system did not say.
std::string iniLastWriteFailure();

// One key line of a file as the readers see it: names trimmed, the value unquoted and cut to
// IniValueLimit. Only the first section of a name is read, so a key of a later one is marked.
struct IniFileEntry
{
    std::string Section, Key, Value;
    int Line;
    int InRepeatedSection; // in a second or later section of the same name: never read
};
// Every key line of file in order, comment lines (";" or "#") left out; 0 when it cannot be
// read.
int iniListEntries(const std::string& file, std::vector<IniFileEntry>& entries);
// Called with every section and key a reader asks for, so that a test can see that the table
// of documented keys names all of them; null (the default) to stop.
void iniWatchReads(void (*watcher)(const char* section, const char* key, const std::string& file));

// A text on one line, for a value or a field that cannot hold a line break: tab, line feed,
// carriage return and backslash written as \t, \n, \r and \\; every other byte as it is.
std::string escapeLineText(const std::string& text);
// Back again; 0 for a backslash before any other character or at the end.
int unescapeLineText(std::string_view text, std::string& out);
