// Name codes read from any file name: a flag is set exactly when the name holds the row's code
// or its other code, wherever it stands and whatever surrounds it.
#include "catalogue/romscan.h"
#include "fuzzing.h"

#include <algorithm>
#include <cstring>

static bool holds(const std::string& text, const char* code)
{
    return code && std::search(text.begin(), text.end(), code, code + strlen(code)) != text.end();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text((const char*)data, size);
    NameCodeFlags flags = decodeNameCodes(text);
    for (int i = 0; i < NameCodeCount; i++)
    {
        const NameCodeInfo& row = NameCodeTable[i];
        require(flags.Flags[i] == (holds(text, row.Code) || holds(text, row.OtherCode)),
                std::string("flag of ") + row.Code);
    }
    return 0;
}
