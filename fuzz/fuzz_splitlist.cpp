// Lists of any text split at any separators: no item is empty or holds a separator, and in
// order they are all the text's other characters.
#include "base/text.h"
#include "fuzzing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::string separators = input.ConsumeRandomLengthString(8);
    separators = separators.substr(0, separators.find('\0'));
    std::string text = input.ConsumeRemainingBytesAsString();
    std::vector<std::string> items = listItems(text, separators.c_str());
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
