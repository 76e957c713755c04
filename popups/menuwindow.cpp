// Each menu window draws into a picture of its own that painting copies, as the main window
// does. A window's record outlives the window until the whole menu is over, so a nested window
// that has closed is never looked up again: its record forgets the window when it goes.
#include "popups/menuwindow.h"

#include "config/settings.h"
#include "config/skin.h"
#include "display/backbuffer.h"
#include "display/placement.h"
#include "display/text.h"
#include "platform/messagebox.h"
#include "platform/window.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>

std::vector<MenuView*> OpenMenus;

const int MenuGap = 112; // the room between the widest label and the widest value

std::string choiceValue(const MenuNode& node)
{
    if (node.Choices.empty()) return "";
    return node.Choices[std::clamp(node.Selected, 0, (int)node.Choices.size() - 1)];
}

static int rowCount(const MenuView* view)
{
    return (int)view->Items->size();
}

static void useMenuFont(Surface* surface, int emphasised)
{
    createFont(surface, Skin.Menu.Fontface, screenFontSize(Skin.Menu.Fontsize), emphasised);
}

// Inside the border, half a line: it grows with the font and so with the screen.
static int menuMargin(Surface* surface)
{
    return std::max(getTextHeight(surface) / 2, 6);
}

// When the selected row is off the page, the page is moved to show it in its middle, within
// the rows there are.
static void scrollToSelection(MenuView* view, int visibleRows)
{
    if (view->SelectedRow >= view->FirstRow && view->SelectedRow < view->FirstRow + visibleRows)
        return;
    int first = view->SelectedRow - visibleRows / 2;
    if (first < 0) first = 0;
    if (first > rowCount(view) - visibleRows) first = rowCount(view) - visibleRows;
    view->FirstRow = std::max(first, 0);
}

// Halfway from colour to the background: a menu behind a sub-menu steps back, so that its
// values are not read as the sub-menu's.
static uint32_t dimmed(uint32_t colour)
{
    uint32_t toward = Skin.Menu.Backgroundcolor, mixed = 0;
    for (int shift = 0; shift < 24; shift += 8)
        mixed |= ((((colour >> shift) & 0xFF) + ((toward >> shift) & 0xFF)) / 2) << shift;
    return mixed;
}

static uint32_t ink(const MenuView* view, uint32_t colour)
{
    return view->Behind ? dimmed(colour) : colour;
}

// The band that names the menu: a line of text with half a margin above and below.
static int titleBandHeight(Surface* surface)
{
    return getTextHeight(surface) + menuMargin(surface);
}

static void paintTitle(MenuView* view, int clientWidth)
{
    Surface* surface = view->BackBuffer;
    int band = titleBandHeight(surface), margin = menuMargin(surface);
    platformFillRect(surface, Rect{0, 0, clientWidth, band}, ink(view, Skin.Menu.TitleBackcolor));
    useMenuFont(surface, 1);
    platformSetTextColor(surface, ink(view, Skin.Menu.TitleForecolor));
    platformTextOut(surface, margin, margin / 2,
                    fitToWidth(surface, view->Title, clientWidth - 2 * margin));
    useMenuFont(surface, 0);
    platformSetTextColor(surface, ink(view, Skin.Menu.Fontcolor));
}

// The current row has a bar in the look's title colours, as the list's current game has,
// readable from a few steps away.
static void paintRow(MenuView* view, int index, int y, int clientWidth)
{
    Surface* surface = view->BackBuffer;
    const MenuNode& node = (*view->Items)[index];
    int selected = index == view->SelectedRow, margin = menuMargin(surface);
    if (selected)
    {
        platformFillRect(
            surface,
            Rect{PopupFrameWidth, y, clientWidth - PopupFrameWidth, y + getTextHeight(surface)},
            ink(view, Skin.Menu.TitleBackcolor));
        platformSetTextColor(surface, ink(view, Skin.Menu.TitleForecolor));
    }
    platformTextOut(surface, margin, y, node.Label);
    if (!node.Choices.empty() || !node.Children.empty())
    {
        std::string value = !node.Children.empty() ? "[...]" : choiceValue(node);
        platformTextOut(surface, clientWidth - getTextWidth(surface, value) - margin, y, value);
    }
    if (selected) platformSetTextColor(surface, ink(view, Skin.Menu.Fontcolor));
}

// The rows, scrolled so that the selected row is shown.
static void paintMenu(MenuView* view)
{
    Surface* surface = view->BackBuffer;
    if (!surface || !view->MenuWindow) return;
    Rect client = platformClientRect(view->MenuWindow);
    useMenuFont(surface, 0);
    platformSetTextColor(surface, ink(view, Skin.Menu.Fontcolor));
    platformSetBackgroundMode(surface, BackgroundTransparent);
    fillFramed(surface, client, ink(view, Skin.Menu.TitleBackcolor), Skin.Menu.Backgroundcolor);
    paintTitle(view, client.Right);
    int margin = menuMargin(surface), top = titleBandHeight(surface) + margin;
    int visibleRows = countVisibleRows(surface, client.Right, client.Bottom, top + margin);
    int lineHeight = getTextHeight(surface);
    scrollToSelection(view, visibleRows);
    for (int r = 0; r < visibleRows && view->FirstRow + r < rowCount(view); r++)
        paintRow(view, view->FirstRow + r, top + r * lineHeight, client.Right);
}

static void repaint(MenuView* view)
{
    paintMenu(view);
    platformInvalidate(view->MenuWindow, 0);
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
    Surface* surface = view->BackBuffer;
    int widestLabel = 0, widestChoice = 0;
    for (const MenuNode& node : *view->Items)
    {
        widestLabel = std::max(widestLabel, getTextWidth(surface, node.Label));
        for (const std::string& choice : node.Choices)
            widestChoice = std::max(widestChoice, getTextWidth(surface, choice));
    }
    int margin = menuMargin(surface);
    int64_t wantedWidth = (int64_t)widestLabel + widestChoice + MenuGap + 2 * margin;
    useMenuFont(surface, 1);
    wantedWidth = std::max<int64_t>(wantedWidth, getTextWidth(surface, view->Title) + 2 * margin);
    useMenuFont(surface, 0);
    int64_t wantedHeight =
        (int64_t)getTextHeight(surface) * rowCount(view) + 2 * margin + titleBandHeight(surface);
    Rect screen = platformClientRect(FrontendState.MainWindow);
    *width = (int)std::min<int64_t>(wantedWidth, screen.Right);
    *height = (int)std::min<int64_t>(wantedHeight, screen.Bottom);
}

static void layoutMenu(MenuView* view)
{
    Window* window = view->MenuWindow;
    Rect client = platformClientRect(window);
    view->BackBuffer = renewBackBuffer(window, view->BackBuffer);
    useMenuFont(view->BackBuffer, 0);
    int width, height;
    wantedClientSize(view, &width, &height);
    if (client.Right != width || client.Bottom != height) placeMenuWindow(window, width, height);
    repaint(view);
}

static void onDestroy(MenuView* view)
{
    if (view->BackBuffer) platformFreeSurface(view->BackBuffer);
    view->BackBuffer = nullptr;
    view->MenuWindow = nullptr;
}

static intptr_t menuWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    if (kind == MsgNcCreate) // param1 is the view the window shows
    {
        platformSetWindowData(window, param1);
        ((MenuView*)param1)->MenuWindow = window;
        return platformDefaultWindowProc(window, kind, param1, param2);
    }
    MenuView* view = (MenuView*)platformGetWindowData(window);
    if (!view) return 0;
    if (handleCommonMessage(window, kind, view->BackBuffer)) return 0;
    switch (kind)
    {
    case MsgCreate:
        view->BackBuffer = renewBackBuffer(window, nullptr);
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
    int count = (int)node.Choices.size();
    if (count <= 0) return;
    if (forward)
        node.Selected = node.Selected < 0 || node.Selected >= count - 1 ? 0 : node.Selected + 1;
    else
        node.Selected =
            node.Selected <= 0 || node.Selected > count - 1 ? count - 1 : node.Selected - 1;
}

static void openOrStep(MenuView* view)
{
    MenuNode& node = (*view->Items)[view->SelectedRow];
    if (!node.Children.empty())
    {
        view->Behind = 1;
        repaint(view);
        showMenuWindow(node.Children, node.Label);
        view->Behind = 0;
        if (view->MenuWindow) repaint(view);
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
        view->SelectedRow = view->SelectedRow > 0 ? view->SelectedRow - 1 : rows - 1;
        repaint(view);
    }
    if (down && rows > 0)
    {
        view->SelectedRow = view->SelectedRow < rows - 1 ? view->SelectedRow + 1 : 0;
        repaint(view);
    }
    if (right && rows > 0) openOrStep(view);
    if (left && rows > 0)
    {
        stepChoice((*view->Items)[view->SelectedRow], 0);
        repaint(view);
    }
    if (close) view->Closing = 1;
}

// Closing ends the loop before anything more is taken, so no message is lost; the quit
// message ends it too, and the front end runs on.
static void runMenuLoop(MenuView* view)
{
    if (!runTickLoop([view] { menuTick(view); }, &view->Closing, nullptr))
        platformMessageBox(nullptr, NoCounterText, "Error");
}

int showMenuWindow(std::vector<MenuNode>& items, const std::string& title)
{
    MenuView* view = new MenuView{};
    view->Items = &items;
    view->Title = title;
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
    flushKeyboard(); // neither a press from before nor the key that opened it acts here
    runMenuLoop(view);
    flushKeyboard(); // nor the key that closed it, in the window below
    if (view->MenuWindow)
        platformDestroyWindow(view->MenuWindow); // not when it went with its owner
    return 1;
}

void destroyMenuWindows()
{
    for (MenuView* view : OpenMenus)
    {
        if (view && view->MenuWindow) platformDestroyWindow(view->MenuWindow);
        delete view;
    }
    OpenMenus.clear();
    platformUnregisterClass(MenuWindowClass);
}
