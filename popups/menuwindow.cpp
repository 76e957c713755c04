// Each menu window draws into a picture of its own that painting copies, as the main window
// does. A window's record outlives the window until the whole menu is over, so a nested window
// that has closed is never looked up again: its record forgets the window when it goes.
#include "popups/menuwindow.h"

#include "config/settings.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/placement.h"
#include "display/text.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>

std::vector<MenuView*> OpenMenus;

const int MenuMargin = 6;      // left of a label and right of a value
const int MenuGap = 112;       // the room between the widest label and the widest value
const int CloseSettleMs = 500; // after closing, so the close key is let go

std::string choiceValue(const MenuNode& node)
{
    if (node.choices.empty()) return "";
    return node.choices[std::clamp(node.selected, 0, (int)node.choices.size() - 1)];
}

static int rowCount(const MenuView* view)
{
    return (int)view->items->size();
}

static void useMenuFont(Surface* dc, int emphasised)
{
    createFont(dc, Skin.Fontface, screenFontSize(Skin.MenuFontSize), emphasised);
}

// When the selected row is off the page, the page is moved to show it in its middle, within
// the rows there are.
static void scrollToSelection(MenuView* view, int visibleRows)
{
    if (view->selectedRow >= view->firstRow && view->selectedRow < view->firstRow + visibleRows)
        return;
    int first = view->selectedRow - visibleRows / 2;
    if (first < 0) first = 0;
    if (first > rowCount(view) - visibleRows) first = rowCount(view) - visibleRows;
    view->firstRow = std::max(first, 0);
}

static void paintRow(MenuView* view, int index, int y, int clientWidth)
{
    Surface* dc = view->memoryDC;
    const MenuNode& node = (*view->items)[index];
    int selected = index == view->selectedRow;
    if (selected) useMenuFont(dc, 1); // no bar: only the font shows the selection
    platformTextOut(dc, MenuMargin, y, node.label);
    if (!node.choices.empty() || !node.children.empty())
    {
        std::string value = !node.children.empty() ? "[...]" : choiceValue(node);
        platformTextOut(dc, clientWidth - getTextWidth(dc, value) - MenuMargin, y, value);
    }
    if (selected) useMenuFont(dc, 0);
}

// The rows, scrolled so that the selected row is shown.
static void paintMenu(MenuView* view)
{
    Surface* dc = view->memoryDC;
    if (!dc || !view->window) return;
    Rect client = platformClientRect(view->window);
    useMenuFont(dc, 0);
    platformSetTextColor(dc, Skin.Fontcolor);
    platformSetBackgroundMode(dc, BackgroundTransparent);
    platformFillRect(dc, client, Skin.Backgroundcolor);
    int visibleRows = countVisibleRows(dc, client.Right, client.Bottom, 0);
    int lineHeight = getTextHeight(dc);
    scrollToSelection(view, visibleRows);
    for (int r = 0; r < visibleRows && view->firstRow + r < rowCount(view); r++)
        paintRow(view, view->firstRow + r, r * lineHeight, client.Right);
}

static void repaint(MenuView* view)
{
    paintMenu(view);
    platformInvalidate(view->window, 0);
}

// The window's outer size follows from the client size wanted; it is centred on the main
// window. It is moved only when that changes something, so a platform that keeps windows
// within the screen cannot make the size changes go on for ever.
static void placeMenuWindow(Window* window, int wantedWidth, int wantedHeight)
{
    Rect outer = platformWindowRect(window), client = platformClientRect(window);
    int width = wantedWidth + (outer.Right - outer.Left) - client.Right;
    int height = wantedHeight + (outer.Bottom - outer.Top) - client.Bottom;
    Rect main = platformClientRect(FrontendState.MainWindow);
    int x = std::max((main.Right - wantedWidth) / 2, 0);
    int y = std::max((main.Bottom - wantedHeight) / 2, 0);
    if (x == outer.Left && y == outer.Top && width == outer.Right - outer.Left &&
        height == outer.Bottom - outer.Top)
        return;
    platformMoveWindow(window, x, y, width, height);
}

// The sub-menu marker is not measured: a value column as wide as the widest choice holds it.
// A menu larger than the screen is kept within it, as a window system would, and its rows
// scroll.
static void wantedClientSize(MenuView* view, int* width, int* height)
{
    Surface* dc = view->memoryDC;
    int widestLabel = 0, widestChoice = 0;
    for (const MenuNode& node : *view->items)
    {
        widestLabel = std::max(widestLabel, getTextWidth(dc, node.label));
        for (const std::string& choice : node.choices)
            widestChoice = std::max(widestChoice, getTextWidth(dc, choice));
    }
    int64_t wantedWidth = (int64_t)widestLabel + widestChoice + MenuGap;
    int64_t wantedHeight = (int64_t)getTextHeight(dc) * rowCount(view);
    Rect screen = platformClientRect(FrontendState.MainWindow);
    *width = (int)std::min<int64_t>(wantedWidth, screen.Right);
    *height = (int)std::min<int64_t>(wantedHeight, screen.Bottom);
}

static void layoutMenu(MenuView* view)
{
    Window* window = view->window;
    Rect client = platformClientRect(window);
    view->memoryDC = renewBackBuffer(window, view->memoryDC);
    useMenuFont(view->memoryDC, 0);
    int width, height;
    wantedClientSize(view, &width, &height);
    if (client.Right != width || client.Bottom != height) placeMenuWindow(window, width, height);
    repaint(view);
}

static void onDestroy(MenuView* view)
{
    if (view->memoryDC) platformFreeSurface(view->memoryDC);
    view->memoryDC = nullptr;
    view->window = nullptr;
}

static intptr_t menuWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    if (kind == MsgNcCreate) // param1 is the view the window shows
    {
        platformSetWindowData(window, param1);
        ((MenuView*)param1)->window = window;
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
    MenuView* view = (MenuView*)platformGetWindowData(window);
    if (!view) return 0;
    if (handleCommonMessage(window, kind, view->memoryDC)) return 0;
    switch (kind)
    {
    case MsgCreate:
        view->memoryDC = renewBackBuffer(window, nullptr);
        return 0;
    case MsgDestroy:
        onDestroy(view);
        return 0;
    case MsgSize:
        layoutMenu(view);
        return 0;
    default:
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
}

// Right steps forward and wraps to the first choice; left steps back and wraps to the last. A
// row without choices (a sub-menu) has nothing to step through.
static void stepChoice(MenuNode& node, int forward)
{
    int count = (int)node.choices.size();
    if (count <= 0) return;
    if (forward)
        node.selected = node.selected < 0 || node.selected >= count - 1 ? 0 : node.selected + 1;
    else
        node.selected =
            node.selected <= 0 || node.selected > count - 1 ? count - 1 : node.selected - 1;
}

static void openOrStep(MenuView* view)
{
    MenuNode& node = (*view->items)[view->selectedRow];
    if (!node.children.empty())
    {
        showMenuWindow(node.children);
        flushKeyboard(); // the keys that closed the sub-menu are not for this one
        return;
    }
    stepChoice(node, 1);
    repaint(view);
}

// One 100 ms tick of a menu window's controls: up, down, right, left, then close.
static void menuTick(MenuView* view)
{
    int up = isControlActive(KeySelectUp, KeyP2SelectUp);
    int down = isControlActive(KeySelectDown, KeyP2SelectDown);
    int right = isControlActive(KeySelectPageDown, KeyP2SelectPageDown);
    int left = isControlActive(KeySelectPageUp, KeyP2SelectPageUp);
    int close = isControlActive(KeyExit, KeyP2Exit);
    close |= isControlActive(KeyShowMenu, KeyP2ShowMenu); // both tested, every tick
    int rows = rowCount(view);
    if (up && rows > 0)
    {
        view->selectedRow = view->selectedRow > 0 ? view->selectedRow - 1 : rows - 1;
        repaint(view);
    }
    if (down && rows > 0)
    {
        view->selectedRow = view->selectedRow < rows - 1 ? view->selectedRow + 1 : 0;
        repaint(view);
    }
    if (right && rows > 0) openOrStep(view);
    if (left && rows > 0)
    {
        stepChoice((*view->items)[view->selectedRow], 0);
        repaint(view);
    }
    if (close)
    {
        view->closing = 1;
        platformSleep(CloseSettleMs);
    }
}

// Closing ends the loop before anything more is taken, so no message is lost; the quit
// message ends it too, and the front end runs on.
static void runMenuLoop(MenuView* view)
{
    if (!runTickLoop([view] { menuTick(view); }, &view->closing, nullptr))
        platformMessageBox(nullptr, NoCounterText, "Error");
}

int showMenuWindow(std::vector<MenuNode>& items)
{
    MenuView* view = new MenuView{};
    view->items = &items;
    OpenMenus.push_back(view);
    size_t slot = OpenMenus.size() - 1;
    platformRegisterClass(MenuWindowClass, menuWindowProc); // fails only when registered
    Window* window = platformCreateWindow(MenuWindowClass, "", StyleSizingFrame,
                                          FrontendState.MainWindow, 0, 0, 100, 100, (intptr_t)view);
    if (!window)
    {
        platformMessageBox(nullptr, "Failed to create message window!", "Error!");
        delete view;
        OpenMenus[slot] = nullptr;
        return 0;
    }
    platformShowWindow(window, ShowNormal);
    platformUpdateWindow(window);
    flushKeyboard();
    runMenuLoop(view);
    if (view->window) platformDestroyWindow(view->window); // not when it went with its owner
    return 1;
}

void destroyMenuWindows()
{
    for (MenuView* view : OpenMenus)
    {
        if (view && view->window) platformDestroyWindow(view->window);
        delete view;
    }
    OpenMenus.clear();
    platformUnregisterClass(MenuWindowClass);
}
