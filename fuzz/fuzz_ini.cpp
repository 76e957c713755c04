// The INI reader on any file, and the writer's promise: a key it stores reads back as stored
// (held or not), every other key reads as before, and a refused write leaves the file as it was.
#include "config/ini.h"
#include "fuzzing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <vector>

static std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at <= text.size())
    {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

static std::string before(const std::string& text, char c)
{
    return text.substr(0, text.find(c));
}

static std::string after(const std::string& text, char c)
{
    size_t at = text.find(c);
    return at == std::string::npos ? text : text.substr(at + 1);
}

// The names asked for are mostly ones the file has: the key of a line and the header above it.
struct Place
{
    std::string Section, Key;
};

static Place placeOf(const std::vector<std::string>& lines, size_t index)
{
    Place place = {"", before(lines[index], '=')};
    for (size_t i = index + 1; i-- > 0;)
    {
        size_t open = lines[i].find_first_not_of(" \t");
        if (open == std::string::npos || lines[i][open] != '[') continue;
        place.Section = before(lines[i].substr(open + 1), ']');
        break;
    }
    return place;
}

// The names as the reader compares them: without blanks around them, letter case not counted.
static std::string comparable(const std::string& name)
{
    std::string text = name.substr(0, name.find('\0'));
    size_t begin = text.find_first_not_of(" \t\v\f"), end = text.find_last_not_of(" \t\v\f");
    text = begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
    for (char& c : text) c = (char)tolower((unsigned char)c);
    return text;
}

static std::string readString(const Place& place, const std::string& file)
{
    return iniReadString(place.Section.c_str(), place.Key.c_str(), "\x01missing", file);
}

static void readEveryType(const Place& place, const std::string& file)
{
    const char *section = place.Section.c_str(), *key = place.Key.c_str();
    std::string text = iniReadString(section, key, "default ", file);
    std::optional<std::string> optional = iniReadOptionalString(section, key, file);
    // An empty value and a missing key both give none; the default loses its trailing blank.
    require(optional ? *optional == text : text.empty() || text == "default",
            "optional string differs from string \"" + text + "\"");
    require(iniReadBool(section, key, 1, file) == (text != "0"), "bool");
    iniReadColor(section, key, "0xFF", file);
    iniReadInt(section, key, "-12", file);
    iniReadNumber(section, key, 7, file);
}

static std::string fileText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes value, directly or held until a flush, and checks what the file then answers.
static void writeAndCheck(const Place& place, const Place& other, const std::string& value,
                          int held, const std::string& file)
{
    std::string otherBefore = readString(other, file), textBefore = fileText(file);
    if (held) iniHoldWrites(file);
    int written = iniWriteString(place.Section.c_str(), place.Key.c_str(), value, file);
    if (written) require(readString(place, file) == value, "written value does not read back");
    if (held) require(iniFlushWrites() == 1, "held writes not flushed");
    if (!written) require(fileText(file) == textBefore, "a refused write changed the file");
    if (written) require(readString(place, file) == value, "written value lost after writing");
    bool sameKey = comparable(place.Section) == comparable(other.Section) &&
                   comparable(place.Key) == comparable(other.Key);
    if (!sameKey) require(readString(other, file) == otherBefore, "another key changed");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& file = scratchFile(".ini");
    writeScratch(file, data, size);
    std::string text((const char*)data, size);
    std::vector<std::string> lines = linesOf(text);
    // The choices come from the end of the input, the file is all of it.
    FuzzedDataProvider choices(data, size);
    auto pick = [&]() { return choices.ConsumeIntegralInRange<size_t>(0, lines.size() - 1); };
    Place place = placeOf(lines, pick()), other = placeOf(lines, pick());
    readEveryType(place, file);
    std::string value = after(lines[pick()], '=');
    const char* const wrappings[] = {"", " ", "\"", "'", "\t"};
    std::string wrapping = wrappings[choices.ConsumeIntegralInRange(0, 4)];
    if (choices.ConsumeBool()) value = wrapping + value + wrapping;
    if (choices.ConsumeBool()) value = text.substr(0, 40); // line breaks too: to be refused
    writeAndCheck(place, other, value, choices.ConsumeBool(), file);
    readEveryType(other, file);
    return 0;
}
