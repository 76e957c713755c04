// The community's INI-like files (catver.ini, nplayers.ini) are large and read at every start:
// they are read whole and their lines scanned in place.
#pragma once

#include "base/text.h"

#include <functional>
#include <string>
#include <string_view>

// Reads the file at path whole into text. A file that cannot be read is one line on standard
// error, "<kind> cannot be read: [<path>] (<why>); <outcome>", and answers 0.
int readWholeFile(const std::string& path, const char* kind, const std::string& outcome,
                  std::string& text);

// Calls found with the key and the value (both trimmed) of every "key=value" line of the named
// section, in the file's order. Section names are compared as the INI reader does (letter case
// and blanks not counted); lines end at LF, CR or both; comment lines (";"), lines without
// "=", other sections and a byte-order mark are passed over.
void forEachSectionLine(std::string_view text, std::string_view section,
                        const std::function<void(std::string_view, std::string_view)>& found);
