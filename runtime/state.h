// The run-time state every part of the front end reads (the main window, the selection, the
// shown emulator, focus and joystick), and the "Error" box the player sees.
#pragma once

#include <cstdint>
#include <string>

struct Window;
struct Surface;

// How far the three-key power-off sequence has come.
enum PowerOffStage
{
    PowerOffIdle,    // no key of it yet, or the sequence was broken off
    PowerOffStarted, // Shutdown1 pressed
    PowerOffArmed,   // then Shutdown2: the next StartGame powers the machine off
};

// What CurrentEmulator holds when no single emulator is shown.
enum ShownGames
{
    AllEmulators = -1,   // the games of every emulator included in "All"
    FavouriteGames = -2, // the favourite games of every emulator ("Favourites")
};
const char* const AllEmulatorsName = "All";
const char* const FavouriteGamesName = "Favourites";

struct FrontendStateRecord
{
    Window* MainWindow;
    int CurrentGame;     // index into VisibleGames
    int CurrentEmulator; // index into EmulatorTable, AllEmulators or FavouriteGames
    int ScreenSaverActive;
    int ErrorsShown; // "Error" boxes shown since the start
    PowerOffStage ShutdownStage;
    int WindowHasFocus;
    Surface* WindowSurface; // what the main window shows: the back buffer
    Surface* BackBuffer;    // the client-sized back buffer the main screen is drawn into
    uint32_t JoystickXMin, JoystickXMax, JoystickYMin, JoystickYMax;
};

// Every field starts at 0; the entry point fills it.
extern FrontendStateRecord FrontendState;

// The modal "Error" box the player sees, owned by the main window once it exists.
void showError(const std::string& text);
