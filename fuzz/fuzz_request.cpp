// Whatever a client sends, in pieces of any size: every line given is whole and within the
// limit, every request read is one of the known kinds or says why not, and every answer text
// is JSON again.
#include "fuzzing.h"
#include "runtime/protocol.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <nlohmann/json.hpp>

static void check(const Request& request, const std::string& line)
{
    if (request.Kind == RequestBad) require(!request.Error.empty(), "refused without a reason");
    if (request.Kind == RequestSelect) require(!request.Game.empty(), "a select without a game");
    std::string error = errorLine(request.Error.empty() ? line : request.Error);
    require(error.back() == '\n' && error.find('\n') == error.size() - 1, "an answer of two lines");
    require(!nlohmann::json::parse(error, nullptr, false).is_discarded(), "an answer not JSON");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    LineReader reader;
    std::string line;
    while (input.remaining_bytes() > 0)
    {
        reader.Pending += input.ConsumeRandomLengthString(RequestLineLimit + 2);
        for (LineResult result; (result = nextLine(reader, line)) != NoLine;)
        {
            if (result == Overlong) continue;
            require(line.size() <= RequestLineLimit && line.find('\n') == std::string::npos,
                    "a line too long or with a line feed");
            check(readRequest(line), line);
        }
        require(reader.Pending.size() <= RequestLineLimit + RequestLineLimit + 2, "pending grows");
    }
    return 0;
}
