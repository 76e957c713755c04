// Starting programs and waiting for them on POSIX: posix_spawnp, never a shell.
#include "platform/process.h"

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/waits.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

struct Process;
// The programs started and not yet freed, by their ids (also their process groups' ids).
static std::map<pid_t, Process*> Started;

struct Process
{
    pid_t Pid;             // also its process group's id
    int PidFd;             // -1 when the kernel offers none; then the wait polls on a timer
    int Ended;             // the program itself has been waited for
    int Status;            // its wait status
    int Lost;              // it could not be waited for
    int ErrorPipe;         // the read end of the program's standard error; -1 without one
    std::string ErrorTail; // the last of what it wrote there
    int OutputPipe;        // the read end of its standard output and error, started aside
    std::chrono::steady_clock::time_point StartedAt;
};

// Enough for the last lines an emulator prints before it gives up.
static const size_t ErrorTailLimit = 4096;

// How often the window system is pumped while a program runs.
static const int PumpIntervalMs = 50;

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A run of backslashes is literal unless a double quote follows it: then every pair gives one
// backslash, and an odd one left over makes the quote literal. Answers the index after what
// was consumed; a quote that still has to toggle grouping is left in place.
static size_t takeBackslashes(const std::string& line, size_t i, std::string& argument)
{
    size_t count = 0;
    while (i + count < line.size() && line[i + count] == '\\') count++;
    if (i + count >= line.size() || line[i + count] != '"')
    {
        argument.append(count, '\\');
        return i + count;
    }
    argument.append(count / 2, '\\');
    if (count % 2 == 0) return i + count;
    argument += '"';
    return i + count + 1;
}

std::vector<std::string> platformSplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    for (;;)
    {
        while (i < commandLine.size() && isBlank(commandLine[i])) i++;
        if (i >= commandLine.size()) return arguments;
        std::string argument;
        bool grouped = false;
        while (i < commandLine.size() && (grouped || !isBlank(commandLine[i])))
        {
            char c = commandLine[i];
            if (c == '\\')
            {
                i = takeBackslashes(commandLine, i, argument);
                continue;
            }
            if (c == '"')
                grouped = !grouped;
            else
                argument += c;
            i++;
        }
        arguments.push_back(argument);
    }
}

// The change of directory happens in the child before the program is looked for, so a
// relative path naming the program must be made absolute against our own directory first.
static std::string programPath(const std::string& program, const std::string& workingDirectory)
{
    if (workingDirectory.empty() || program.empty() || program[0] == '/' ||
        program.find('/') == std::string::npos)
        return program;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(program, error);
    return error ? program : absolute.string();
}

static int openOutput(const std::string& outputPath)
{
    if (outputPath.empty()) return -1;
    // The output is a list captured beside its source: never written through a link.
    int fd = platformCreateDerivedFile(outputPath);
    if (fd < 0)
        fprintf(stderr, "Cannot create output file [%s]: %s\n", outputPath.c_str(),
                strerror(errno));
    return fd;
}

// What the program wrote to its standard error so far, passed on to ours as it comes (the
// technician reads it there as before) and its tail kept; never waits for more.
static void drainErrors(Process* process)
{
    if (process->ErrorPipe < 0) return;
    char buffer[ErrorTailLimit]; // a block read at a time; the tail kept has no fixed size
    for (;;)
    {
        ssize_t got = read(process->ErrorPipe, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0)
        {
            if (got == 0 || errno != EAGAIN) close(process->ErrorPipe), process->ErrorPipe = -1;
            return;
        }
        ssize_t written = write(2, buffer, (size_t)got);
        (void)written; // our own standard error gone: the tail is still kept
        process->ErrorTail.append(buffer, (size_t)got);
        if (process->ErrorTail.size() > ErrorTailLimit)
            process->ErrorTail.erase(0, process->ErrorTail.size() - ErrorTailLimit);
    }
}

static void prepareActions(posix_spawn_file_actions_t* actions, int outputFd, int errorFd,
                           const std::string& workingDirectory)
{
    posix_spawn_file_actions_init(actions);
    if (outputFd >= 0)
    {
        posix_spawn_file_actions_adddup2(actions, outputFd, 1);
        posix_spawn_file_actions_adddup2(actions, outputFd, 2);
    }
    else if (errorFd >= 0)
        posix_spawn_file_actions_adddup2(actions, errorFd, 2);
    // The emulator must not hold the front end's X connection, log or list files.
    posix_spawn_file_actions_addclosefrom_np(actions, 3);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(actions, workingDirectory.c_str());
}

// Signals the front end ignores or blocks stay ignored across exec; an emulator starts clean.
static void prepareAttributes(posix_spawnattr_t* attributes)
{
    posix_spawnattr_init(attributes);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(attributes, &all);
    posix_spawnattr_setsigmask(attributes, &none);
    // A group of its own, so that what the emulator starts can be ended with it.
    posix_spawnattr_setpgroup(attributes, 0);
    posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                             POSIX_SPAWN_SETPGROUP);
}

static int spawn(std::vector<std::string>& arguments, const std::string& workingDirectory,
                 int outputFd, int errorFd, pid_t* pid)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    prepareActions(&actions, outputFd, errorFd, workingDirectory);
    prepareAttributes(&attributes);
    // glibc reports a failed change of directory or exec through the answer, so a program
    // that cannot start is known here and never looks like an exit code.
    int error = posix_spawnp(pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

// The pipe the program's standard error goes into, read without waiting; both ends -1 when
// none can be made (the program then writes to ours, as before).
static void openErrorPipe(int ends[2])
{
    if (pipe2(ends, O_CLOEXEC) != 0)
    {
        ends[0] = ends[1] = -1;
        return;
    }
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
}

static std::string startFailure(int error)
{
    if (error == ENOENT) return "not found";
    if (error == EACCES) return "permission denied";
    return strerror(error);
}

// Starts the program with standard output and standard error into outputFd, or, without one,
// standard error into a pipe of ours; closes outputFd.
static Process* startWith(const std::string& commandLine, const std::string& workingDirectory,
                          int outputFd, std::string& why, int quiet = 0)
{
    std::vector<std::string> arguments = platformSplitCommandLine(commandLine);
    if (arguments.empty())
    {
        if (!quiet) fprintf(stderr, "Cannot start a program: the command line names none\n");
        why = "the command line names no program";
        if (outputFd >= 0) close(outputFd);
        return nullptr;
    }
    arguments[0] = programPath(arguments[0], workingDirectory);
    int errorPipe[2] = {-1, -1};
    if (outputFd < 0) openErrorPipe(errorPipe);
    // What a program leaves running when it ends comes to us rather than to init, so the wait
    // can go on until its whole group has ended and take up whatever ends.
    static int adopting = prctl(PR_SET_CHILD_SUBREAPER, 1);
    (void)adopting;
    pid_t pid = 0;
    int error = spawn(arguments, workingDirectory, outputFd, errorPipe[1], &pid);
    if (outputFd >= 0) close(outputFd);
    if (errorPipe[1] >= 0) close(errorPipe[1]);
    if (error != 0)
    {
        if (!quiet)
            fprintf(stderr, "Cannot start [%s] in [%s]: %s\n", arguments[0].c_str(),
                    workingDirectory.empty() ? "." : workingDirectory.c_str(), strerror(error));
        if (errorPipe[0] >= 0) close(errorPipe[0]);
        why = startFailure(error);
        return nullptr;
    }
    // Called through syscall: this glibc's header declares pidfd_open without C linkage.
    Process* process =
        new Process{pid, (int)syscall(SYS_pidfd_open, pid, 0), 0, 0, 0, errorPipe[0], "",
                    -1,  std::chrono::steady_clock::now()};
    Started[pid] = process;
    return process;
}

Process* platformStartProcess(const std::string& commandLine, const std::string& workingDirectory,
                              const std::string& outputPath, std::string& why)
{
    int outputFd = openOutput(outputPath);
    if (!outputPath.empty() && outputFd < 0)
    {
        why = "its output file cannot be made: " + std::string(strerror(errno));
        return nullptr;
    }
    return startWith(commandLine, workingDirectory, outputFd, why);
}

Process* platformStartAside(const std::string& commandLine, int keepOutput, std::string& why)
{
    // What is not kept goes nowhere, so that a command writing without end costs nothing.
    int ends[2] = {-1, -1};
    if (keepOutput && pipe2(ends, O_CLOEXEC) == 0)
        fcntl(ends[0], F_SETFL, O_NONBLOCK);
    else
        ends[1] = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (ends[1] < 0)
    {
        why = "/dev/null cannot be opened: " + std::string(strerror(errno));
        return nullptr;
    }
    Process* process = startWith(commandLine, "", ends[1], why, 1);
    if (!process && ends[0] >= 0) close(ends[0]);
    if (process) process->OutputPipe = ends[0];
    return process;
}

size_t platformTakeOutput(Process* process, std::string& text, size_t limit)
{
    size_t before = text.size();
    if (!process || process->OutputPipe < 0) return 0;
    char buffer[65536];
    while (text.size() - before < limit)
    {
        ssize_t got = read(process->OutputPipe, buffer,
                           std::min(sizeof buffer, limit - (text.size() - before)));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, (size_t)got);
    }
    return text.size() - before;
}

void endRunningPrograms()
{
    for (const auto& [group, process] : Started) kill(-group, SIGTERM);
}

// Sleeps until the program ends or milliseconds have passed, whichever comes first.
static void pauseForProcess(const Process* process, int milliseconds)
{
    if (process->PidFd >= 0 && !process->Ended)
    {
        // Woken by output too, so that a program writing much never waits on a full pipe.
        pollfd entries[] = {{process->PidFd, POLLIN, 0}, {process->ErrorPipe, POLLIN, 0}};
        poll(entries, process->ErrorPipe >= 0 ? 2 : 1, milliseconds);
        return;
    }
    timespec interval = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&interval, nullptr);
}

static void reapProgram(Process* process)
{
    while (!process->Ended)
    {
        pid_t answer = waitpid(process->Pid, &process->Status, WNOHANG);
        if (answer == 0) return;
        if (answer < 0 && errno == EINTR) continue;
        if (answer < 0)
        {
            fprintf(stderr, "Cannot wait for process %d: %s\n", (int)process->Pid, strerror(errno));
            process->Lost = 1;
        }
        process->Ended = 1;
    }
}

// Whether a process of the program's group is still there; those that have ended are taken up.
static int groupRemains(const Process* process)
{
    for (;;)
    {
        int status;
        pid_t answer = waitpid(-process->Pid, &status, WNOHANG);
        if (answer > 0 || (answer < 0 && errno == EINTR)) continue;
        return answer == 0;
    }
}

static int stillRunning(Process* process)
{
    reapProgram(process);
    return !process->Ended || (!process->Lost && groupRemains(process));
}

static void freeProcess(Process* process)
{
    if (process->PidFd >= 0) close(process->PidFd);
    if (process->ErrorPipe >= 0) close(process->ErrorPipe);
    if (process->OutputPipe >= 0) close(process->OutputPipe);
    Started.erase(process->Pid);
    delete process;
}

void platformReapStrays()
{
    for (;;)
    {
        // Looked at without being taken up first: a program still watched keeps its status.
        siginfo_t child = {};
        if (waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT) != 0 || child.si_pid == 0) return;
        auto watched = Started.find(child.si_pid);
        if (watched != Started.end() && !watched->second->Ended)
            reapProgram(watched->second);
        else if (waitpid(child.si_pid, nullptr, WNOHANG) < 0 && errno != EINTR)
            return;
    }
}

// The display connection must be served while a game runs, or the window system may take the
// front end for hung.
static int servedWhileRunning(Process* process, int milliseconds)
{
    if (WaitHooks.WhileWaiting) WaitHooks.WhileWaiting();
    drainErrors(process);
    platformReapStrays();
    if (!stillRunning(process)) return 0;
    pauseForProcess(process, milliseconds);
    return stillRunning(process);
}

int platformProcessRunning(Process* process, int milliseconds)
{
    if (!process) return 0;
    if (!usingTestClock()) return servedWhileRunning(process, milliseconds);
    // A moment of real time stands for the whole of it on the test clock, so that a test
    // holding a key for seconds takes milliseconds.
    int running = servedWhileRunning(process, 1);
    platformSleep(milliseconds);
    return running;
}

int platformWaitProcess(Process* process, int* exitCode, std::string* errorTail, int64_t* ranMs)
{
    if (!process) return 0;
    while (servedWhileRunning(process, PumpIntervalMs))
    {
    }
    drainErrors(process);
    if (errorTail) *errorTail = process->ErrorTail;
    // Real time, also on the test clock: how long the program itself took.
    if (ranMs)
        *ranMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - process->StartedAt)
                     .count();
    int ok = !process->Lost, status = process->Status;
    freeProcess(process);
    if (WaitHooks.AfterProgram) WaitHooks.AfterProgram();
    if (!ok) return 0;
    int code = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    if (exitCode) *exitCode = code;
    return 1;
}

int platformReapProcess(Process* process)
{
    if (!platformProcessEnded(process)) return 0;
    if (process) freeProcess(process);
    return 1;
}

int platformProcessEnded(Process* process)
{
    platformReapStrays();
    return !process || !stillRunning(process);
}

void platformAskToEnd(Process* process, ProgramEnding& ending)
{
    ending = {platformMilliseconds(), 0};
    platformEndProcess(process, 0);
}

int platformKillWhenOverdue(Process* process, ProgramEnding& ending)
{
    if (ending.AskedAt < 0 || ending.Killed) return 0;
    if (platformMilliseconds() - ending.AskedAt < EndGraceMs) return 0;
    ending.Killed = 1;
    platformEndProcess(process, 1);
    return 1;
}

void platformEndWithin(const std::vector<Process*>& processes)
{
    const int graceMs = EndGraceMs;
    std::vector<Process*> left;
    for (Process* process : processes)
        if (process && !platformReapProcess(process)) left.push_back(process);
    for (Process* process : left) platformEndProcess(process, 0);
    int64_t until = platformMilliseconds() + graceMs;
    while (!left.empty() && platformMilliseconds() < until)
    {
        platformSleep(20);
        std::erase_if(left, [](Process* process) { return platformReapProcess(process); });
    }
    for (Process* process : left)
    {
        fprintf(stderr, "Process %d did not end within %d ms of being asked: killed\n",
                (int)process->Pid, graceMs);
        platformEndProcess(process, 1);
        platformLetGo(process); // taken up by the system once the front end has gone
    }
}

void platformLetGo(Process* process)
{
    if (process) freeProcess(process);
}

void platformEndProcess(Process* process, int force)
{
    if (!process) return;
    kill(-process->Pid, force ? SIGKILL : SIGTERM);
    // A member stopped by job control would only take the request once continued.
    if (!force) kill(-process->Pid, SIGCONT);
}
