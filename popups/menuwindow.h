// The menu window: one level of the options menu as rows of a label and its current choice,
// centred over the main screen and sized to its text, driven by the same controls as the main
// screen in a modal loop of its own. A sub-menu opens in a further window on top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Window;
struct Surface;

const char* const MenuWindowClass = "MenuWndClass";

// One row of a menu: an item with the values it can take, or a sub-menu.
struct MenuNode
{
    std::string Label;                // drawn on the left
    std::vector<std::string> Choices; // the values it can take, drawn on the right
    int Selected;                     // index into Choices; may be negative (shown as the first)
    std::vector<MenuNode> Children;   // the rows of a sub-menu, shown as "[...]"; else empty
};

// The selected choice; empty when there is none.
std::string choiceValue(const MenuNode& node);

// One open (or closed, until destroyMenuWindows) menu window.
struct MenuView
{
    std::vector<MenuNode>* Items; // the rows; not owned, changed in place
    std::string Title;            // drawn in the band at the top
    Window* MenuWindow;           // null once the window is destroyed
    Surface* BackBuffer;          // the client-sized picture everything is drawn into
    int SelectedRow;              // the highlighted row
    int FirstRow;                 // the top row shown
    int Closing;                  // the player closed this window
    int Behind;                   // a sub-menu is open over it: drawn dimmed
};

// Every menu window of the current visit, innermost last; a slot is null when its window could
// not be made. Emptied by destroyMenuWindows.
extern std::vector<MenuView*> OpenMenus;

// Shows the rows under the title and returns when the player has closed the window: 1, or 0 (after
// telling the player) when the window could not be made.
int showMenuWindow(std::vector<MenuNode>& items, const std::string& title);
// Destroys what is left of every menu window and forgets them; unregisters the class.
void destroyMenuWindows();
