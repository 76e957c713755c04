// The front-end settings: behaviour switches, skin, launch timing, view mode, screensaver,
// key and joystick bindings and the game selected at the last exit. Read once at start-up,
// written back at exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The [Keymappings] keys, in the order of the file; all but the four without a joystick
// default (ConfigControls to ChangeEmu) are also [JoystickMappings] keys.
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
    KeySelectLetterUp,
    KeySelectLetterDown,
    KeyP2SelectLetterUp,
    KeyP2SelectLetterDown,
    KeyToggleFavourite,
    KeySearch,
    KeyRandomGame,
    KeyNextTrack,
    KeyBindingCount
};

struct KeyBindingInfo
{
    const char* Name;            // the key in [Keymappings] and [JoystickMappings]
    const char* DefaultKey;      // virtual-key code, as text
    const char* DefaultJoystick; // joystick input code; null for keys without one (never read)
};
extern const KeyBindingInfo KeyBindings[KeyBindingCount];

// The configuration file names these by words ("ImageBrowser", "Flyers", "Marquees").
enum ViewMode
{
    ViewList = 1,
    ViewImageBrowser = 2,
};
enum PreviewKind // the preview pictures the player prefers; the options menu offers the choice
{
    PreviewScreenshots = 1,
    PreviewFlyers = 2,
};
enum GameOrder // the order of the list; games that tie keep the order of their descriptions
{
    OrderByDescription,
    OrderByMostPlayed, // the most plays first
    OrderByLastPlayed, // the latest play first; games never played after the others
};
enum ScreenSaverKind // what the screensaver shows over the whole screen
{
    SaverFlyers = 0,
    SaverMarquees = 1,
    SaverScreenshots = 2,
    SaverVideos = 3, // the games' videos, one after another
    SaverPlay = 4,   // games that play themselves, one after another; screenshots once they fail
};

// What the cabinet's own programs (lights, a marquee player) are told of, by a command line of
// the [Events] section.
enum CabinetEvent
{
    EventStartup,
    EventQuit,
    EventGameStart,
    EventGameEnd,
    EventSelectionChanged, // after the selection has rested
    EventScreenSaverStart,
    EventScreenSaverEnd,
    EventCount
};
// The events' key names in [Events], in the order above.
extern const char* const EventNames[EventCount];

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
    ViewMode MenuType;
    PreviewKind PreviewPictures;
    uint32_t PreviewBackgroundcolor;
    int ScreenSaverStartInterval;
    int ScreenSaverChangeInterval;
    ScreenSaverKind ScreenSaverType;
    int ScreenSaverStretch;      // the screensaver's pictures fill the screen, whatever their shape
    int Rotation;                // degrees the picture is turned clockwise: 0, 90, 180 or 270
    int ExitGameHoldSeconds;     // Exit held this long ends a running game; 0 never
    int ReleaseScreenDuringGame; // the front end's window is given up while a game runs
    GameOrder SortGamesBy;
    int VideoDelay;  // milliseconds the selection rests before its video plays; 0 no videos
    int VideoSound;  // a video's sound is played
    int VideoVolume; // its volume, 0 to 100
    // The control types the cabinet has, comma-separated as the owner wrote them ("joy,
    // only_buttons"); empty: every game may be shown, whatever it needs.
    std::string CabinetControls;
    std::string HistoryFile; // the machines' stories (history.xml or history.dat); empty: none
    std::string CommandFile; // their controls and moves (command.dat); empty: none
    int ShowHiddenGames;     // the games a game list marks hidden are shown
    // The operator's lock: while set, the menu, the set-up, leaving and powering off do nothing
    // and mature games are hidden. The sequence of action names that switches it, and the
    // actions it lets through, as the owner wrote them (comma lists; empty: none).
    int Locked;
    std::string LockSequence;
    std::string LockAllows;
    int AttractPlaySeconds;   // how long a game of the Play screensaver plays
    int GameTimeLimitMinutes; // a game is ended after this long; 0 never
    std::string MusicFolder;  // the music played between games; empty: none
    int MusicVolume;          // 0 to 100
    int MarqueeDisplay;       // the display of the marquee screen, counted from 0; -1 none
    int MarqueeRotation;      // degrees its picture is turned clockwise: 0, 90, 180 or 270
    // A trackball's or spinner's motion: pixels of it per row (up and down) and per page
    // (sideways); 0 does not move.
    int TrackballRowPixels;
    int SpinnerPagePixels;
    int ControlSocket;                     // programs of the same user may talk to the front end
    std::string EventCommands[EventCount]; // command-line templates; empty: none
    int Keys[KeyBindingCount];
    int Joystick[KeyBindingCount]; // a P2 binding is read from player 2's stick
    std::string SelectedGame;
};

// Filled by loadFrontendSettings at start-up; ConfigFile is set before that from the command
// line. Lives until the program ends.
extern FrontendSettingsRecord FrontendSettings;

// Reads every setting from FrontendSettings.ConfigFile; the skin they name is the caller's to
// load (loadSkin).
void loadFrontendSettings();
// Whether the front end's window is the display device itself (the console), which makes
// giving the screen up while a game runs the default. Set by the program with a screen before
// the settings are read; 0 for one without.
extern int WindowOwnsDisplayDevice;
// Writes what the running front end can change into the configuration file, and the game the
// list is on (none: the one named before stays named).
void writeFrontendSettings(const std::optional<std::string>& selectedGame);
// A key binding's code as the configuration file holds it: the decimal number, or the name of
// a mouse button past the fifth ("Mouse6" to "Mouse16"), which the file may also use for the
// first five.
std::string keyCodeText(int code);
// Writes Locked as it is now, at once (the file is replaced whole, never half written): a lock
// switched at the cabinet must hold after a power cut. 0, told, when it cannot be written.
int saveLockSetting();
