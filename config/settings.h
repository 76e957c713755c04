// The front-end settings: behaviour switches, skin, launch timing, view mode, screensaver,
// key and joystick bindings and the game selected at the last exit. Read once at start-up,
// written back at exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The [Keymappings] keys, in the order of the file; the first eight are also the
// [JoystickMappings] keys.
enum KeyBinding
{
    KeySelectUp,
    KeySelectDown,
    KeySelectPageUp,
    KeySelectPageDown,
    KeyStartGame,
    KeyShowMenu,
    KeyExit,
    KeyGameInfo,
    KeyConfigControls,
    KeyShutdown1,
    KeyShutdown2,
    KeyChangeEmu,
    KeyP2SelectUp,
    KeyP2SelectDown,
    KeyP2SelectPageUp,
    KeyP2SelectPageDown,
    KeyP2StartGame,
    KeyP2ShowMenu,
    KeyP2Exit,
    KeyP2GameInfo,
    KeyBindingCount
};
const int JoystickBindingCount = 8;

struct KeyBindingInfo
{
    const char* Name;            // the key in [Keymappings] and [JoystickMappings]
    const char* DefaultKey;      // virtual-key code, as text
    const char* DefaultJoystick; // joystick input code; null for keys without one
};
extern const KeyBindingInfo KeyBindings[KeyBindingCount];

struct FrontendSettingsRecord
{
    std::string ConfigFile;
    int AllowMenu;
    int UseJoystick;
    int UseMameInfoDat;
    int ScrollBorderPct;
    std::string MameinfoDat;
    std::string SkinDir;
    std::string SkinName;
    int SendKeys;
    int SendKeyWait;
    int SendKeyInterval;
    std::optional<std::string> DebugCmdLine;
    int MenuType;        // 1 list view, 2 image browser
    int PreviewPictures; // 1 screenshots, 2 flyers
    uint32_t PreviewBackgroundcolor;
    int ScreenSaverStartInterval;
    int ScreenSaverChangeInterval;
    int ScreenSaverType; // 0 flyers, 1 marquees, 2 screenshots
    int Keys[KeyBindingCount];
    int Joystick[JoystickBindingCount];
    std::string SelectedGame;
};

// Filled by loadFrontendSettings at start-up; ConfigFile is set before that from the command
// line. Lives until the program ends.
extern FrontendSettingsRecord FrontendSettings;

// Reads every setting from FrontendSettings.ConfigFile, then loads the skin.
void loadFrontendSettings();
// Writes what the running front end can change into the configuration file, and the game the
// list is on (none: the one named before stays named).
void writeFrontendSettings(const std::optional<std::string>& selectedGame);
