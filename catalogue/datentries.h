// The community's "$info=" text files (history.dat, command.dat): entries that start with a
// line "$info=name1,name2,..." naming the machines they describe (software entries start
// "$nes=..." and the like), hold keyword lines such as "$bio" or "$cmd" and end with "$end".
// Scanning finds each entry's bytes for an index; reading splits an entry into its lines.
#pragma once

#include "catalogue/fileindex.h"

#include <string>
#include <string_view>
#include <vector>

// What a scan found, with the first line of each kind of fault, for one message each.
struct DatScan
{
    std::vector<NamedEntry> Entries;
    long Lines;
    long SoftwareEntries; // "$nes=..." and the like: read past, not indexed
    long UnknownLine;     // a "$" keyword the file's kind does not have (0: none)
    std::string UnknownKeyword;
    long UnendedLine;  // an entry that the next one or the file's end cut off before "$end"
    long NamelessLine; // "$info=" naming nothing
};

// Scans the open file: every "$info=" entry, from the line after its names to the end of its
// last "$end" line (or to where the next entry starts, when it has none), under each of its
// names. keywords are the words the entry's text may hold besides "end" ("bio", "cmd").
// 0 on a read error.
int scanDatEntries(FILE* file, const std::vector<std::string_view>& keywords, DatScan& scan);
// One line on standard error for each kind of fault the scan found.
void tellDatScan(const std::string& path, const DatScan& scan);

// The names of a comma list, each without blanks or carriage returns around it, empty ones left
// out.
std::vector<std::string> splitNames(std::string_view text);
// The names of an entry's first line: the list's word ("info" for machines) and the names,
// split at commas, each without blanks or carriage returns around it, empty ones left out. 0
// when the line is no such line.
int parseDatHeader(std::string_view line, std::string_view& list, std::vector<std::string>& names);
// The keyword of a line such as "$bio" or "$end" (the word after "$", up to a blank); empty
// for any other line, a header line too.
std::string_view datKeyword(std::string_view line);
// The lines of an entry's bytes, without their LF or CR LF.
std::vector<std::string_view> splitLines(std::string_view bytes);
// Drops the empty lines at both ends.
void trimEmptyLines(std::vector<std::string>& lines);
