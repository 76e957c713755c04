#include "base/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

std::string_view trimmedText(std::string_view text, std::string_view blanks)
{
    size_t begin = 0, end = text.size();
    trimRange(text, begin, end, blanks);
    return text.substr(begin, end - begin);
}

void trimRange(std::string_view text, size_t& begin, size_t& end, std::string_view blanks)
{
    while (begin < end && blanks.find(text[begin]) != std::string_view::npos) begin++;
    while (end > begin && blanks.find(text[end - 1]) != std::string_view::npos) end--;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

std::string asciiLowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) c = asciiLower(c);
    return lower;
}

int sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); i++)
        if (asciiLower(a[i]) != asciiLower(b[i])) return 0;
    return 1;
}

int lessIgnoringCase(std::string_view a, std::string_view b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return (unsigned char)asciiLower(a[i]) < (unsigned char)asciiLower(b[i]);
    return a.size() < b.size();
}

int startsIgnoringCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && sameIgnoringCase(text.substr(0, start.size()), start);
}

std::string comparableName(std::string_view name)
{
    return asciiLowerCase(trimmedText(name));
}

std::vector<std::string> listItems(std::string_view text, std::string_view separators)
{
    std::vector<std::string> items;
    for (size_t position = 0;;)
    {
        size_t start = text.find_first_not_of(separators, position);
        if (start == std::string_view::npos) break;
        size_t end = std::min(text.find_first_of(separators, start), text.size());
        items.emplace_back(text.substr(start, end - start));
        position = end;
    }
    return items;
}

std::vector<std::string> everyItem(std::string_view text)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t comma; (comma = text.find(',', start)) != std::string_view::npos; start = comma + 1)
        items.emplace_back(trimmedText(text.substr(start, comma - start)));
    items.emplace_back(trimmedText(text.substr(start)));
    return items;
}

int utf8SequenceAt(std::string_view text, size_t at)
{
    unsigned char first = (unsigned char)text[at];
    if (first < 0x80) return 1;
    int length = first >= 0xC2 && first <= 0xDF   ? 2
                 : first >= 0xE0 && first <= 0xEF ? 3
                 : first >= 0xF0 && first <= 0xF4 ? 4
                                                  : 0;
    for (int i = 1; i < length; i++)
    {
        if (at + i >= text.size()) return -1;
        unsigned char next = (unsigned char)text[at + i];
        if ((next & 0xC0) != 0x80) return 0;
        // Overlong forms, surrogates and what lies beyond Unicode.
        if (i == 1 && ((first == 0xE0 && next < 0xA0) || (first == 0xED && next > 0x9F) ||
                       (first == 0xF0 && next < 0x90) || (first == 0xF4 && next > 0x8F)))
            return 0;
    }
    return length;
}

int characterLength(std::string_view text, size_t at)
{
    if (at >= text.size()) return 0;
    int length = utf8SequenceAt(text, at);
    return length > 0 ? length : 1;
}

// ASCII, most of any text, is passed eight bytes at a time.
size_t validUtf8Prefix(std::string_view text)
{
    size_t at = 0;
    while (at < text.size())
    {
        uint64_t eight;
        if (text.size() - at >= 8 && (std::memcpy(&eight, text.data() + at, 8), 1) &&
            !(eight & 0x8080808080808080ull))
        {
            at += 8;
            continue;
        }
        int length = utf8SequenceAt(text, at);
        if (length <= 0) return at;
        at += (size_t)length;
    }
    return at;
}

int isUtf8(std::string_view text)
{
    return validUtf8Prefix(text) == text.size();
}

void appendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80)
        out += (char)code;
    else if (code < 0x800)
    {
        out += (char)(0xC0 | (code >> 6));
        out += (char)(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
        out += (char)(0xE0 | (code >> 12));
        out += (char)(0x80 | ((code >> 6) & 0x3F));
        out += (char)(0x80 | (code & 0x3F));
    }
    else
    {
        out += (char)(0xF0 | (code >> 18));
        out += (char)(0x80 | ((code >> 12) & 0x3F));
        out += (char)(0x80 | ((code >> 6) & 0x3F));
        out += (char)(0x80 | (code & 0x3F));
    }
}

unsigned windows1252Character(unsigned char byte)
{
    static const uint16_t From0x80[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? From0x80[byte - 0x80] : byte;
}

std::string repairedUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();)
    {
        size_t valid = validUtf8Prefix(text.substr(at));
        out.append(text, at, valid);
        at += valid;
        if (at < text.size()) appendUtf8(out, windows1252Character((unsigned char)text[at++]));
    }
    return out;
}

// A lead byte is never part of another valid sequence, so the first one that runs past the end
// starts the tail.
size_t unfinishedUtf8Tail(std::string_view text)
{
    for (size_t at = text.size() > 3 ? text.size() - 3 : 0; at < text.size(); at++)
        if (utf8SequenceAt(text, at) < 0) return text.size() - at;
    return 0;
}
