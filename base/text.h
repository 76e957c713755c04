// Texts as files and owners write them: blanks around words, letter case, lists, and bytes
// that are not UTF-8. The ground floor: every module may use it, and it knows no file, game
// or window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// ---- Blanks and letter case

// What the community's files and the socket's names carry around their words: blanks, tabs
// and the carriage return a file written on Windows leaves at each line's end.
inline constexpr std::string_view LineBlanks = " \t\r";
// What the configuration file takes off a key and its value, as Windows' INI functions do. A
// carriage return is a line's end there, not a blank, so a lone one is kept.
inline constexpr std::string_view IniBlanks = " \t\v\f";

std::string_view trimmedText(std::string_view text, std::string_view blanks = LineBlanks);
// Narrows [begin, end) of text to leave out the blanks at either end.
void trimRange(std::string_view text, size_t& begin, size_t& end,
               std::string_view blanks = LineBlanks);

// Letter case is ASCII's alone: names of keys, sections, emulators, views and actions are
// ASCII, and a locale's rules would make a file mean two things on two machines.
char asciiLower(char c);
std::string asciiLowerCase(std::string_view text);
int sameIgnoringCase(std::string_view a, std::string_view b);
int lessIgnoringCase(std::string_view a, std::string_view b);
int startsIgnoringCase(std::string_view text, std::string_view start);
// A name as an owner may type it, made comparable: trimmed, in lower case.
std::string comparableName(std::string_view name);

// ---- Lists
// Two rules, each for its kind of list.

// The configuration's lists (Emulators, RomPath, GameN, HiddenCategories, filter names):
// items as written, blanks kept (a folder's name may hold them), empty items (",," or a comma
// at the end) skipped. Any of separators ends an item.
std::vector<std::string> listItems(std::string_view text, std::string_view separators = ",");
// A list where each item counts and a mistake is told (the lock's actions): every item
// trimmed, and an empty one kept so that it can be named.
std::vector<std::string> everyItem(std::string_view text);

// ---- UTF-8
// Text from a file or a program is shown and stored as UTF-8. Bytes that are not UTF-8 come
// from old programs writing Windows-1252 and are read as it, whoever reads them: the same byte
// shows one way wherever its text came from.

// The length of the valid UTF-8 sequence at text[at]: 0 when none starts there, -1 when the
// text ends inside what may still become one.
int utf8SequenceAt(std::string_view text, size_t at);
// The length of the character at text[at] as the screen steps over it: a valid sequence, else
// one byte (0 at the end).
int characterLength(std::string_view text, size_t at);
// How many bytes from the start are valid UTF-8 (a sequence cut by the end not counted).
size_t validUtf8Prefix(std::string_view text);
int isUtf8(std::string_view text);
void appendUtf8(std::string& out, unsigned code);
// The character a byte that is not UTF-8 stands for: Windows-1252's, Latin-1's above 0x9F,
// and U+FFFD for the five bytes Windows-1252 leaves undefined.
unsigned windows1252Character(unsigned char byte);
// text as UTF-8: valid sequences kept, every other byte read as Windows-1252.
std::string repairedUtf8(std::string_view text);
// The bytes at the end of text that may still become a sequence with what follows (0 to 3):
// a reader of blocks keeps them for the next block rather than repairing them.
size_t unfinishedUtf8Tail(std::string_view text);
