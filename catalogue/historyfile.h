// The history file: the community's stories of the machines, shown as the "History" page of
// the game information. Three forms are read, told apart by their content: the XML one
// (<history> of <entry> with <systems><system name=.../> and <text>), the "$info=" one
// ($info=names, $bio, text, $end) and the oldest, "[name]" lines each followed by its text up
// to a line starting with ".". Software entries are read past. Only an index is kept in memory;
// an entry's text is read from the file when its page is opened.
#pragma once

#include "catalogue/fileindex.h"

#include <string>
#include <string_view>
#include <vector>

enum HistoryForm
{
    HistoryUnknown = 0,
    HistoryXml = 1,
    HistoryDat = 2,
    HistoryBracketed = 3,
};

// The index of FrontendSettings.HistoryFile; empty when none is named or it cannot be read.
extern FileIndex HistoryIndex;

// Makes HistoryIndex describe the named history file as it is now (built or read again when the
// file changed); empty when none is named. 0 when one is named and cannot be read (told).
int openHistoryFile();
// The named machine's story, line by line; empty when the file has none for it.
std::vector<std::string> readHistoryLines(const std::string& name);

// The reader on its own, for the index, the fuzzer and the tests.
int buildHistoryIndex(const std::string& path, uint32_t& form, std::string& encoding,
                      std::vector<NamedEntry>& entries);
// The lines of an entry's bytes in the given form.
std::vector<std::string> historyEntryLines(uint32_t form, const std::string& encoding,
                                           std::string_view bytes);
