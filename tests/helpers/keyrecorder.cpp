// An emulator stand-in that keys are typed into: writes "ready", "focus", "down <key>", "up <key>"
// lines to its argument; ends on Escape, on close or after a minute, never left behind.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    FILE* record = argc < 2 ? nullptr : fopen(argv[1], "w");
    if (!record) return 2;
    setvbuf(record, nullptr, _IONBF, 0);     // the test reads it while this runs
    SDL_setenv("SDL_VIDEODRIVER", "x11", 1); // the tests' environment says dummy
    if (SDL_Init(SDL_INIT_VIDEO) != 0 ||
        !SDL_CreateWindow("keyrecorder", 0, 0, 320, 240, SDL_WINDOW_SHOWN))
        return 3;
    fputs("ready\n", record);
    SDL_Event event;
    for (Uint32 end = SDL_GetTicks() + 60000; SDL_GetTicks() < end;)
    {
        if (!SDL_WaitEventTimeout(&event, 100)) continue;
        if (event.type == SDL_QUIT) break;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
            fputs("focus\n", record);
        bool down = event.type == SDL_KEYDOWN;
        if ((!down && event.type != SDL_KEYUP) || event.key.repeat) continue;
        fprintf(record, "%s %s\n", down ? "down" : "up", SDL_GetKeyName(event.key.keysym.sym));
        if (down && event.key.keysym.sym == SDLK_ESCAPE) break;
    }
    // No SDL shutdown: its X errors or display-library "leaks" would fail the exit code.
    fclose(record);
    std::_Exit(0);
}
