#include "base/message.h"

std::string message(std::string_view pattern, const std::vector<std::string>& pieces)
{
    std::string out;
    out.reserve(pattern.size());
    for (size_t at = 0; at < pattern.size();)
    {
        size_t open = pattern.find('{', at);
        size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
        if (close == std::string_view::npos)
        {
            out.append(pattern.substr(at));
            break;
        }
        out.append(pattern.substr(at, open - at));
        std::string_view number = pattern.substr(open + 1, close - open - 1);
        bool digits = !number.empty() && number.size() < 4 &&
                      number.find_first_not_of("0123456789") == std::string_view::npos;
        size_t place = 0;
        for (char c : digits ? number : std::string_view()) place = place * 10 + (size_t)(c - '0');
        if (place >= 1 && place <= pieces.size())
            out += pieces[place - 1];
        else
            out.append(pattern.substr(open, close - open + 1));
        at = close + 1;
    }
    return out;
}

std::string pluralMessage(int64_t count, std::string_view one, std::string_view other,
                          const std::vector<std::string>& pieces)
{
    std::vector<std::string> all{std::to_string(count)};
    all.insert(all.end(), pieces.begin(), pieces.end());
    return message(count == 1 ? one : other, all);
}
