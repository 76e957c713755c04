// What the platform's clock and processes ask of its display side while they wait, and the
// test clock they share with it. The clock, files, processes and sockets need no display, so
// a program without a screen links them alone; the display side fills these when it starts.
#pragma once

#include <string>

struct WaitHooksRecord
{
    void (*BeforeSleep)();  // a sleep blocks: what was drawn must be on the screen meanwhile
    void (*WhileWaiting)(); // a program runs: the window system must be served, or it takes the
                            // front end for hung
    void (*AfterProgram)(); // a program ended: the keys of an arcade encoder must reach the
                            // front end again
};
extern WaitHooksRecord WaitHooks;

// How a message box is shown, once the display's side is linked in (it installs it as the
// program starts); without it a box is only its line on standard error.
struct Window;
extern void (*ShowMessageBox)(Window* owner, const std::string& text, const std::string& caption);

void resetTestClock();
int usingTestClock();
