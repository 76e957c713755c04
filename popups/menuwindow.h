// The menu window: one level of the options menu as rows of a label and its current choice,
// centred over the main screen and sized to its text, driven by the same controls as the main
// screen in a modal loop of its own. A sub-menu opens in a further window on top.
#pragma once

#include <cstdint>
#include <vector>

struct MenuNode;
struct Window;
struct Surface;

const char* const MenuWindowClass = "MenuWndClass";

// One open (or closed, until destroyMenuWindows) menu window.
struct MenuView
{
    MenuNode* items; // the rows; not owned, changed in place
    int itemCount;
    Window* window;    // null once the window is destroyed
    Surface* windowDC; // the window's own surface
    Surface* memoryDC; // the client-sized picture everything is drawn into
    int selectedRow;   // the highlighted row
    int firstRow;      // the top row shown
    int closing;       // the player closed this window
};

// Every menu window of the current visit, innermost last; a slot is null when its window could
// not be made. Emptied by destroyMenuWindows.
extern std::vector<MenuView*> OpenMenus;

// Shows the rows and returns when the player has closed the window: 1, or 0 (after telling
// the player) when the window could not be made.
int showMenuWindow(MenuNode* items, int itemCount);
// Destroys what is left of every menu window and forgets them; unregisters the class.
void destroyMenuWindows();
// One 100 ms tick of a menu window's controls: up, down, right, left, then close.
void menuTick(MenuView* view);
// Draws the rows into the view's picture, scrolled so that the selected row is shown.
void paintMenu(MenuView* view);
intptr_t menuWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2);
