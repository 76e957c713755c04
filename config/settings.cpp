// The front-end settings: read once from the configuration file at start-up, and the few the
// running front end can change written back at exit.
#include "config/settings.h"

#include "base/text.h"
#include "config/ini.h"
#include "platform/files.h"
#include "platform/input.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

FrontendSettingsRecord FrontendSettings;

const char* const EventNames[EventCount] = {
    "Startup",          "Quit",          "GameStart", "GameEnd", "SelectionChanged",
    "ScreenSaverStart", "ScreenSaverEnd"};

// clang-format off
const KeyBindingInfo KeyBindings[KeyBindingCount] = {
    {"SelectUp",           "38", "8"},
    {"SelectDown",         "40", "4"},
    {"SelectPageUp",       "37", "2"},
    {"SelectPageDown",     "39", "1"},
    {"StartGame",          "49", "16"},
    {"ShowMenu",           "50", "32"},
    {"Exit",               "27", "128"},
    {"GameInfo",           "17", "64"},
    {"ConfigControls",     "51", nullptr},
    {"Shutdown1",          "51", nullptr}, // the same digit as ConfigControls
    {"Shutdown2",          "52", nullptr},
    {"ChangeEmu",          "53", nullptr},
    {"P2SelectUp",         "82", "8"},
    {"P2SelectDown",       "70", "4"},
    {"P2SelectPageUp",     "68", "2"},
    {"P2SelectPageDown",   "71", "1"},
    {"P2StartGame",        "65", "16"},
    {"P2ShowMenu",         "83", "32"},
    {"P2Exit",             "87", "128"},
    {"P2GameInfo",         "81", "64"},
    // Buttons 5 and 6, and the keys an arcade encoder commonly gives each player's 5 and 6.
    {"SelectLetterUp",     "90", "256"},
    {"SelectLetterDown",   "88", "512"},
    {"P2SelectLetterUp",   "73", "256"},
    {"P2SelectLetterDown", "75", "512"},
    // Button 7, and the key an arcade encoder commonly gives player 1's seventh button.
    {"ToggleFavourite",    "67", "1024"},
    // Player 1's button 8 (V on those encoders) and button 9, N: no other default uses them.
    {"Search",             "86", "2048"},
    {"RandomGame",         "78", "4096"},
    // M for music; no stick button by default, since every one may be a game's.
    {"NextTrack",          "77", "0"},
};
// clang-format on

static void loadBehaviour(const std::string& file)
{
    FrontendSettings.AllowMenu = iniReadBool("Settings", "AllowMenu", 1, file);
    FrontendSettings.UseJoystick = iniReadBool("Settings", "UseJoystick", 1, file);
    FrontendSettings.UseMameInfoDat = iniReadBool("Settings", "UseMameInfoDat", 0, file);
    FrontendSettings.ShowHiddenGames = iniReadBool("Settings", "ShowHiddenGames", 0, file);
    FrontendSettings.ScrollBorderPct = iniReadNumber("Settings", "ScrollBorderPct", 20, file);
    FrontendSettings.MameinfoDat =
        iniReadString("Settings", "Mameinfo.dat", "./mameinfo.dat", file);
    FrontendSettings.SkinDir = iniReadString("Settings", "Skin.dir", "skins", file);
    FrontendSettings.SkinName = iniReadString("Settings", "Skin", "DefaultSkin", file);
    FrontendSettings.SendKeys = iniReadBool("Settings", "SendKeys", 0, file);
    FrontendSettings.SendKeyWait = iniReadInt("Settings", "SendKeyWait", "6", file);
    FrontendSettings.SendKeyInterval = iniReadInt("Settings", "SendKeyInterval", "500", file);
    FrontendSettings.DebugCmdLine = iniReadOptionalString("Settings", "DebugCmdLine", file);
    FrontendSettings.CabinetControls = iniReadString("Settings", "CabinetControls", "", file);
    FrontendSettings.HistoryFile = iniReadString("Settings", "HistoryFile", "", file);
    FrontendSettings.CommandFile = iniReadString("Settings", "CommandFile", "", file);
}

static void loadView(const std::string& file)
{
    std::string menuType = iniReadString("Settings", "MenuType", "ListView", file);
    FrontendSettings.MenuType = menuType == "ImageBrowser" ? ViewImageBrowser : ViewList;
    std::string preview = iniReadString("Settings", "PreviewPictures", "Screenshots", file);
    FrontendSettings.PreviewPictures = preview == "Flyers" ? PreviewFlyers : PreviewScreenshots;
    FrontendSettings.PreviewBackgroundcolor =
        iniReadColor("Settings", "PreviewBackgroundcolor", "0xFFFFFF", file);
    FrontendSettings.ScreenSaverStartInterval =
        iniReadInt("Settings", "ScreenSaverStartInterval", "60", file);
    FrontendSettings.ScreenSaverChangeInterval =
        iniReadInt("Settings", "ScreenSaverChangeInterval", "20", file);
    std::string saver = iniReadString("Settings", "ScreenSaverType", "Flyers", file);
    FrontendSettings.ScreenSaverType = saver == "Marquees"      ? SaverMarquees
                                       : saver == "Screenshots" ? SaverScreenshots
                                       : saver == "Videos"      ? SaverVideos
                                       : saver == "Play"        ? SaverPlay
                                                                : SaverFlyers;
    FrontendSettings.ScreenSaverStretch = iniReadBool("Settings", "ScreenSaverStretch", 0, file);
}

// A whole number from low to high; anything else is told and gives the default.
static int readRange(const char* key, int low, int high, int fallback, const std::string& file)
{
    std::string text = iniReadString("Settings", key, std::to_string(fallback).c_str(), file);
    bool digits = !text.empty() && text.size() < 10 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    int value = digits ? std::stoi(text) : -1;
    if (value >= low && value <= high) return value;
    fprintf(stderr, "%s [Settings] %s=%s: a whole number from %d to %d; %d is used\n", file.c_str(),
            key, text.c_str(), low, high, fallback);
    return fallback;
}

static void loadVideoSettings(const std::string& file)
{
    FrontendSettings.VideoDelay = readRange("VideoDelay", 0, 3600000, 600, file);
    FrontendSettings.VideoSound = readRange("VideoSound", 0, 1, 0, file);
    FrontendSettings.VideoVolume = readRange("VideoVolume", 0, 100, 50, file);
}

// A lock is what an owner set to keep players out: any value but a plain 0 locks, and one that
// is neither 0 nor 1 is told rather than taken for "unlocked".
static int readLock(const std::string& file)
{
    std::string text = iniReadString("Settings", "Locked", "0", file);
    if (text == "0" || text == "1") return text == "1";
    fprintf(stderr, "%s [Settings] Locked=%s: 0 or 1; the cabinet is locked\n", file.c_str(),
            text.c_str());
    return 1;
}

// A demo of 0 seconds would start games back to back; a time limit of a year is none at all.
static void loadOperatorSettings(const std::string& file)
{
    FrontendSettings.Locked = readLock(file);
    FrontendSettings.LockSequence = iniReadString("Settings", "LockSequence", "", file);
    FrontendSettings.LockAllows = iniReadString("Settings", "LockAllows", "", file);
    FrontendSettings.AttractPlaySeconds = readRange("AttractPlaySeconds", 1, 86400, 60, file);
    FrontendSettings.GameTimeLimitMinutes = readRange("GameTimeLimitMinutes", 0, 525600, 0, file);
    FrontendSettings.MusicFolder = iniReadString("Settings", "MusicFolder", "", file);
    FrontendSettings.MusicVolume = readRange("MusicVolume", 0, 100, 60, file);
}

// A vertical or cocktail cabinet turns its monitor; on a console nobody else can turn the
// picture. Any other angle would leave the picture unreadable: it is upright instead.
static int readDegrees(const char* key, const std::string& file)
{
    std::string text = iniReadString("Settings", key, "0", file);
    int degrees = 0;
    for (int turn : {0, 90, 180, 270})
        if (text == std::to_string(turn)) degrees = turn;
    if (degrees == 0 && text != "0")
    {
        fprintf(stderr,
                "%s [Settings] %s=%s: only 0, 90, 180 or 270 turn the picture; it "
                "is not turned\n",
                file.c_str(), key, text.c_str());
    }
    return degrees;
}

// The marquee's display is asked of the system only once the screen runs.
static void loadCabinetSettings(const std::string& file)
{
    FrontendSettings.MarqueeDisplay = -1;
    if (!iniReadString("Settings", "MarqueeDisplay", "", file).empty())
        FrontendSettings.MarqueeDisplay = readRange("MarqueeDisplay", 0, 63, -1, file);
    FrontendSettings.MarqueeRotation = readDegrees("MarqueeRotation", file);
    FrontendSettings.ControlSocket = readRange("ControlSocket", 0, 1, 0, file);
    FrontendSettings.TrackballRowPixels = readRange("TrackballRowPixels", 0, 100000, 40, file);
    FrontendSettings.SpinnerPagePixels = readRange("SpinnerPagePixels", 0, 100000, 0, file);
    for (int event = 0; event < EventCount; event++)
        FrontendSettings.EventCommands[event] =
            iniReadString("Events", EventNames[event], "", file);
}

int WindowOwnsDisplayDevice;

// On the console the emulator can only draw once the front end lets go of the display device;
// on a display server both windows can live side by side.
static void loadReleaseScreen(const std::string& file)
{
    std::string text = iniReadString("Settings", "ReleaseScreenDuringGame", "", file);
    int release = WindowOwnsDisplayDevice;
    if (text == "0" || text == "1")
        release = text == "1";
    else if (!text.empty())
        fprintf(stderr, "%s [Settings] ReleaseScreenDuringGame=%s: 0 or 1; %d is used\n",
                file.c_str(), text.c_str(), release);
    FrontendSettings.ReleaseScreenDuringGame = release;
}

// A hung game is left by holding Exit; a value that is no whole number of seconds must not
// switch that off unnoticed.
static void loadExitHold(const std::string& file)
{
    std::string text = iniReadString("Settings", "ExitGameHoldSeconds", "3", file);
    bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits)
    {
        fprintf(stderr,
                "%s [Settings] ExitGameHoldSeconds=%s: not a whole number of seconds; 3 is used\n",
                file.c_str(), text.c_str());
        text = "3";
    }
    // Nobody holds a button for years: a longer hold is as good as none.
    FrontendSettings.ExitGameHoldSeconds =
        (int)std::min(std::strtoll(text.c_str(), nullptr, 10), 999999999LL);
}

static const char* const GameOrderNames[] = {"Description", "MostPlayed", "LastPlayed"};

static void loadGameOrder(const std::string& file)
{
    std::string text = iniReadString("Settings", "SortGamesBy", "Description", file);
    FrontendSettings.SortGamesBy = OrderByDescription;
    for (int order : {OrderByDescription, OrderByMostPlayed, OrderByLastPlayed})
        if (text == GameOrderNames[order]) FrontendSettings.SortGamesBy = (GameOrder)order;
    if (FrontendSettings.SortGamesBy == OrderByDescription && text != "Description")
        fprintf(stderr,
                "%s [Settings] SortGamesBy=%s: Description, MostPlayed or LastPlayed; the "
                "list is sorted by description\n",
                file.c_str(), text.c_str());
}

// The mouse's buttons past the first five have no Windows code: they are written by name.
static int startsWithMouse(const std::string& text)
{
    return startsIgnoringCase(text, "mouse");
}

static int mouseButtonNamed(const std::string& text)
{
    if (text.size() < 6 || text.size() > 7 || !startsWithMouse(text) ||
        text.find_first_not_of("0123456789", 5) != std::string::npos)
        return 0;
    return mouseButtonCode(std::stoi(text.substr(5)));
}

std::string keyCodeText(int code)
{
    for (int button = 6; button <= MouseButtonCount; button++)
        if (mouseButtonCode(button) == code) return "Mouse" + std::to_string(button);
    return std::to_string(code);
}

static int readKeyCode(const KeyBindingInfo& binding, const std::string& file)
{
    std::string text = iniReadString("Keymappings", binding.Name, binding.DefaultKey, file);
    int button = mouseButtonNamed(text);
    if (button) return button;
    if (startsWithMouse(text))
        fprintf(stderr, "%s [Keymappings] %s=%s: Mouse1 to Mouse%d; never active\n", file.c_str(),
                binding.Name, text.c_str(), MouseButtonCount);
    return iniDecimalOf(text);
}

static void loadBindings(const std::string& file)
{
    for (int i = 0; i < KeyBindingCount; i++)
        FrontendSettings.Keys[i] = readKeyCode(KeyBindings[i], file);
    for (int i = 0; i < KeyBindingCount; i++)
        FrontendSettings.Joystick[i] = KeyBindings[i].DefaultJoystick
                                           ? iniReadInt("JoystickMappings", KeyBindings[i].Name,
                                                        KeyBindings[i].DefaultJoystick, file)
                                           : 0;
}

// The player sees "No games found!" when the configuration is missing or unreadable; the
// technician needs to know which file was looked for.
static void reportConfigFile(const std::string& file)
{
    std::string text;
    if (!platformFileExists(file))
        fprintf(stderr, "Configuration file not found: [%s]; the defaults are used\n",
                file.c_str());
    else if (!platformReadFile(file, text))
        fprintf(stderr, "Configuration file cannot be read: [%s]; the defaults are used\n",
                file.c_str());
}

void loadFrontendSettings()
{
    const std::string& file = FrontendSettings.ConfigFile;
    reportConfigFile(file);
    platformRemoveTemporaries(file);
    loadBehaviour(file);
    loadView(file);
    FrontendSettings.Rotation = readDegrees("Rotation", file);
    loadCabinetSettings(file);
    loadExitHold(file);
    loadReleaseScreen(file);
    loadGameOrder(file);
    loadVideoSettings(file);
    loadOperatorSettings(file);
    loadBindings(file);
    FrontendSettings.SelectedGame = iniReadString("System", "SelectedGame", "0", file);
}

int saveLockSetting()
{
    const std::string& file = FrontendSettings.ConfigFile;
    if (iniWriteString("Settings", "Locked", FrontendSettings.Locked ? "1" : "0", file)) return 1;
    fprintf(stderr, "The lock could not be saved in %s: it holds until the front end stops\n",
            file.c_str());
    return 0;
}

void writeFrontendSettings(const std::optional<std::string>& selectedGame)
{
    const std::string& file = FrontendSettings.ConfigFile;
    iniWriteString("Settings", "MenuType",
                   FrontendSettings.MenuType == ViewImageBrowser ? "ImageBrowser" : "ListView",
                   file);
    iniWriteString("Settings", "PreviewPictures",
                   FrontendSettings.PreviewPictures == PreviewFlyers ? "Flyers" : "ScreenShots",
                   file);
    // A name with a line break (a ROM file may be named so) cannot stand in the file as it is.
    if (selectedGame)
        iniWriteString("System", "SelectedGame",
                       selectedGame->find_first_of("\r\n") == std::string::npos
                           ? *selectedGame
                           : escapeLineText(*selectedGame),
                       file);
    iniWriteInt("Settings", "SendKeys", FrontendSettings.SendKeys, file);
    iniWriteInt("Settings", "SendKeyWait", FrontendSettings.SendKeyWait, file);
    iniWriteInt("Settings", "SendKeyInterval", FrontendSettings.SendKeyInterval, file);
    iniWriteString("Settings", "Skin", FrontendSettings.SkinName, file);
    if (FrontendSettings.ShowHiddenGames ||
        iniReadOptionalString("Settings", "ShowHiddenGames", file))
        iniWriteInt("Settings", "ShowHiddenGames", FrontendSettings.ShowHiddenGames, file);
    // A file that never chose an order is left without the key.
    if (FrontendSettings.SortGamesBy != OrderByDescription ||
        iniReadOptionalString("Settings", "SortGamesBy", file))
        iniWriteString("Settings", "SortGamesBy", GameOrderNames[FrontendSettings.SortGamesBy],
                       file);
}
