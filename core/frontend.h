// The program's spine: start-up, the catalogue loading sequence, the 100 ms main loop and
// shutdown.
#pragma once

#include <string>

struct Window;

// What the main loop runs every 100 ms: processTick. Tests put a tick of their own here.
extern void (*MainLoopTick)(Window* mainWindow);

const char* const ProgramTitle = "Torvanell v1.00";

// The whole program: commandLine is the configuration path (empty: ./torvanell.ini), taken
// whole. Answers the exit code: 1 when the window cannot be made or loading fails, -1
// without a high-resolution counter, else the quit message's code. A stop signal at any moment
// ends it as the Exit control does, settings saved, with 0.
int runFrontend(const std::string& commandLine);
// Set by the executable, whose process ends with runFrontend: after the exit save the process
// then ends at once (platformLeaveNow) instead of freeing what the system takes back anyway.
// Off in the tests, which run the program many times in one process.
extern int EndProcessWithFrontend;
// Starts the window system and creates the main window, hidden; 0 after telling the user.
int createMainWindow();
// Builds the catalogue; 1, or 0 after telling the user why (or, silently, after a stop signal).
int loadCatalogue();
// Answers the quit message's code, or -1 when there is no high-resolution counter.
int runMainLoop();
// Writes back what the player can change: the settings and the emulators' filters in one
// replacement of the configuration file, then skin.ini. 0 when either could not be replaced
// (each file is then left whole).
int saveFrontendSettings();
// Returns the process to its state before a start: no games, emulators, play history,
// categories, skin, pictures, prefetch or video; the run-time state (but for the main window and
// its surfaces), the settings' per-run texts and the screen's layout cleared. A start begins
// with it, so a second start in one process is a first one; the tests and benchmarks reset with
// it between runs.
void resetFrontend();
// resetFrontend, and the back buffer freed: what the exit leaves.
void releaseResources();
void hideCursor();
void showCursor();
