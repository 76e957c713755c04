// Reading the emulator list and each emulator's section, and writing the filters back.
#include "catalogue/emulators.h"

#include "base/text.h"

#include "config/ini.h"
#include "config/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

const MameFilterKey MameFilterKeys[MameFilterKeyCount] = {
    {"DisplayMissingRoms", MameFilterFlag, offsetof(MameFilter, DisplayMissingRoms), 0},
    {"DisplayVertical", MameFilterFlag, offsetof(MameFilter, DisplayVertical), 1},
    {"DisplayHorizontal", MameFilterFlag, offsetof(MameFilter, DisplayHorizontal), 1},
    {"DisplayClones", MameFilterFlag, offsetof(MameFilter, DisplayClones), 1},
    {"DisplayNeoGeo", MameFilterFlag, offsetof(MameFilter, DisplayNeoGeo), 1},
    {"DisplayNonNeoGeo", MameFilterFlag, offsetof(MameFilter, DisplayNonNeoGeo), 1},
    {"DisplayVector", MameFilterFlag, offsetof(MameFilter, DisplayVector), 1},
    {"DisplayRaster", MameFilterFlag, offsetof(MameFilter, DisplayRaster), 1},
    {"MinPlayers", MameFilterNumber, offsetof(MameFilter, MinPlayers), 0},
    {"MaxPlayers", MameFilterNumber, offsetof(MameFilter, MaxPlayers), 8},
    {"MinButtons", MameFilterNumber, offsetof(MameFilter, MinButtons), 0},
    {"MaxButtons", MameFilterNumber, offsetof(MameFilter, MaxButtons), 8},
    {"MinCoins", MameFilterNumber, offsetof(MameFilter, MinCoins), 0},
    {"MaxCoins", MameFilterNumber, offsetof(MameFilter, MaxCoins), 8},
    {"ControllerTypes", MameFilterMask, offsetof(MameFilter, ControllerTypes), 127},
};

// The string keys of an emulator's section; a null default stands for the emulator's Name.
struct EmulatorTextKey
{
    const char* Key;
    std::string Emulator::*Field;
    const char* Default;
};
static const EmulatorTextKey EmulatorTextKeys[] = {
    {"Executable", &Emulator::Executable, nullptr},
    {"ExecPath", &Emulator::ExecPath, ""},
    {"CmdLine", &Emulator::CmdLine, ""},
    {"RomPath", &Emulator::RomPath, ""},
    {"Snaps", &Emulator::Snaps, ""},
    {"DefaultSnap", &Emulator::DefaultSnap, ""},
    {"Marquees", &Emulator::Marquees, ""},
    {"DefaultMarquee", &Emulator::DefaultMarquee, ""},
    {"Flyers", &Emulator::Flyers, ""},
    {"DefaultFlyer", &Emulator::DefaultFlyer, ""},
    {"Videos", &Emulator::Videos, ""},
    {"SendKeys", &Emulator::SendKeys, ""},
    {"RomFileExt", &Emulator::RomFileExt, "zip"},
};

int getMameFilterValue(const MameFilter& filter, const MameFilterKey& key)
{
    const char* field = (const char*)&filter + key.Offset;
    if (key.Width == MameFilterFlag)
    {
        int flag;
        memcpy(&flag, field, sizeof flag);
        return flag;
    }
    if (key.Width == MameFilterNumber)
    {
        int16_t number;
        memcpy(&number, field, sizeof number);
        return number;
    }
    uint16_t mask;
    memcpy(&mask, field, sizeof mask);
    return mask;
}

void setMameFilterValue(MameFilter& filter, const MameFilterKey& key, int value)
{
    char* field = (char*)&filter + key.Offset;
    // The record keeps numbers in 16 bits; larger values wrap, as the stored width dictates.
    int16_t number = (int16_t)value;
    uint16_t mask = (uint16_t)value;
    if (key.Width == MameFilterFlag)
        memcpy(field, &value, sizeof value);
    else if (key.Width == MameFilterNumber)
        memcpy(field, &number, sizeof number);
    else
        memcpy(field, &mask, sizeof mask);
}

std::unique_ptr<MameFilter> readMameFilter(const std::string& section)
{
    auto filter = std::make_unique<MameFilter>();
    const std::string& file = FrontendSettings.ConfigFile;
    for (const MameFilterKey& key : MameFilterKeys)
    {
        int value = key.Width == MameFilterFlag
                        ? iniReadBool(section.c_str(), key.Key, key.Default, file)
                        : iniReadNumber(section.c_str(), key.Key, key.Default, file);
        setMameFilterValue(*filter, key, value);
    }
    return filter;
}

std::unique_ptr<NameCodeFilter> readNameCodeFilter(const std::string& section)
{
    auto filter = std::make_unique<NameCodeFilter>();
    for (int i = 0; i < NameCodeCount; i++)
        filter->Flags[i] =
            iniReadBool(section.c_str(), NameCodeTable[i].Key, 0, FrontendSettings.ConfigFile);
    return filter;
}

// The blank after the comma in "Emulators=Hand, MAME" is how lists are written by hand; the
// emulator keeps it in its name but is a MAME emulator all the same.
static int startsWithMame(const std::string& name)
{
    return startsIgnoringCase(trimmedText(name, " \t"), "mame");
}

// A list typed by hand ("Casino, Slot Machine") keeps no blanks around its names. Any
// emulator's games may have categories: a game list gives them their genres.
static void readCategorySettings(Emulator& emulator)
{
    const std::string& file = FrontendSettings.ConfigFile;
    const char* section = emulator.Name.c_str();
    emulator.HiddenCategories.clear();
    for (std::string name : listItems(iniReadString(section, "HiddenCategories", "", file)))
    {
        size_t start = name.find_first_not_of(" \t"), end = name.find_last_not_of(" \t");
        if (start != std::string::npos)
            emulator.HiddenCategories.push_back(name.substr(start, end - start + 1));
    }
    emulator.GameList = iniReadString(section, "GameList", "", file);
    emulator.GameListNames = iniReadBool(section, "GameListNames", 1, file);
    emulator.MediaFolder = iniReadString(section, "MediaFolder", "", file);
    if (emulator.Kind != EmulatorMame) return;
    emulator.CategoryFile = iniReadString(section, "CategoryFile", "", file);
    emulator.ShowMature = iniReadBool(section, "ShowMature", 1, file);
    emulator.CabinetOnly = iniReadBool(section, "CabinetOnly", 1, file);
    emulator.PlayersFile = iniReadString(section, "NPlayersFile", "", file);
    emulator.PlayersAtOnce = iniReadBool(section, "PlayersAtOnce", 0, file);
}

static std::unique_ptr<Emulator> readEmulator(const std::string& name)
{
    const std::string& file = FrontendSettings.ConfigFile;
    const char* section = name.c_str();
    auto emulator = std::make_unique<Emulator>();
    emulator->Name = name;
    emulator->Kind = startsWithMame(name) ? EmulatorMame : EmulatorRomFiles;
    emulator->SectionFound = iniHasSection(section, file);
    if (!emulator->SectionFound)
        fprintf(stderr, "%s: Emulators names %s, but the file has no section [%s]\n", file.c_str(),
                section, section);
    for (const EmulatorTextKey& key : EmulatorTextKeys)
        (*emulator).*key.Field =
            iniReadString(section, key.Key, key.Default ? key.Default : section, file);
    emulator->UseGoodFilters = iniReadBool(section, "UseGoodFilters", 0, file);
    emulator->IncludeInAll = iniReadBool(section, "IncludeInAll", 1, file);
    // A MAME game starts itself with nothing but its set name; another emulator's may stop at
    // a menu or a prompt, so the owner opts in.
    emulator->AttractPlay =
        iniReadBool(section, "AttractPlay", emulator->Kind == EmulatorMame, file);
    readCategorySettings(*emulator);
    if (emulator->Kind == EmulatorMame) emulator->MachineFilter = readMameFilter(name);
    if (emulator->UseGoodFilters) emulator->CodeFilter = readNameCodeFilter(name);
    return emulator;
}

void loadEmulators()
{
    freeEmulators();
    std::string list = iniReadString("Settings", "Emulators", "", FrontendSettings.ConfigFile);
    for (const std::string& name : listItems(list)) EmulatorTable.push_back(readEmulator(name));
}

// The name-code keys are written in alphabetical order (letter case not counted), the order
// in which the configuration files of this program have always listed them.
static std::vector<int> nameCodeWriteOrder()
{
    std::vector<int> order(NameCodeCount);
    for (int i = 0; i < NameCodeCount; i++) order[i] = i;
    std::sort(order.begin(), order.end(),
              [](int a, int b)
              { return lessIgnoringCase(NameCodeTable[a].Key, NameCodeTable[b].Key); });
    return order;
}

static std::string joinList(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

static void saveOneEmulator(const Emulator& emulator, const std::vector<int>& nameCodeOrder)
{
    const char* section = emulator.Name.c_str();
    const std::string& file = FrontendSettings.ConfigFile;
    if (emulator.UseGoodFilters && emulator.CodeFilter)
        for (int i : nameCodeOrder)
            iniWriteInt(section, NameCodeTable[i].Key, emulator.CodeFilter->Flags[i], file);
    if (emulator.Kind == EmulatorMame && emulator.MachineFilter)
        for (const MameFilterKey& key : MameFilterKeys)
            iniWriteInt(section, key.Key, getMameFilterValue(*emulator.MachineFilter, key), file);
    // What the menu does not offer is left as the owner wrote it, or not at all.
    if (!emulator.CategoryFile.empty() || !emulator.GameList.empty())
        iniWriteString(section, "HiddenCategories", joinList(emulator.HiddenCategories), file);
    if (emulator.Kind != EmulatorMame) return;
    if (!emulator.CategoryFile.empty())
        iniWriteInt(section, "ShowMature", emulator.ShowMature, file);
    if (!FrontendSettings.CabinetControls.empty())
        iniWriteInt(section, "CabinetOnly", emulator.CabinetOnly, file);
    if (!emulator.PlayersFile.empty())
        iniWriteInt(section, "PlayersAtOnce", emulator.PlayersAtOnce, file);
}

void saveEmulatorFilters()
{
    std::vector<int> order = nameCodeWriteOrder();
    for (const auto& emulator : EmulatorTable) saveOneEmulator(*emulator, order);
}
