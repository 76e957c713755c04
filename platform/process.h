// Starting programs, waiting for them, typing keys into them, and the system screen saver.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Process; // opaque; freed by platformWaitProcess

// Splits a command line into arguments by the Windows rules: blanks separate, double quotes
// group and are removed, backslashes are literal unless they come before a double quote, and
// \" is a literal quote.
std::vector<std::string> platformSplitCommandLine(const std::string& commandLine);
// Starts the program named by the first argument directly (never through a shell) in
// workingDirectory (empty: the current one). With outputPath set, standard output and standard
// error go into that file (created or replaced). Null, with a line on standard error, when the
// program cannot be started (missing, not executable, bad working directory), and why in a few
// words ("not found", "permission denied"). Without outputPath the program's
// standard error still reaches ours, and its last 4 KB are kept for platformWaitProcess.
Process* platformStartProcess(const std::string& commandLine, const std::string& workingDirectory,
                              const std::string& outputPath, std::string& why);
// A started program runs in a process group of its own, and counts as running until every
// process of that group has ended: a launcher that starts the emulator and exits at once is
// waited for as long as the emulator runs.
// Waits up to milliseconds, pumping the window system's events meanwhile; 1 while the program
// or a process of its group still runs. On the test clock the wait moves the clock on by
// milliseconds, as a sleep does.
int platformProcessRunning(Process* process, int milliseconds);
// Waits without a limit, as above; fills the program's own exit code (128 + the signal number
// for a program killed by a signal) and frees the process. Answers 0 when the exit code could
// not be read. errorTail, when given, receives the last 4 KB the program wrote to its standard
// error (empty with an outputPath), and ranMs the real milliseconds it ran.
int platformWaitProcess(Process* process, int* exitCode, std::string* errorTail = nullptr,
                        int64_t* ranMs = nullptr);
// Asks the program and every process of its group to end (SIGTERM), or with force kills them
// (SIGKILL); they must still be waited for.
void platformEndProcess(Process* process, int force);

// Starts a program beside the front end, never waited for by it: in the current directory,
// with standard output and standard error kept for platformTakeOutput when keepOutput is set,
// else thrown away. Null, with why, when it cannot be started; telling is the caller's.
Process* platformStartAside(const std::string& commandLine, int keepOutput, std::string& why);
// Appends to text what the program started aside has written since, at most limit bytes
// (the rest waits in the pipe); never waits. Answers the bytes appended.
size_t platformTakeOutput(Process* process, std::string& text, size_t limit);
// Never waits: 1 when the program and its group have ended (null counts as ended), 0 while one
// of them runs. The process is not freed: what it wrote can still be taken.
int platformProcessEnded(Process* process);
// As platformProcessEnded, and an ended process is freed.
int platformReapProcess(Process* process);
// Takes up every child that has ended and that no process record waits for: what a command
// started and left behind (a program that detached itself) must not stay a zombie.
void platformReapStrays();
// How a program is ended, a game or an event command alike: asked (SIGTERM), then killed if
// it has not gone EndGraceMs later.
const int EndGraceMs = 2000;
struct ProgramEnding
{
    int64_t AskedAt = -1; // on the platform clock; -1 while it was not asked
    int Killed = 0;
};
void platformAskToEnd(Process* process, ProgramEnding& ending);
// Kills the program once it was asked EndGraceMs ago and is still there; 1 when this call
// killed it (for the caller to tell why).
int platformKillWhenOverdue(Process* process, ProgramEnding& ending);
// Asks each program to end and waits up to EndGraceMs for them, then kills those left; every
// process is freed. For the front end's exit: what it started must not outlive it.
void platformEndWithin(const std::vector<Process*>& processes);
// Lets go of a program without waiting for it: it runs on, and is the system's to take up once
// the front end has gone. The process is freed.
void platformLetGo(Process* process);
// Sends a key-down (key-up) event for a virtual-key code to the window that has the focus
// (XTest). Without an X display nothing is typed and one line on standard error says so, once.
// A code without a key on the display is skipped with a line on standard error.
void platformTypeKeyDown(int code);
void platformTypeKeyUp(int code);

// Suspends the system screen saver while a game runs; resume puts back what was before (a
// screen saver the user switched off stays off). Calls nest. Without X nothing happens.
void platformSuspendScreenSaver();
void platformResumeScreenSaver();
