// Category files of any bytes: every line given names a game and a category, neither empty nor
// with blanks around it or a line break in it, and nothing is read outside [Category].
#include "catalogue/categories.h"
#include "fuzzing.h"

#include <string_view>

static bool clean(std::string_view text)
{
    return !text.empty() && text.find_first_of("\r\n") == std::string_view::npos &&
           text.front() != ' ' && text.back() != ' ';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text((const char*)data, size);
    bool anySection = text.find('[') != std::string_view::npos;
    parseCategoryFile(text,
                      [&](const CategoryLine& line)
                      {
                          require(anySection, "a line read before any section");
                          require(clean(line.Game) && clean(line.Category),
                                  "a game or category empty, padded or broken");
                          require(line.Game.find('=') == std::string_view::npos,
                                  "a game name holding the separator");
                      });
    return 0;
}
