// The main window: its procedure keeps the window's surface, the back buffer the main screen
// is drawn into, and the focus flag; painting copies the back buffer.
#pragma once

#include <cstdint>

struct Window;

const char* const MainWindowClass = "MainWndClass";

// The main window's procedure: creation, size change, focus, paint and destruction.
intptr_t mainWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2);
