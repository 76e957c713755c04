// The table of keys, the checks made from it and the manual page written from it.
#include "catalogue/keytable.h"

#include "base/text.h"
#include "catalogue/catalogue.h"
#include "catalogue/emulators.h"
#include "config/ini.h"
#include "config/settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>

// clang-format off
static const SettingKey WrittenKeys[] = {
    {PlaceSettings, "Emulators", ValueText, "", "The emulators, separated by commas, in the order ChangeEmu goes through them. A name that begins with MAME reads its games from MAME's own list; any other reads its ROM folder. Each needs a section of its name.", ""},
    {PlaceSettings, "Skin.dir", ValueText, "skins", "The folder that holds one folder per skin.", ""},
    {PlaceSettings, "Skin", ValueText, "DefaultSkin", "The skin shown; the options menu changes it.", ""},
    {PlaceSettings, "MenuType", ValueWord, "ListView", "The view: a list of names or a wall of marquees; the options menu changes it.", "ListView, ImageBrowser"},
    {PlaceSettings, "PreviewPictures", ValueWord, "Screenshots", "The pictures of the image browser's preview; written back as ScreenShots.", "Screenshots, ScreenShots, Flyers"},
    {PlaceSettings, "PreviewBackgroundcolor", ValueColour, "0xFFFFFF", "The image browser's background when the skin has no back.png.", ""},
    {PlaceSettings, "SortGamesBy", ValueOwn, "Description", "The order of the list: Description, MostPlayed or LastPlayed.", ""},
    {PlaceSettings, "AllowMenu", ValueFlag, "1", "0 keeps the options menu and the controls set-up closed.", ""},
    {PlaceSettings, "UseJoystick", ValueFlag, "1", "0 ignores every stick and pad.", ""},
    {PlaceSettings, "UseMameInfoDat", ValueFlag, "0", "1 reads the game information file named by Mameinfo.dat for the GameInfo key.", ""},
    {PlaceSettings, "Mameinfo.dat", ValueText, "./mameinfo.dat", "The game information file (mameinfo.dat).", ""},
    {PlaceSettings, "ScrollBorderPct", ValueNumber, "20", "The margin around the game information window, in per cent of the screen.", ""},
    {PlaceSettings, "ScreenSaverStartInterval", ValueNumber, "60", "Seconds without a key before the screensaver starts; 0 never.", ""},
    {PlaceSettings, "ScreenSaverChangeInterval", ValueNumber, "20", "Seconds each screensaver picture is shown.", ""},
    {PlaceSettings, "ScreenSaverType", ValueWord, "Flyers", "What the screensaver shows; Play starts games of the emulators with AttractPlay=1 for AttractPlaySeconds each.", "Flyers, Marquees, Screenshots, Videos, Play"},
    {PlaceSettings, "ScreenSaverStretch", ValueFlag, "0", "1 stretches each screensaver picture over the whole screen; 0 keeps its shape.", ""},
    {PlaceSettings, "VideoDelay", ValueOwn, "600", "Milliseconds the selection rests before its video plays, 0 to 3600000; 0 plays none.", ""},
    {PlaceSettings, "VideoSound", ValueOwn, "0", "1 plays the videos' sound.", ""},
    {PlaceSettings, "VideoVolume", ValueOwn, "50", "The videos' volume, 0 to 100.", ""},
    {PlaceSettings, "Rotation", ValueOwn, "0", "Degrees the picture is turned clockwise for a turned monitor: 0, 90, 180 or 270.", ""},
    {PlaceSettings, "ReleaseScreenDuringGame", ValueOwn, "", "1 gives up the screen while a game runs; the default is 1 on the console, 0 on a display server.", ""},
    {PlaceSettings, "ExitGameHoldSeconds", ValueOwn, "3", "Seconds Exit is held to end a running game; 0 never.", ""},
    {PlaceSettings, "SendKeys", ValueFlag, "0", "1 types each emulator's SendKeys into it after it starts (X only).", ""},
    {PlaceSettings, "SendKeyWait", ValueNumber, "6", "Seconds between a game's start and its typed keys.", ""},
    {PlaceSettings, "SendKeyInterval", ValueNumber, "500", "Milliseconds after each typed key.", ""},
    {PlaceSettings, "DebugCmdLine", ValueText, "", "Any value appends every command line started to log.txt, with the first 64 KB of what each [Events] command writes. Past 1 MB, log.txt becomes log.txt.1 (replacing the one before) and starts again.", ""},
    {PlaceSettings, "CabinetControls", ValueText, "", "The cabinet's control types, separated by commas (joy, doublejoy, triplejoy, stick, only_buttons, lightgun, trackball, dial, paddle, pedal, positional, mouse, keyboard, keypad, mahjong, hanafuda, gambling); MAME games needing any other are hidden. Empty: no limit.", ""},
    {PlaceSettings, "HistoryFile", ValueText, "", "The machines' stories, history.xml or history.dat, shown as the History page of the game information. Empty: none.", ""},
    {PlaceSettings, "CommandFile", ValueText, "", "The machines' controls and moves, command.dat, shown as pages of the game information. Empty: none.", ""},
    {PlaceSettings, "ShowHiddenGames", ValueFlag, "0", "1 also shows the games a game list marks hidden; the options menu changes it.", ""},
    {PlaceSettings, "Locked", ValueOwn, "0", "1 locks the cabinet: the options menu, the controls set-up, leaving and powering off do nothing and mature games are hidden. Any other value but 0 locks too, and is told. The lock sequence writes it at once.", ""},
    {PlaceSettings, "LockSequence", ValueText, "", "Actions separated by commas (SelectUp or Up, SelectDown or Down, SelectPageUp or Left, SelectPageDown or Right, StartGame or Start, GameInfo or Info, ShowMenu or Menu, and the [Keymappings] names) that, entered within 5 seconds, lock or unlock. Empty: only this file does.", ""},
    {PlaceSettings, "LockAllows", ValueText, "", "ToggleFavourite, ChangeEmu or both: what still works while locked.", ""},
    {PlaceSettings, "AttractPlaySeconds", ValueOwn, "60", "Seconds each game of the Play screensaver plays, 1 to 86400.", ""},
    {PlaceSettings, "GameTimeLimitMinutes", ValueOwn, "0", "Minutes after which a game is ended; 0 never.", ""},
    {PlaceSettings, "MusicFolder", ValueText, "", "A folder of MP3, Ogg Vorbis, FLAC and WAV files (sub-folders too) played shuffled between games. Empty: no music.", ""},
    {PlaceSettings, "MusicVolume", ValueOwn, "60", "The music's volume, 0 to 100.", ""},
    {PlaceSettings, "MarqueeDisplay", ValueOwn, "", "The display (0 the first the system lists) of a second screen that shows the selected game's marquee. Empty: none.", ""},
    {PlaceSettings, "MarqueeRotation", ValueOwn, "0", "Degrees the marquee screen's picture is turned clockwise: 0, 90, 180 or 270.", ""},
    {PlaceSettings, "TrackballRowPixels", ValueOwn, "40", "Pixels of a trackball's (a mouse's) motion up or down that move the selection one row, turned with Rotation; 0 off.", ""},
    {PlaceSettings, "SpinnerPagePixels", ValueOwn, "0", "Pixels of a spinner's (a mouse's) motion sideways that move the selection one page, turned with Rotation; 0 off.", ""},
    {PlaceSettings, "ControlSocket", ValueOwn, "0", "1 takes requests of the same user's programs on the socket torvanell.sock in $XDG_RUNTIME_DIR (else the configuration's folder).", ""},
    {PlaceEvents, "Startup", ValueText, "", "A command line started when the list first shows. Codes: %d description, %f name, %p ROM folder, %r name without extension, %e emulator, %q a double quote.", ""},
    {PlaceEvents, "Quit", ValueText, "", "A command line started as the front end leaves.", ""},
    {PlaceEvents, "GameStart", ValueText, "", "A command line started as a game starts (the demo games too).", ""},
    {PlaceEvents, "GameEnd", ValueText, "", "A command line started when a game has ended.", ""},
    {PlaceEvents, "SelectionChanged", ValueText, "", "A command line started when the selection has rested 300 ms on another game.", ""},
    {PlaceEvents, "ScreenSaverStart", ValueText, "", "A command line started as the screensaver starts.", ""},
    {PlaceEvents, "ScreenSaverEnd", ValueText, "", "A command line started as the screensaver ends.", ""},
    {PlaceSystem, "SelectedGame", ValueText, "0", "The game selected at the last exit; written at exit.", ""},

    {PlaceEmulator, "Executable", ValueText, "the section's name", "The emulator's program, in ExecPath (or a full path).", ""},
    {PlaceEmulator, "ExecPath", ValueText, "", "The folder the emulator is started in; empty: the current folder.", ""},
    {PlaceEmulator, "CmdLine", ValueText, "", "The emulator's arguments: %f the game's name (a ROM file's name), %r the same without its extension, %p the ROM file's folder, %q a double quote.", ""},
    {PlaceEmulator, "RomPath", ValueText, "", "The ROM folder: a MAME game shows when its zip is there; another emulator's games are its files.", ""},
    {PlaceEmulator, "RomFileExt", ValueText, "zip", "The extension of a ROM folder's game files.", ""},
    {PlaceEmulator, "Snaps", ValueText, "", "The folder of screenshots, name.png or name.jpg.", ""},
    {PlaceEmulator, "DefaultSnap", ValueText, "", "The picture for games without a screenshot.", ""},
    {PlaceEmulator, "Marquees", ValueText, "", "The folder of marquees.", ""},
    {PlaceEmulator, "DefaultMarquee", ValueText, "", "The picture for games without a marquee.", ""},
    {PlaceEmulator, "Flyers", ValueText, "", "The folder of flyers.", ""},
    {PlaceEmulator, "DefaultFlyer", ValueText, "", "The picture for games without a flyer.", ""},
    {PlaceEmulator, "Videos", ValueText, "", "The folder of video snaps, name.mp4 (.mkv, .webm, .avi, .flv).", ""},
    {PlaceEmulator, "SendKeys", ValueText, "", "The keys typed into the emulator after it starts, when [Settings] SendKeys is 1.", ""},
    {PlaceEmulator, "IncludeInAll", ValueFlag, "1", "0 leaves the emulator's games out of the list of all emulators.", ""},
    {PlaceEmulator, "UseGoodFilters", ValueFlag, "0", "1 filters the ROM files by the codes in their names (the Show keys below).", ""},
    {PlaceEmulator, "GameList", ValueText, "", "A gamelist.xml of another front end or scraper: its games' titles, descriptions, makers, genres, players, ratings, pictures and hidden marks; its plays and favourites are carried over once. Never written.", ""},
    {PlaceEmulator, "GameListNames", ValueFlag, "1", "With GameList: 0 keeps the games' own names instead of the list's titles.", ""},
    {PlaceEmulator, "MediaFolder", ValueText, "", "A folder of pictures and videos by game (file name without extension): screenshots (then titlescreens), covers, marquees (then wheels), videos; looked in after the own folders and the game list's.", ""},
    {PlaceEmulator, "HiddenCategories", ValueText, "", "Main categories (or a game list's genres) to hide, separated by commas.", ""},
    {PlaceEmulator, "AttractPlay", ValueFlag, "1 for MAME, else 0", "1 lets the Play screensaver start this emulator's games.", ""},
    {PlaceEmulator, "Game1", ValueText, "", "Game1, Game2 and on to the first missing number: a game listed by hand as Description,name.", ""},

    {PlaceMameEmulator, "DisplayMissingRoms", ValueFlag, "0", "1 also shows games whose zip is not in RomPath.", ""},
    {PlaceMameEmulator, "DisplayVertical", ValueFlag, "1", "0 hides games for upright monitors.", ""},
    {PlaceMameEmulator, "DisplayHorizontal", ValueFlag, "1", "0 hides games for wide monitors.", ""},
    {PlaceMameEmulator, "DisplayClones", ValueFlag, "1", "0 hides clones; a clone shows only when its parent's zip is there too.", ""},
    {PlaceMameEmulator, "DisplayNeoGeo", ValueFlag, "1", "0 hides Neo Geo games.", ""},
    {PlaceMameEmulator, "DisplayNonNeoGeo", ValueFlag, "1", "0 hides all but Neo Geo games.", ""},
    {PlaceMameEmulator, "DisplayVector", ValueFlag, "1", "0 hides games with a vector screen.", ""},
    {PlaceMameEmulator, "DisplayRaster", ValueFlag, "1", "0 hides games with a raster screen.", ""},
    {PlaceMameEmulator, "MinPlayers", ValueNumber, "0", "Games for fewer players are hidden.", ""},
    {PlaceMameEmulator, "MaxPlayers", ValueNumber, "8", "Games for more players are hidden.", ""},
    {PlaceMameEmulator, "MinButtons", ValueNumber, "0", "Games with fewer buttons are hidden.", ""},
    {PlaceMameEmulator, "MaxButtons", ValueNumber, "8", "Games needing more buttons are hidden.", ""},
    {PlaceMameEmulator, "MinCoins", ValueNumber, "0", "Games with fewer coin slots are hidden.", ""},
    {PlaceMameEmulator, "MaxCoins", ValueNumber, "8", "Games with more coin slots are hidden.", ""},
    {PlaceMameEmulator, "ControllerTypes", ValueNumber, "127", "The controls shown, added up: 1 games with a dial, double or 4-/8-way joystick, stick, paddle or trackball as the old lists name them, 8 all others.", ""},
    {PlaceMameEmulator, "CategoryFile", ValueText, "", "A catver.ini naming each machine's category.", ""},
    {PlaceMameEmulator, "ShowMature", ValueFlag, "1", "0 hides the games the category file marks mature.", ""},
    {PlaceMameEmulator, "CabinetOnly", ValueFlag, "1", "With [Settings] CabinetControls: 0 also shows games needing controls the cabinet lacks.", ""},
    {PlaceMameEmulator, "NPlayersFile", ValueText, "", "An nplayers.ini telling players at once (2P sim) from players taking turns (2P alt).", ""},
    {PlaceMameEmulator, "PlayersAtOnce", ValueFlag, "0", "With NPlayersFile: 1 makes MinPlayers and MaxPlayers count the players at once (a game only taken in turns counts 1).", ""},

    {PlaceSkinSettings, "Emulator", ValueText, "All", "The emulator whose games are shown (All, Favourites or an emulator's name); ChangeEmu changes it.", ""},
    {PlaceSkinSettings, "Fontface", ValueText, "Arial", "The list's font.", ""},
    {PlaceSkinSettings, "Fontsize", ValueNumber, "18", "The list's font size, points.", ""},
    {PlaceSkinSettings, "Fontcolor", ValueColour, "0x0000FF", "The list's text colour.", ""},
    {PlaceSkinSettings, "MenuFontSize", ValueNumber, "12", "The options menu's font size, points.", ""},
    {PlaceSkinSettings, "TextShadow", ValueFlag, "0", "1 draws the list's text with a shadow.", ""},
    {PlaceSkinSettings, "DesignWidth", ValueOwn, "", "With DesignHeight: the screen size the places are given for, for both views; they are scaled to the screen.", ""},
    {PlaceSkinSettings, "DesignHeight", ValueOwn, "", "See DesignWidth.", ""},

    {PlaceSkinView, "Backgroundcolor", ValueColour, "0x000000", "The background without back.png.", ""},
    {PlaceSkinView, "HighlightForecolor", ValueColour, "0x000000", "The selected game's text colour (the image browser's highlight).", ""},
    {PlaceSkinView, "HighlightBackcolor", ValueColour, "0xFFFFFF", "The highlight bar's colour.", ""},
    {PlaceSkinView, "ShowHighlightBar", ValueFlag, "1", "0 draws the selected game without a bar.", ""},
    {PlaceSkinView, "FavouriteColor", ValueColour, "0x00D7FF", "The colour of the favourites' star.", ""},
    {PlaceSkinView, "ShowStatusBar", ValueFlag, "1", "0 hides the status bar.", ""},
    {PlaceSkinView, "StatusBarFontFace", ValueText, "Arial", "The status bar's font.", ""},
    {PlaceSkinView, "StatusBarFontSize", ValueNumber, "12", "The status bar's font size, points.", ""},
    {PlaceSkinView, "StatusBarForeColor", ValueColour, "0x000000", "The status bar's text colour.", ""},
    {PlaceSkinView, "StatusBarBackColor", ValueColour, "0xFFFFFF", "The status bar's background.", ""},
    {PlaceSkinView, "StatusBarCategory", ValueFlag, "0", "1 names the selected game's category in the status bar.", ""},
    {PlaceSkinView, "StatusBarRating", ValueFlag, "0", "1 shows the selected game's rating from its game list in the status bar, out of 5.", ""},
    {PlaceSkinView, "StatusBarMusic", ValueFlag, "0", "1 shows the title of the music playing in the status bar.", ""},
    {PlaceSkinView, "StatusBarPlayers", ValueFlag, "0", "1 shows how many play the selected game in the status bar: at once, alternating.", ""},

    {PlaceSkinPlaces, "ListStartX", ValueNumber, "0", "The list's left edge (the image browser: the grid's).", ""},
    {PlaceSkinPlaces, "ListStartY", ValueNumber, "0", "The list's top edge.", ""},
    {PlaceSkinPlaces, "ListWidth", ValueNumber, "0", "The list's width (the image browser: a cell's).", ""},
    {PlaceSkinPlaces, "ListHeight", ValueNumber, "0", "The list's height (the image browser: a cell's).", ""},
    {PlaceSkinPlaces, "ListRows", ValueNumber, "0", "The image browser's rows.", ""},
    {PlaceSkinPlaces, "ListColumns", ValueNumber, "0", "The image browser's columns.", ""},
    {PlaceSkinPlaces, "MarqueeStartX", ValueNumber, "0", "The marquee's box: MarqueeStartX, MarqueeStartY, MarqueeWidth and MarqueeHeight.", ""},
    {PlaceSkinPlaces, "MarqueeStartY", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "MarqueeWidth", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "MarqueeHeight", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "ScreenshotStartX", ValueNumber, "0", "The screenshot's box, as the marquee's.", ""},
    {PlaceSkinPlaces, "ScreenshotStartY", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "ScreenshotWidth", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "ScreenshotHeight", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "FlyerStartX", ValueNumber, "0", "The flyer's box, as the marquee's.", ""},
    {PlaceSkinPlaces, "FlyerStartY", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "FlyerWidth", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "FlyerHeight", ValueNumber, "0", "", ""},
    {PlaceSkinPlaces, "PreviewSpacer", ValueNumber, "0", "The margin between an image browser cell's edge and its marquee.", ""},
    {PlaceSkinPlaces, "DesignWidth", ValueOwn, "", "With DesignHeight: the screen size this section's places are given for.", ""},
    {PlaceSkinPlaces, "DesignHeight", ValueOwn, "", "See DesignWidth.", ""},

    {PlaceSkinSounds, "Startup", ValueText, "", "A sound file in the skin's folder, played when the list first shows.", ""},
    {PlaceSkinSounds, "Shutdown", ValueText, "", "Played when the front end ends.", ""},
    {PlaceSkinSounds, "StartGame", ValueText, "", "Played when a game starts.", ""},
    {PlaceSkinSounds, "Error", ValueText, "", "Played when a game cannot start.", ""},
    {PlaceSkinSounds, "ChangeGame", ValueText, "", "Played when the selection moves.", ""},
    {PlaceSkinSounds, "NotAllowed", ValueText, "", "Played when a key does nothing because the cabinet is locked.", ""},

    {PlaceSkinPopup, "Fontface", ValueText, "the list's", "The pop-up's font.", ""},
    {PlaceSkinPopup, "Fontsize", ValueNumber, "MenuFontSize ([Menu]), Fontsize ([Message])", "Its font size, points.", ""},
    {PlaceSkinPopup, "Fontcolor", ValueColour, "the list's", "Its text colour.", ""},
    {PlaceSkinPopup, "Backgroundcolor", ValueColour, "the view's", "Its background.", ""},
    {PlaceSkinPopup, "TitleForecolor", ValueColour, "HighlightForecolor (black or white where it is about HighlightBackcolor)", "The text colour of its title band and of the menu's current row.", ""},
    {PlaceSkinPopup, "TitleBackcolor", ValueColour, "HighlightBackcolor", "Its frame, title band and the bar on the menu's current row.", ""},
};
// clang-format on

static std::vector<SettingKey> makeTable()
{
    std::vector<SettingKey> table;
    auto insertAt = std::find_if(std::begin(WrittenKeys), std::end(WrittenKeys),
                                 [](const SettingKey& key) { return key.Place == PlaceEmulator; });
    table.assign(std::begin(WrittenKeys), insertAt);
    for (int i = 0; i < KeyBindingCount; i++)
        table.push_back({PlaceKeymappings, KeyBindings[i].Name, ValueOwn, // a code or MouseN
                         KeyBindings[i].DefaultKey, "", ""});
    for (int i = 0; i < KeyBindingCount; i++)
        if (KeyBindings[i].DefaultJoystick)
            table.push_back({PlaceJoystickMappings, KeyBindings[i].Name, ValueNumber,
                             KeyBindings[i].DefaultJoystick, "", ""});
    table.insert(table.end(), insertAt, std::end(WrittenKeys));
    for (const NameCodeInfo& code : NameCodeTable)
    {
        std::string meaning = std::string("1 shows files whose names hold ") + code.Code;
        if (code.OtherCode) meaning += std::string(" or ") + code.OtherCode;
        table.push_back({PlaceNameCodes, code.Key, ValueFlag, "0", meaning + ".", ""});
    }
    return table;
}

const std::vector<SettingKey>& settingKeys()
{
    static const std::vector<SettingKey> table = makeTable();
    return table;
}

// Game1, Game2 ... stand for one entry of the table.
static std::string tableName(const std::string& key)
{
    std::string lower = asciiLowerCase(key);
    if (lower.size() > 4 && lower.compare(0, 4, "game") == 0 &&
        lower.find_first_not_of("0123456789", 4) == std::string::npos)
        return "game1";
    return lower;
}

static const SettingKey* findKey(const std::vector<KeyPlace>& places, const std::string& name)
{
    std::string wanted = tableName(name);
    for (const SettingKey& key : settingKeys())
        if (std::find(places.begin(), places.end(), key.Place) != places.end() &&
            asciiLowerCase(key.Name) == wanted)
            return &key;
    return nullptr;
}

// How many single-letter changes turn one name into the other; for suggesting the key meant.
static size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = j;
    for (size_t i = 1; i <= a.size(); i++)
    {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); j++)
        {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

static std::string unknownKeyText(const std::vector<KeyPlace>& places, const std::string& name)
{
    std::string best;
    size_t bestDistance = 3;
    for (const SettingKey& key : settingKeys())
    {
        if (std::find(places.begin(), places.end(), key.Place) == places.end()) continue;
        size_t distance = editDistance(asciiLowerCase(name), asciiLowerCase(key.Name));
        if (distance < bestDistance) best = key.Name, bestDistance = distance;
    }
    return "not a key of this section; it is not read" +
           (best.empty() ? std::string() : " (" + best + "?)");
}

static int isWholeNumber(const std::string& text)
{
    size_t start = text[0] == '-' || text[0] == '+';
    return text.size() > start && text.find_first_not_of("0123456789", start) == std::string::npos;
}

static int isColour(const std::string& text)
{
    size_t start = text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0 ? 2 : 0;
    return text.size() > start && text.size() - start <= 8 &&
           text.find_first_not_of("0123456789abcdefABCDEF", start) == std::string::npos;
}

static int isOneOf(const std::string& text, const std::string& words)
{
    for (const std::string& word : listItems(words))
        if (trimmedText(word) == text) return 1;
    return 0;
}

// Why a value is not what its key takes; empty when it is, or when it is empty (an empty
// value stands for the default or for none).
static std::string valueProblem(const SettingKey& key, const std::string& value)
{
    if (value.empty()) return "";
    char read[32];
    switch (key.Kind)
    {
    case ValueNumber:
        if (isWholeNumber(value)) return "";
        snprintf(read, sizeof read, "%lld", std::strtoll(value.c_str(), nullptr, 10));
        return std::string("not a whole number; read as ") + read;
    case ValueFlag:
        return value == "0" || value == "1" ? "" : "a flag is 0 or 1; anything but 0 counts as 1";
    case ValueColour:
        if (isColour(value)) return "";
        snprintf(read, sizeof read, "0x%06llX",
                 std::strtoll(value.c_str(), nullptr, 16) & 0xFFFFFFFFLL);
        return std::string("not a colour 0xBBGGRR; read as ") + read;
    case ValueWord:
        return isOneOf(value, key.Words) ? "" : "one of " + key.Words + "; read as " + key.Default;
    default:
        return "";
    }
}

// The places a section's keys are looked up in; empty for a section that is not read.
using SectionPlaces = std::function<std::vector<KeyPlace>(const std::string& section)>;

struct KeyCheck
{
    const std::string& File;
    std::vector<std::string> Lines;
};

static void complain(KeyCheck& check, const IniFileEntry& entry, const std::string& why)
{
    check.Lines.push_back(check.File + ":" + std::to_string(entry.Line) + ": [" + entry.Section +
                          "] " + entry.Key + "=" + entry.Value + ": " + why);
}

static void checkEntry(KeyCheck& check, const IniFileEntry& entry,
                       const std::vector<KeyPlace>& places)
{
    const SettingKey* key = findKey(places, entry.Key);
    if (!key)
    {
        const SettingKey* mameKey = findKey({PlaceMameEmulator}, entry.Key);
        if (mameKey && std::find(places.begin(), places.end(), PlaceEmulator) != places.end())
            complain(check, entry, "read only in a MAME emulator's section");
        else
            complain(check, entry, unknownKeyText(places, entry.Key));
        return;
    }
    std::string problem = valueProblem(*key, entry.Value);
    if (!problem.empty()) complain(check, entry, problem);
}

static std::vector<std::string> checkKeys(const std::string& file, const SectionPlaces& placesOf)
{
    KeyCheck check = {file, {}};
    std::vector<IniFileEntry> entries;
    if (!iniListEntries(file, entries)) return {};
    std::set<std::string> seen, toldSections;
    for (const IniFileEntry& entry : entries)
    {
        std::vector<KeyPlace> places = placesOf(std::string(trimmedText(entry.Section)));
        if (places.empty()) continue;
        std::string section = asciiLowerCase(trimmedText(entry.Section));
        if (entry.InRepeatedSection)
        {
            if (toldSections.insert(section).second)
                complain(check, entry, "the section is given again: only the first is read");
            continue;
        }
        if (!seen.insert(section + "]" + asciiLowerCase(entry.Key)).second)
            complain(check, entry, "the key is given again: only the first is read");
        else
            checkEntry(check, entry, places);
    }
    return check.Lines;
}

static std::vector<KeyPlace> configurationPlaces(const std::vector<std::string>& emulators,
                                                 const std::string& section)
{
    std::string name = asciiLowerCase(section);
    if (name == "settings") return {PlaceSettings};
    if (name == "system") return {PlaceSystem};
    if (name == "events") return {PlaceEvents};
    if (name == "keymappings") return {PlaceKeymappings};
    if (name == "joystickmappings") return {PlaceJoystickMappings};
    for (const std::string& emulator : emulators)
    {
        if (asciiLowerCase(trimmedText(emulator)) != name) continue;
        if (name.compare(0, 4, "mame") == 0)
            return {PlaceEmulator, PlaceMameEmulator, PlaceNameCodes};
        return {PlaceEmulator, PlaceNameCodes};
    }
    return {};
}

std::vector<std::string> checkConfigurationKeys(const std::string& file)
{
    std::vector<std::string> emulators =
        listItems(iniReadString("Settings", "Emulators", "", file));
    return checkKeys(file, [&emulators](const std::string& section)
                     { return configurationPlaces(emulators, section); });
}

static std::vector<KeyPlace> skinPlaces(const std::string& section)
{
    std::string name = asciiLowerCase(section);
    if (name == "settings") return {PlaceSkinSettings};
    if (name == "list" || name == "image") return {PlaceSkinView, PlaceSkinPlaces};
    if (name == "listportrait" || name == "imageportrait") return {PlaceSkinPlaces};
    if (name == "sounds") return {PlaceSkinSounds};
    if (name == "menu" || name == "message") return {PlaceSkinPopup};
    return {};
}

std::vector<std::string> checkSkinKeys(const std::string& file)
{
    return checkKeys(file, skinPlaces);
}

static void tell(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) fprintf(stderr, "%s\n", line.c_str());
}

void tellMistypedConfigurationKeys(const std::string& file)
{
    tell(checkConfigurationKeys(file));
}

void tellMistypedSkinKeys(const std::string& file)
{
    static std::set<std::string> told;
    if (told.insert(file).second) tell(checkSkinKeys(file));
}

// Text as roff prints it: a backslash is escaped, and a line may not start as a request.
static std::string roff(const std::string& text)
{
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\e") : std::string(1, c);
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

static std::string kindText(const SettingKey& key)
{
    std::string text = key.Kind == ValueNumber   ? "A number"
                       : key.Kind == ValueFlag   ? "0 or 1"
                       : key.Kind == ValueColour ? "A colour 0xBBGGRR"
                       : key.Kind == ValueWord   ? key.Words
                                                 : "";
    if (key.Default.empty()) return text.empty() ? "" : text + ". ";
    return (text.empty() ? "Default " : text + "; default ") + key.Default + ". ";
}

static std::string keyEntries(KeyPlace place)
{
    std::string page;
    for (const SettingKey& key : settingKeys())
    {
        if (key.Place != place) continue;
        page += ".TP\n.B " + roff(key.Name) + "\n";
        std::string text = kindText(key) + key.Meaning;
        page += roff(text.empty() ? "As the key above." : text) + "\n";
    }
    return page;
}

static std::string bindingTable()
{
    std::string page = ".TS\nl l l.\nKey\t[Keymappings]\t[JoystickMappings]\n";
    for (int i = 0; i < KeyBindingCount; i++)
        page += std::string(KeyBindings[i].Name) + "\t" + KeyBindings[i].DefaultKey + "\t" +
                (KeyBindings[i].DefaultJoystick ? KeyBindings[i].DefaultJoystick : "") + "\n";
    return page + ".TE\n";
}

static std::string nameCodeTable()
{
    std::string page = ".TS\nl l.\n";
    for (const NameCodeInfo& code : NameCodeTable)
        page += roff(std::string(code.Key) + "\t" + code.Code +
                     (code.OtherCode ? std::string(" or ") + code.OtherCode : "")) +
                "\n";
    return page + ".TE\n";
}

static const char ManualStart[] = R"('\" t
.TH TORVANELL.INI 5 "December 2026" "Torvanell 1.00" "File Formats"
.SH NAME
torvanell.ini, skin.ini \- the configuration and skin files of Torvanell
.SH DESCRIPTION
.B torvanell
reads its configuration file (see
.BR torvanell (6))
and the file
.I skin.ini
in the folder of the skin shown.
Both are INI files: a section starts with its name in brackets, and each line
.IB key = value
gives one key.
Section and key names are read without regard to case or to the blanks around them; only the
first section of a name is read, and only the first key of a name in it.
One pair of quotes around a value is removed.
A line that starts with
.B ;
or
.B #
is a comment.
At the end Torvanell writes back what the player can change and keeps every other line.
.PP
At start Torvanell names on standard error, with the file and the line, every key it does not
read in a section it reads, a number that is text, a flag other than 0 or 1, a colour that is
not hexadecimal, a word it does not know, a key or section given twice, and a MAME key in
another emulator's section.
Each keeps the meaning given here.
Paths are relative to the folder Torvanell is started in; a skin's sounds to the skin's folder.
.SH THE CONFIGURATION FILE
.SS [Settings]
)";

static const char ManualEnd[] = R"(.SH SEE ALSO
.BR torvanell (6),
.BR mame (6)
)";

std::string keysManualPage()
{
    std::string page = ManualStart + keyEntries(PlaceSettings);
    page += ".SS [System]\n" + keyEntries(PlaceSystem);
    page += ".SS [Events]\n"
            "Command lines written as an emulator's, started without a shell and never waited "
            "for; each is ended after 10 seconds, or when the same event comes again.\n" +
            keyEntries(PlaceEvents);
    page +=
        ".SS [Keymappings] and [JoystickMappings]\n"
        "The key code (a Windows virtual-key code: 38 the up arrow, 49 the digit 1, 65 the "
        "letter A; the mouse's first buttons are 1 left, 4 middle, 2 right, 5 and 6 the side "
        "buttons, and Mouse1 to Mouse16 name its buttons as SDL counts them, 6 on after the "
        "sides) and the stick or pad input (1, 2, 4, 8: right, left, down, up; 16, 32, 64, 128, "
        "256 ...: buttons 1, 2, 3, 4, 5 ...) of each action; 0 none. The defaults:\n" +
        bindingTable();
    page += ".SS Each emulator's section\n"
            "Named as in Emulators.\n" +
            keyEntries(PlaceEmulator);
    page += ".SS A MAME emulator's section\n"
            "Besides the keys above, the filters of the options menu, written back at exit:\n" +
            keyEntries(PlaceMameEmulator);
    page += ".SS Name codes\n"
            "With UseGoodFilters=1, a key per code in the ROM files' names, 0 or 1, default 0: "
            "1 shows the files whose names hold the code.\n" +
            nameCodeTable();
    page += ".SH THE SKIN FILE\n.SS [Settings]\n" + keyEntries(PlaceSkinSettings);
    page += ".SS [List] and [Image]\n"
            "The list view's and the image browser's look and places.\n" +
            keyEntries(PlaceSkinView) + keyEntries(PlaceSkinPlaces);
    page += ".SS [ListPortrait] and [ImagePortrait]\n"
            "On a screen taller than wide, each place key given here replaces the view's own.\n";
    page += ".SS [Sounds]\n" + keyEntries(PlaceSkinSounds);
    page += ".SS [Menu] and [Message]\n"
            "The look of the options menu and the game information ([Menu]), and of the "
            "message boxes ([Message]).\n" +
            keyEntries(PlaceSkinPopup);
    return page + ManualEnd;
}
