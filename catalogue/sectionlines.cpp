// Scanning a section of an INI-like file held in memory.
#include "catalogue/sectionlines.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int readWholeFile(const std::string& path, const char* kind, const std::string& outcome,
                  std::string& text)
{
    platformClearFailure();
    if (platformReadFile(path, text)) return 1;
    fprintf(stderr, "%s cannot be read: [%s] (%s); %s\n", kind, path.c_str(),
            platformWhyFailed("not a file").c_str(), outcome.c_str());
    return 0;
}

// find_first_of looks each byte up in the set of separators with a call of its own: over a
// file of megabytes, a plain scan is several times faster.
static size_t lineEnd(std::string_view text)
{
    for (size_t i = 0; i < text.size(); i++)
        if (text[i] == '\n' || text[i] == '\r') return i;
    return std::string_view::npos;
}

void forEachSectionLine(std::string_view text, std::string_view section,
                        const std::function<void(std::string_view, std::string_view)>& found)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inSection = false;
    while (!text.empty())
    {
        size_t end = lineEnd(text); // CRLF, LF or a lone CR
        std::string_view line = trimmedText(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[')
        {
            inSection = line.back() == ']' &&
                        comparableName(line.substr(1, line.size() - 2)) == comparableName(section);
            continue;
        }
        size_t equals = line.find('=');
        if (inSection && equals != std::string_view::npos)
            found(trimmedText(line.substr(0, equals)), trimmedText(line.substr(equals + 1)));
    }
}
