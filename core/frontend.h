// The program's spine: start-up, the catalogue loading sequence, the 100 ms main loop and
// shutdown, with the run-time state every subsystem reads.
#pragma once

#include <cstdint>
#include <string>

struct Window;
struct Surface;

struct FrontendStateRecord
{
    Window* MainWindow;
    int CurrentGame;     // index into VisibleGames
    int CurrentEmulator; // index into EmulatorTable; -1 for all emulators ("All")
    int ScreenSaverActive;
    int ShutdownStage; // 0, 1 or 2 keys of the power-off sequence entered
    int WindowHasFocus;
    Surface* WindowDC;     // the main window's own surface
    Surface* BackBufferDC; // the client-sized back buffer the main screen is drawn into
    int JoystickPresent;
    uint32_t JoystickXMin, JoystickXMax, JoystickYMin, JoystickYMax;
};

// Every field starts at 0; the entry point fills it.
extern FrontendStateRecord FrontendState;

// What the main loop runs every 100 ms: processTick. Tests put a tick of their own here.
extern void (*MainLoopTick)(Window* mainWindow);

const char* const ProgramTitle = "Torvanell v1.00";

// The whole program: commandLine is the configuration path (empty: ./torvanell.ini), taken
// whole. Answers the exit code: 1 when the window cannot be made or loading fails, -1
// without a high-resolution counter, else the quit message's code.
int runFrontend(const std::string& commandLine);
// Starts the window system and creates the main window, hidden; 0 after telling the user.
int createMainWindow();
// Builds the catalogue; 1, or 0 after telling the user why.
int loadCatalogue();
// Answers the quit message's code, or -1 when there is no high-resolution counter.
int runMainLoop();
void releaseResources();
void hideCursor();
void showCursor();
// The modal "Error" box the player sees, owned by the main window once it exists.
void showError(const std::string& text);
// Index in VisibleGames of the first game whose Name equals name exactly; -1 when none.
int findGameByName(const std::string& name);
