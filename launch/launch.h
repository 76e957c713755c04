// Starting a game: the command line built from the emulator's template, the process run in
// the emulator's directory and waited for, the keys typed into it, and the launch log; and
// capturing a MAME emulator's list of machines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Game;
struct Emulator;

// How a game ended, for whoever started it.
enum GameEnding
{
    GameNotStarted,     // the emulator could not be started
    GameFailedAtOnce,   // it ended within seconds with a failure
    GameEnded,          // it ended by itself
    GameEndedByHold,    // the player held Exit
    GameEndedByTime,    // its time ran out (GameTimeLimitMinutes, or a demo's seconds)
    GameEndedByInput,   // a control was touched during a demo
    GameEndedByStop,    // the front end was told to stop
    GameEndedByRequest, // a program of the cabinet asked (endRunningGame)
};

// The game whose emulator runs now; null between games.
extern const Game* RunningGame;
// Told as a game's emulator has started (started 1) and after it ended and the screen is the
// front end's again (0); not for a game that could not start. Null for none.
extern void (*GameNews)(const Game* game, int started);
// Called every few tens of milliseconds while a game runs; null for none.
extern void (*WhileGameRuns)();
// Asks the running game to end as the exit hold does; nothing between games.
void endRunningGame();

// 1 when the emulator was started and has ended, 0 when it could not be started. started, when
// given, runs as soon as the emulator is running. A game that could not start, or ended at once
// with a failure, is told in one box once the screen is back; BeforeTellingOfAGame, when set,
// runs first (the main screen puts the list back behind the box).
extern std::function<void()> BeforeTellingOfAGame;
int launchGame(const Game* game, int* exitCode, const std::function<void()>& started = {});
// A game that plays itself while nobody is at the cabinet: no play is counted, a failure is
// told on standard error only, and it is ended (asked, then killed) after seconds or at once
// when any control is touched.
GameEnding launchDemoGame(const Game* game, int seconds);
// The emulator's CmdLine template filled from the game (%d Description, %f Name, %p
// the ROM file's folder, %q a double quote, %r Name without extension, %x x, a last lone %
// dropped). An empty template gives the Name. Double quotes in the game's texts, and backslashes
// that come to stand before a double quote, are escaped so that each text reaches the emulator byte
// for byte as the argument the template's quoting makes.
std::string expandCmdLine(const Emulator* emulator, const Game* game);
// An event's command line: the template's codes as an emulator's, and %e the game's emulator's
// name; without a game every code but %q gives nothing.
std::string expandEventLine(const std::string& pattern, const Game* game);
// ExecPath/Executable (just Executable, looked up on the PATH, when execPath is empty), a blank
// and the parameters. An existing program path with blanks is quoted.
std::string buildCommandLine(const std::string& execPath, const std::string& executable,
                             const std::string& parameters);
// Runs a game's command line in workingDirectory; keys may be empty. Either player's Exit held
// for ExitGameHoldSeconds ends the game's whole process group (asked, then killed two seconds
// later), and Exit does not act again until it was let go.
int runProgram(const std::string& commandLine, const std::string& workingDirectory, int* exitCode,
               const std::string& keys, const std::function<void()>& started = {});
// The general runner: outputPath, when not empty, receives standard output and standard
// error. exitCode may be null. Both runners end what they started after a stop signal
// (asked, then killed two seconds later) and then answer as for any ended program. Logs the command
// line when DebugCmdLine is set, reports a program that cannot be started in the "Error" box.
int runProcess(const std::string& commandLine, const std::string& workingDirectory,
               const std::string& outputPath, int* exitCode, const std::string& keys);
// The command that asks a MAME emulator for its list of machines, built as a game's command
// line is, so that an emulator found by one is found by the other.
std::string mameListCommand(const Emulator& emulator);
// Runs command with standard output and standard error written into path; fills the
// program's exit code.
int captureMameList(const std::string& command, const std::string& path, int* exitCode);
// Appends prefix, text and a line feed to log.txt in the current directory, as one line (line
// breaks inside the text are written as \n and \r); a log that cannot be written is skipped.
void appendToLog(const std::string& prefix, const std::string& text);
// "Executing command line: <line>" in log.txt, for a game and an event command alike.
void logCommandLine(const std::string& commandLine);
// Appends what a program wrote, as it came, to log.txt.
void appendOutputToLog(const std::string& bytes);
// log.txt is kept to this size: what would take it past turns it into log.txt.1 (replacing the
// one before) and starts it anew with a line saying so. The two hold at most twice this.
const int64_t LogKeepBytes = 1 << 20;
