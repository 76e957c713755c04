// Starting a game: the command line from the emulator's template, the run in the emulator's
// directory, the keys typed into it, and the launch log.
#include "launch/launch.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "core/frontend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"

#include <climits>
#include <cstdio>

static const char* const LogPrefix = "Executing command line: ";
static const char* const LogFile = "log.txt";

int launchGame(const Game* game, int* exitCode)
{
    if (!game || game->EmulatorIndex < 0 || game->EmulatorIndex >= (int)EmulatorTable.size())
    {
        fprintf(stderr, "launchGame: the game names no known emulator\n");
        return 0;
    }
    const Emulator* emulator = EmulatorTable[game->EmulatorIndex];
    std::string commandLine =
        buildCommandLine(emulator->ExecPath, emulator->Executable, expandCmdLine(emulator, game));
    // Suspending rather than switching off: afterwards the screen saver is as the user left
    // it, also when the user had switched it off.
    platformSuspendScreenSaver();
    int result = runProgram(commandLine, emulator->ExecPath, exitCode, emulator->SendKeys);
    platformResumeScreenSaver();
    return result;
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

// A game's text goes into the command line so that splitting gives it back unchanged: a double
// quote in a file name is escaped (with the backslashes before it doubled) instead of ending
// the template's grouping.
static std::string protectQuotes(const std::string& text)
{
    if (text.find('"') == std::string::npos) return text;
    std::string protectedText;
    size_t backslashes = 0;
    for (char c : text)
    {
        if (c == '"')
        {
            protectedText.append(backslashes + 1, '\\');
            protectedText += '"';
        }
        else
            protectedText += c;
        backslashes = c == '\\' ? backslashes + 1 : 0;
    }
    return protectedText;
}

static std::string tokenText(char token, const Game* game)
{
    switch (token)
    {
    case 'd':
        return protectQuotes(game->Description);
    case 'f':
        return protectQuotes(game->Name);
    case 'p':
        return protectQuotes(game->RomDirectory);
    case 'q':
        return "\"";
    case 'r':
        return protectQuotes(stripExtension(game->Name));
    default:
        return std::string(1, token);
    }
}

std::string expandCmdLine(const Emulator* emulator, const Game* game)
{
    const std::string& pattern = emulator->CmdLine;
    if (pattern.empty()) return protectQuotes(game->Name);
    std::string expanded;
    for (size_t i = 0; i < pattern.size(); i++)
    {
        if (pattern[i] != '%')
            expanded += pattern[i];
        else if (i + 1 < pattern.size())
            expanded += tokenText(pattern[++i], game);
    }
    return expanded;
}

std::string stripExtension(const std::string& text)
{
    size_t dot = text.rfind('.');
    if (dot != std::string::npos && text.size() - dot <= 4) return text.substr(0, dot);
    return text;
}

int runProgram(const std::string& commandLine, const std::string& workingDirectory, int* exitCode,
               const std::string& keys)
{
    return runProcess(commandLine, workingDirectory, "", exitCode, keys);
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

int runProcess(const std::string& commandLine, const std::string& workingDirectory,
               const std::string& outputPath, int* exitCode, const std::string& keys)
{
    if (FrontendSettings.DebugCmdLine) appendToLog(LogPrefix, commandLine);
    Process* process = platformStartProcess(commandLine, workingDirectory, outputPath);
    if (!process)
    {
        showError("Failed to execute [" + commandLine + "]!");
        return 0;
    }
    if (FrontendSettings.SendKeys && !keys.empty()) typeKeys(keys);
    int code = 0;
    int waited = platformWaitProcess(process, &code);
    if (exitCode)
    {
        if (waited)
            *exitCode = code;
        else
            showError("GetExitCodeProcess failed!");
    }
    return 1;
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

void appendToLog(const std::string& prefix, const std::string& text)
{
    // The log is a debugging aid: a log that cannot be written never stops a launch.
    if (!platformAppendLine(LogFile, oneLine(prefix + text)))
        fprintf(stderr, "Cannot append to %s: the command line is not logged\n", LogFile);
}
