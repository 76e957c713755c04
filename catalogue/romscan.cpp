// Games of the emulators that are not MAME: ROM files found in their directories and games
// listed by hand in their sections.
#include "catalogue/romscan.h"

#include "base/text.h"
#include "catalogue/emulators.h"
#include "config/ini.h"
#include "config/settings.h"
#include "platform/files.h"

NameCodeFlags decodeNameCodes(const std::string& text)
{
    NameCodeFlags flags;
    for (int i = 0; i < NameCodeCount; i++)
    {
        const NameCodeInfo& row = NameCodeTable[i];
        bool found = text.find(row.Code) != std::string::npos ||
                     (row.OtherCode && text.find(row.OtherCode) != std::string::npos);
        flags.Flags[i] = found ? 1 : 0;
    }
    return flags;
}

static std::unique_ptr<Game> gameFromFile(const std::string& directory, const std::string& fileName,
                                          const std::string& extension, int emulatorIndex)
{
    std::unique_ptr<Game> game = newGame(emulatorIndex);
    game->Manufacturer = "Unknown";
    game->Name = fileName;
    // The listing ignores letter case, so "Game.ZIP" is here for "zip": only the length of
    // the dot and the extension is cut, whatever their case.
    size_t cut = extension.size() + 1;
    game->Description = fileName.substr(0, fileName.size() > cut ? fileName.size() - cut : 0);
    keepOnOneLine(game->Description);
    game->RomFile =
        std::make_unique<RomFileInfo>(RomFileInfo{directory, decodeNameCodes(game->Description)});
    return game;
}

// A directory that is missing, unreadable or not a directory simply holds no games.
static void scanDirectory(const Emulator* emulator, const std::string& directory, int emulatorIndex)
{
    std::vector<std::string> names;
    if (!platformListDirectory(directory + "/*." + emulator->RomFileExt, names)) return;
    for (const std::string& name : names)
        appendGame(gameFromFile(directory, name, emulator->RomFileExt, emulatorIndex));
}

// Game1, Game2, ... up to the first empty value; "Description,Name[,ignored...]". A value
// with fewer than two items is passed over so that one bad line does not hide the rest.
static void readHandListedGames(const Emulator* emulator, int emulatorIndex)
{
    const char* section = emulator->Name.c_str();
    for (int number = 1;; number++)
    {
        std::string key = "Game" + std::to_string(number);
        std::string value = iniReadString(section, key.c_str(), "", FrontendSettings.ConfigFile);
        if (value.empty()) return;
        std::vector<std::string> items = listItems(value);
        if (items.size() < 2) continue;
        std::unique_ptr<Game> game = newGame(emulatorIndex);
        game->Manufacturer = "Unknown";
        game->Description = items[0];
        game->Name = items[1];
        appendGame(std::move(game));
    }
}

void discoverRoms(const Emulator* emulator, int emulatorIndex)
{
    if (!emulator) return;
    for (const std::string& directory : listItems(emulator->RomPath))
        scanDirectory(emulator, directory, emulatorIndex);
    readHandListedGames(emulator, emulatorIndex);
}
