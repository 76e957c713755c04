// A window that records the keys it receives, standing in for an emulator that keys are typed
// into. Usage: keyrecorder <record file>. Each line of the record is "ready" (window shown),
// "focus" (it has the keyboard focus), "down <key name>" or "up <key name>". Ends on Escape,
// on being closed, or after a minute so that a failed test never leaves it behind.
// A test program, not part of the front end: it uses SDL directly.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

static void note(FILE* record, const char* text, const char* name)
{
    fprintf(record, name ? "%s %s\n" : "%s\n", text, name);
    fflush(record);
}

static bool handle(const SDL_Event& event, FILE* record)
{
    if (event.type == SDL_QUIT) return false;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        note(record, "focus", nullptr);
    if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && !event.key.repeat)
    {
        bool down = event.type == SDL_KEYDOWN;
        note(record, down ? "down" : "up", SDL_GetKeyName(event.key.keysym.sym));
        if (down && event.key.keysym.sym == SDLK_ESCAPE) return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    FILE* record = fopen(argv[1], "w");
    if (!record) return 2;
    // The tests run with the dummy video driver in their environment; this one needs X.
    SDL_setenv("SDL_VIDEODRIVER", "x11", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 3;
    SDL_Window* window = SDL_CreateWindow("keyrecorder", 0, 0, 320, 240, SDL_WINDOW_SHOWN);
    if (!window) return 3;
    note(record, "ready", nullptr);
    Uint32 end = SDL_GetTicks() + 60000;
    bool running = true;
    while (running && SDL_GetTicks() < end)
    {
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 100)) running = handle(event, record);
    }
    // The window goes with the process. No orderly SDL shutdown: it can raise X errors when the
    // display's focus has moved, and what the display libraries keep would be reported as
    // leaks under the sanitizers; either would turn into a failing exit code.
    fclose(record);
    std::_Exit(0);
}
