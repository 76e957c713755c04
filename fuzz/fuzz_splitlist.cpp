// Lists of any text split at any separators: both ways of splitting give the same items, none
// empty or holding a separator, and in order they are all the text's other characters.
#include "catalogue/emulators.h"
#include "fuzzing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

static std::vector<std::string> splitInPlace(std::string text, const std::string& separators)
{
    std::vector<std::string> items;
    char* cursor = nullptr;
    for (char* item = splitList(text.data(), separators.c_str(), &cursor); item;
         item = splitList(nullptr, separators.c_str(), &cursor))
        items.push_back(item);
    return items;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::string separators = input.ConsumeRandomLengthString(8);
    separators = separators.substr(0, separators.find('\0'));
    std::string text = input.ConsumeRemainingBytesAsString();
    text = text.substr(0, text.find('\0')); // splitList reads a C string
    std::vector<std::string> items = splitListItems(text, separators.c_str());
    require(splitInPlace(text, separators) == items, "splitList and splitListItems differ");
    std::string joined, others;
    for (const std::string& item : items)
    {
        require(!item.empty() && item.find_first_of(separators) == std::string::npos,
                "an empty item or one with a separator");
        joined += item;
    }
    for (char c : text)
        if (separators.find(c) == std::string::npos) others += c;
    require(joined == others, "items lost or added characters");
    return 0;
}
