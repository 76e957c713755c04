// The emulators the configuration file names, each with its paths, command-line template and
// filter settings.
#pragma once

#include "catalogue/catalogue.h"

#include <cstddef>
#include <string>

// One key of the MAME filter: where its value lives in MameFilter and how wide it is.
enum MameFilterWidth
{
    MameFilterFlag,   // 32-bit flag, read with iniReadBool
    MameFilterNumber, // signed 16-bit, read as a leading decimal number
    MameFilterMask,   // unsigned 16-bit bit mask, read as a leading decimal number
};
struct MameFilterKey
{
    const char* Key;
    MameFilterWidth Width;
    size_t Offset;
    int Default;
};
const int MameFilterKeyCount = 15;
// In the order of the record's fields, which is also the order they are written back in.
extern const MameFilterKey MameFilterKeys[MameFilterKeyCount];
// The value of one key of filter as a plain number, and storing one (cut to its width).
int getMameFilterValue(const MameFilter& filter, const MameFilterKey& key);
void setMameFilterValue(MameFilter& filter, const MameFilterKey& key, int value);

// Fills EmulatorTable from [Settings] Emulators and each emulator's own section.
void loadEmulators();
// A new record filled from the MAME filter keys of section.
std::unique_ptr<MameFilter> readMameFilter(const std::string& section);
// A new record filled from the name-code filter keys of section.
std::unique_ptr<NameCodeFilter> readNameCodeFilter(const std::string& section);
// Writes every emulator's filter keys back into its section (at exit).
void saveEmulatorFilters();
