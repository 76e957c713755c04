// An emulator stand-in that hangs: starts a child, writes "<own id> <child's id>" into its first
// argument, and both wait the milliseconds of its third argument (at most a minute) before
// ending. Its second argument says how: "stubborn" (both ignore SIGTERM), "leaves" (it exits
// at once, leaving its stubborn child), "polite" (SIGTERM ends both). A fourth argument
// "window" shows a window on X meanwhile, as an emulator does.
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4) return 2;
    std::string mode = argv[2];
    Uint32 wait = (Uint32)std::clamp(std::atoi(argv[3]), 0, 60000);
    if (mode != "polite") std::signal(SIGTERM, SIG_IGN);
    pid_t child = fork();
    if (child == 0)
    {
        usleep(wait * 1000);
        std::_Exit(0);
    }
    // Written aside and renamed into place, so that a test waiting for the file never reads it
    // half written.
    std::string aside = std::string(argv[1]) + ".part";
    FILE* record = fopen(aside.c_str(), "w");
    if (!record) return 3;
    fprintf(record, "%d %d\n", (int)getpid(), (int)child);
    if (fclose(record) != 0 || std::rename(aside.c_str(), argv[1]) != 0) return 3;
    if (mode == "leaves") std::_Exit(0);
    bool window = argc > 4 && std::string(argv[4]) == "window";
    SDL_setenv("SDL_VIDEODRIVER", "x11", 1); // the tests' environment says dummy
    if (window && (SDL_Init(SDL_INIT_VIDEO) != 0 ||
                   !SDL_CreateWindow("hanger", 0, 0, 320, 240, SDL_WINDOW_SHOWN)))
        return 4;
    for (Uint32 end = SDL_GetTicks() + wait; SDL_GetTicks() < end;)
    {
        SDL_Event event;
        if (window) SDL_PumpEvents(), SDL_PollEvent(&event); // a window that answers
        SDL_Delay(10);
    }
    // No SDL shutdown: its X errors or display-library "leaks" would fail the exit code.
    std::_Exit(0);
}
