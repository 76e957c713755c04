// Starting a game: the command line from the emulator's template, the run in the emulator's
// directory, the keys typed into it, and the launch log.
#include "launch/launch.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/stop.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/music.h"
#include "runtime/state.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

static const char* const LogPrefix = "Executing command line: ";
static const char* const LogFile = "log.txt";
static const char* const EndedPrefix = "Ended by the player holding Exit: ";

std::function<void()> BeforeTellingOfAGame;
void (*WhileGameRuns)();
void (*GameNews)(const Game* game, int started);
const Game* RunningGame;
static int EndAsked; // a program of the cabinet asked for the running game's end

// How a running program is watched: for a game, the exit hold and the time limits.
struct GameWatch
{
    int Game = 0;        // the program is a game
    int64_t LimitMs = 0; // it is ended after this long; 0 never
    int Demo = 0;        // it plays itself: any control ends it, and a failure is not shown
};

static GameEnding runWatched(const std::string& commandLine, const std::string& workingDirectory,
                             const std::string& outputPath, int* exitCode, const std::string& keys,
                             const GameWatch& watch, const std::function<void()>& started);

// What went wrong with the game, told once the screen is the front end's again.
static std::string GameFailure;

static void tellGameFailure()
{
    if (GameFailure.empty()) return;
    if (BeforeTellingOfAGame) BeforeTellingOfAGame();
    showError(GameFailure);
    GameFailure.clear();
}

static int64_t minutesLimit()
{
    return (int64_t)FrontendSettings.GameTimeLimitMinutes * 60000;
}

// A game the player started: the exit hold and the operator's time limit watch it.
static GameWatch playerGame()
{
    GameWatch watch;
    watch.Game = 1;
    watch.LimitMs = minutesLimit();
    return watch;
}

static GameEnding runGame(const Game* game, int* exitCode, const GameWatch& watch,
                          const std::function<void()>& started)
{
    const Emulator* emulator = emulatorOf(game);
    if (!emulator)
    {
        fprintf(stderr, "launchGame: the game names no known emulator\n");
        return GameNotStarted;
    }
    std::string commandLine =
        buildCommandLine(emulator->ExecPath, emulator->Executable, expandCmdLine(emulator, game));
    // Suspending rather than switching off: afterwards the screen saver is as the user left
    // it, also when the user had switched it off.
    platformSuspendScreenSaver();
    pauseMusic(); // the game's own sound alone
    if (FrontendSettings.ReleaseScreenDuringGame) platformReleaseScreen();
    auto running = [&]
    {
        RunningGame = game;
        if (GameNews) GameNews(game, 1);
        if (started) started();
    };
    EndAsked = 0;
    GameEnding ending = runWatched(commandLine, emulator->ExecPath, "", exitCode,
                                   emulator->SendKeys, watch, running);
    RunningGame = nullptr;
    // Also after a game that could not start or crashed: the player must see the list again.
    if (FrontendSettings.ReleaseScreenDuringGame && !platformTakeBackScreen())
        showError("The screen could not be taken back after the game.");
    platformResumeScreenSaver();
    resumeMusic();
    if (ending != GameNotStarted && GameNews) GameNews(game, 0);
    return ending;
}

int launchGame(const Game* game, int* exitCode, const std::function<void()>& started)
{
    GameEnding ending = runGame(game, exitCode, playerGame(), started);
    tellGameFailure(); // what failed is told here, once the screen is back
    return ending != GameNotStarted;
}

GameEnding launchDemoGame(const Game* game, int seconds)
{
    GameWatch watch;
    watch.Game = watch.Demo = 1;
    watch.LimitMs = (int64_t)std::max(seconds, 1) * 1000;
    if (minutesLimit() > 0) watch.LimitMs = std::min(watch.LimitMs, minutesLimit());
    int exitCode;
    GameEnding ending = runGame(game, &exitCode, watch, {});
    // Nobody is at the cabinet to read a box; the next demo game starts instead.
    if (!GameFailure.empty())
        fprintf(stderr, "Demo game %s skipped: %s\n", game->Name.c_str(), GameFailure.c_str());
    GameFailure.clear();
    return ending;
}

std::string buildCommandLine(const std::string& execPath, const std::string& executable,
                             const std::string& parameters)
{
    std::string program = execPath.empty() ? executable : execPath + "/" + executable;
    // An emulator folder with blanks ("My Emulators") would otherwise be split into words;
    // quoting only what exists keeps an Executable that carries options of its own working.
    if (program.find_first_of(" \t") != std::string::npos && platformFileExists(program))
        program = "\"" + program + "\"";
    return program + " " + parameters;
}

// The template filled in, with a mark on every byte that a game's text put there: the game's
// bytes are the ones that must reach the emulator unchanged. The template's backslashes that a
// game's text follows are marked too (see append).
struct Expansion
{
    std::string Text;
    std::vector<bool> FromGame;
};

static void append(Expansion& expansion, const std::string& text, bool fromGame)
{
    // Backslashes the template wrote before a game's text were not written before a quote;
    // a text that is empty or all backslashes brings them before one, where they must stay
    // literal like the game's own (%q\%p%q with an empty folder).
    if (fromGame)
        for (size_t k = expansion.Text.size(); k > 0 && expansion.Text[k - 1] == '\\'; k--)
            expansion.FromGame[k - 1] = true;
    expansion.Text += text;
    expansion.FromGame.insert(expansion.FromGame.end(), text.size(), fromGame);
}

// A template's codes; %e (the emulator's name) only where it was asked for, so that an emulator's
// command line keeps reading %e as the letter.
static void appendToken(Expansion& expansion, char token, const Game* game,
                        const std::string* emulatorName)
{
    static const Game NoGame{};
    const Game& shown = game ? *game : NoGame;
    switch (token)
    {
    case 'd':
        return append(expansion, shown.Description, true);
    case 'f':
        return append(expansion, shown.Name, true);
    case 'p':
        return append(expansion, game ? romDirectoryOf(*game) : "", true);
    case 'q':
        return append(expansion, "\"", false);
    case 'r':
        return append(expansion, stripExtension(shown.Name), true);
    case 'e':
        if (emulatorName) return append(expansion, *emulatorName, true);
        [[fallthrough]];
    default:
        return append(expansion, std::string(1, token), false);
    }
}

// The command line is split by the rule that backslashes before a double quote escape it, so
// a game's text could otherwise end or open the template's quoting: a file name ending in a
// backslash would swallow the closing quote and let the rest of the name become options. A
// game's double quote becomes an escaped one; a game's backslashes before a template quote
// are doubled, and so are the template's own that a game's text followed; before a game's quote
// every backslash is doubled, since the template cannot have meant to escape a quote it never
// wrote. Backslashes elsewhere stay single.
static std::string protectGameTexts(const Expansion& expansion)
{
    const std::string& text = expansion.Text;
    std::string line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        size_t end = text.find_first_not_of('\\', i);
        if (end == std::string::npos) end = text.size();
        bool beforeQuote = end < text.size() && text[end] == '"';
        bool beforeGameQuote = beforeQuote && expansion.FromGame[end];
        for (size_t k = i; k < end; k++)
            line.append(beforeGameQuote || (beforeQuote && expansion.FromGame[k]) ? 2 : 1, '\\');
        if (end == text.size()) break;
        if (beforeGameQuote) line += '\\';
        line += text[end];
        i = end + 1;
    }
    return line;
}

static std::string expandTemplate(const std::string& pattern, const Game* game,
                                  const std::string* emulatorName)
{
    Expansion expansion;
    for (size_t i = 0; i < pattern.size(); i++)
    {
        if (pattern[i] != '%')
            append(expansion, std::string(1, pattern[i]), false);
        else if (i + 1 < pattern.size())
            appendToken(expansion, pattern[++i], game, emulatorName);
    }
    return protectGameTexts(expansion);
}

std::string expandCmdLine(const Emulator* emulator, const Game* game)
{
    if (emulator->CmdLine.empty()) return expandTemplate("%f", game, nullptr);
    return expandTemplate(emulator->CmdLine, game, nullptr);
}

std::string expandEventLine(const std::string& pattern, const Game* game)
{
    const Emulator* emulator = game ? emulatorOf(game) : nullptr;
    std::string name = emulator ? emulator->Name : "";
    return expandTemplate(pattern, game, &name);
}

static int milliseconds(int64_t value)
{
    if (value < 0) return 0;
    return value > INT_MAX ? INT_MAX : (int)value;
}

// Each key is held for the interval and then let go: a key left down would stay down in the
// display server after the game, and the front end would see it held from then on.
static void typeKeys(const std::string& keys)
{
    platformSleep(milliseconds((int64_t)FrontendSettings.SendKeyWait * 1000));
    for (unsigned char code : keys)
    {
        platformTypeKeyDown(code);
        platformSleep(milliseconds(FrontendSettings.SendKeyInterval));
        platformTypeKeyUp(code);
    }
}

// How often the Exit control is looked at while a game runs.
const int ExitWatchMs = 50;
const int DemoWatchMs = 20;          // a quick tap of any control must end a demo
const int64_t QuickFailureMs = 5000; // a game that fails sooner was never played
const size_t LineShownLimit = 200;   // of each line an emulator wrote, in the box

struct ExitHold
{
    int64_t StartedAt = 0;  // on the platform clock
    int64_t HeldSince = -1; // on the platform clock; -1 while no Exit control is held
    ProgramEnding Ending;
    GameEnding Why = GameEnded; // why it was asked to end
};

// Asked to end, as the player's hold asks: killed if it has not gone EndGraceMs later.
static void askToEnd(ExitHold& hold, Process* process, GameEnding why)
{
    hold.Why = why;
    platformAskToEnd(process, hold.Ending);
}

static void endHeldGame(ExitHold& hold, Process* process, const std::string& commandLine)
{
    fprintf(stderr, "Exit held for %d s: the player ended the game [%s]\n",
            FrontendSettings.ExitGameHoldSeconds, commandLine.c_str());
    if (FrontendSettings.DebugCmdLine) appendToLog(EndedPrefix, commandLine);
    askToEnd(hold, process, GameEndedByHold);
}

// The front end told to stop takes what it started with it: a game left running would hold
// the screen and the sound after the front end has gone.
static void endOnStop(ExitHold& hold, Process* process, const std::string& commandLine)
{
    fprintf(stderr, "Told to stop (signal %d): ending [%s]\n", platformStopRequested(),
            commandLine.c_str());
    askToEnd(hold, process, GameEndedByStop);
}

// The operator's limit is logged whatever DebugCmdLine says: a player may ask why the game
// stopped. A demo's end is routine and told on standard error only.
static void endTimedGame(ExitHold& hold, Process* process, const std::string& commandLine,
                         const GameWatch& watch)
{
    if (watch.Demo)
        fprintf(stderr, "Demo game ended after %lld s [%s]\n", (long long)watch.LimitMs / 1000,
                commandLine.c_str());
    else
    {
        int minutes = FrontendSettings.GameTimeLimitMinutes;
        std::string limit = std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
        fprintf(stderr, "Time limit of %s reached: ending the game [%s]\n", limit.c_str(),
                commandLine.c_str());
        appendToLog("Ended after the time limit of " + limit + ": ", commandLine);
    }
    askToEnd(hold, process, GameEndedByTime);
}

// A game that hangs, or an emulator without an exit key, would otherwise strand a player who
// has only the cabinet's controls.
static void watchExitHold(ExitHold& hold, Process* process, const std::string& commandLine)
{
    int64_t now = platformMilliseconds();
    if (!isExitHeld())
    {
        hold.HeldSince = -1;
        return;
    }
    if (hold.HeldSince < 0) hold.HeldSince = now;
    if (now - hold.HeldSince >= (int64_t)FrontendSettings.ExitGameHoldSeconds * 1000)
        endHeldGame(hold, process, commandLine);
}

void endRunningGame()
{
    EndAsked = RunningGame != nullptr;
}

static void watchGame(ExitHold& hold, Process* process, const std::string& commandLine,
                      const GameWatch& watch)
{
    if (EndAsked)
    {
        fprintf(stderr, "Asked on the control socket: ending the game [%s]\n", commandLine.c_str());
        askToEnd(hold, process, GameEndedByRequest);
    }
    else if (watch.Demo && isAnyControlTouched())
    {
        fprintf(stderr, "A control was touched: ending the demo game [%s]\n", commandLine.c_str());
        askToEnd(hold, process, GameEndedByInput);
    }
    else if (watch.LimitMs > 0 && platformMilliseconds() - hold.StartedAt >= watch.LimitMs)
        endTimedGame(hold, process, commandLine, watch);
    else if (FrontendSettings.ExitGameHoldSeconds > 0)
        watchExitHold(hold, process, commandLine);
}

static void watchProgram(ExitHold& hold, Process* process, const std::string& commandLine,
                         const GameWatch& watch)
{
    if (hold.Ending.AskedAt < 0)
    {
        if (platformStopRequested())
            endOnStop(hold, process, commandLine);
        else if (watch.Game)
            watchGame(hold, process, commandLine, watch);
        return;
    }
    if (platformKillWhenOverdue(process, hold.Ending))
        fprintf(stderr, "The program did not end within %d s of being asked: killed [%s]\n",
                EndGraceMs / 1000, commandLine.c_str());
}

// How the program ended: its code, whether the front end ended it, and the last it wrote to
// its standard error.
struct ProgramEnd
{
    int Waited = 0;
    int Code = 0;
    int EndedByUs = 0;
    GameEnding Ending = GameEnded;
    std::string Errors;
    int64_t RanMs = 0;
};

static ProgramEnd waitWatched(Process* process, const std::string& commandLine,
                              const GameWatch& watch, int64_t startedAt)
{
    ExitHold hold;
    hold.StartedAt = startedAt;
    ProgramEnd end;
    // A touch made before the game (the key that started it) is not one made during it.
    if (watch.Game) flushKeyboard();
    while (platformProcessRunning(process, watch.Demo ? DemoWatchMs : ExitWatchMs))
    {
        if (watch.Game && WhileGameRuns) WhileGameRuns();
        watchProgram(hold, process, commandLine, watch);
    }
    end.Waited = platformWaitProcess(process, &end.Code, &end.Errors, &end.RanMs);
    end.EndedByUs = hold.Ending.AskedAt >= 0;
    end.Ending = hold.Why;
    if (watch.Game) holdOffExit(); // an Exit held as the game ended was meant for the game
    return end;
}

// The last lines of an emulator's complaint, without the blank ones, each within reason.
static std::string lastLines(const std::string& text, size_t count)
{
    std::vector<std::string> lines;
    int cuts = 0; // a line cut short is shown cut; the whole is on standard error
    for (size_t start = 0; start < text.size();)
    {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos)
            lines.emplace_back(cutToLength(line, LineShownLimit, &cuts));
        start = end + 1;
    }
    if (lines.size() > count) lines.erase(lines.begin(), lines.end() - (long)count);
    std::string joined;
    for (const std::string& line : lines) joined += "\n" + line;
    return joined;
}

// A game whose emulator gives up at once (its ROMs missing, a bad option) would otherwise
// only flash the screen: the player is told, with what the emulator said.
static int noteQuickFailure(const ProgramEnd& end)
{
    if (!end.Waited || end.Code == 0 || end.EndedByUs || platformStopRequested() ||
        end.RanMs >= QuickFailureMs)
        return 0;
    std::string said = lastLines(end.Errors, 4);
    GameFailure = said.empty() ? message("The game ended at once (exit code {1}).",
                                         {std::to_string(end.Code)})
                               : message("The game ended at once (exit code {1}). The emulator "
                                         "said:{2}",
                                         {std::to_string(end.Code), said});
    return 1;
}

static GameEnding runWatched(const std::string& commandLine, const std::string& workingDirectory,
                             const std::string& outputPath, int* exitCode, const std::string& keys,
                             const GameWatch& watch, const std::function<void()>& started)
{
    if (FrontendSettings.DebugCmdLine) logCommandLine(commandLine);
    std::string why;
    Process* process = platformStartProcess(commandLine, workingDirectory, outputPath, why);
    if (!process)
    {
        std::string text = message("Cannot start [{1}]: {2}.", {commandLine, why});
        if (watch.Game)
            GameFailure = text;
        else
            showError(text);
        return GameNotStarted;
    }
    int64_t startedAt = platformMilliseconds();
    if (started) started();
    if (FrontendSettings.SendKeys && !keys.empty() && !platformStopRequested()) typeKeys(keys);
    ProgramEnd end = waitWatched(process, commandLine, watch, startedAt);
    if (exitCode)
    {
        if (end.Waited)
            *exitCode = end.Code;
        else
            showError("GetExitCodeProcess failed!");
    }
    if (watch.Game && noteQuickFailure(end)) return GameFailedAtOnce;
    return end.Ending;
}

int runProgram(const std::string& commandLine, const std::string& workingDirectory, int* exitCode,
               const std::string& keys, const std::function<void()>& started)
{
    GameEnding ending =
        runWatched(commandLine, workingDirectory, "", exitCode, keys, playerGame(), started);
    tellGameFailure();
    return ending != GameNotStarted;
}

int runProcess(const std::string& commandLine, const std::string& workingDirectory,
               const std::string& outputPath, int* exitCode, const std::string& keys)
{
    return runWatched(commandLine, workingDirectory, outputPath, exitCode, keys, GameWatch(), {}) !=
           GameNotStarted;
}

std::string mameListCommand(const Emulator& emulator)
{
    return buildCommandLine(emulator.ExecPath, emulator.Executable, "-listxml");
}

int captureMameList(const std::string& command, const std::string& path, int* exitCode)
{
    // Creating the file here tells a place that cannot be written apart from an emulator
    // that cannot be started; the runner then replaces it with the program's output.
    int file = platformCreateDerivedFile(path);
    if (file < 0)
    {
        showError(message("Failed to create file [{1}]!", {path}));
        return 0;
    }
    platformCloseFile(file);
    return runProcess(command, "", path, exitCode, "");
}

// A line break inside the text (a game name may hold one) must not start a false entry.
static std::string oneLine(const std::string& text)
{
    std::string line;
    for (char c : text)
    {
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line += c;
    }
    return line;
}

// A full log becomes log.txt.1 (the one before is dropped) and a new one starts, saying so:
// a cabinet that logs for months keeps the latest LogKeepBytes and the same again before them.
static int makeRoomInLog(size_t bytes)
{
    int64_t stamp = 0, size = 0;
    if (!platformFileStamp(LogFile, &stamp, &size) || size + (int64_t)bytes <= LogKeepBytes)
        return 1;
    std::string older = std::string(LogFile) + ".1";
    if (!platformRenameFile(LogFile, older)) return 0;
    return platformAppendLine(LogFile, "[The log went past " + std::to_string(LogKeepBytes >> 10) +
                                           " KB: the lines before are in " + older + "]");
}

static int appendLogText(const std::string& text)
{
    std::string cut =
        text.size() > (size_t)LogKeepBytes / 2 ? text.substr(0, LogKeepBytes / 2) : text;
    return makeRoomInLog(cut.size()) && platformAppendText(LogFile, cut);
}

void appendToLog(const std::string& prefix, const std::string& text)
{
    // The log is a debugging aid: a log that cannot be written never stops a launch.
    if (!appendLogText(oneLine(prefix + text) + "\n"))
        fprintf(stderr, "Cannot append to %s: the command line is not logged\n", LogFile);
}

void logCommandLine(const std::string& commandLine)
{
    appendToLog(LogPrefix, commandLine);
}

void appendOutputToLog(const std::string& bytes)
{
    if (!bytes.empty() && !appendLogText(bytes))
        fprintf(stderr, "Cannot append to %s: a command's output is not logged\n", LogFile);
}
