// The small window system: classes, windows, focus and compositing into the one SDL window.
// The message queue and the timers are in messages.cpp.
#include "platform/window.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <algorithm>
#include <cstdio>

struct WindowClass
{
    std::string Name;
    WindowProc Proc;
};

struct Window
{
    WindowProc Proc;
    int Style;
    Window* Owner;
    int X, Y, Width, Height; // the outer rectangle, frame included, in screen pixels
    int Visible;
    int SizeSent; // the procedure has been told its client size
    int Invalid, Erase;
    int Destroying;
    intptr_t Data;
    Surface* Own;
    Surface* Shown; // lent by platformShowSurface; null: Own is shown
};

// Thickness of the sizing frame drawn around a framed pop-up's client area.
const int FrameWidth = 4;
const Color FrameLight = 0xE0E0E0, FrameFace = 0xC0C0C0, FrameDark = 0x404040;

static std::vector<WindowClass> Classes;
static std::vector<Window*> Windows; // in creation order
static Window* FocusWindow;
static int ScreenHasFocus = 1;

static WindowClass* findClass(const char* name)
{
    for (WindowClass& windowClass : Classes)
        if (SDL_strcasecmp(windowClass.Name.c_str(), name) == 0) return &windowClass;
    return nullptr;
}

int platformRegisterClass(const char* name, WindowProc proc)
{
    if (!name || !proc || findClass(name)) return 0;
    Classes.push_back({name, proc});
    return 1;
}

int platformUnregisterClass(const char* name)
{
    for (size_t i = 0; name && i < Classes.size(); i++)
        if (SDL_strcasecmp(Classes[i].Name.c_str(), name) == 0)
        {
            Classes.erase(Classes.begin() + (long)i);
            return 1;
        }
    return 0;
}

int platformIsWindowVisible(Window* window)
{
    return isWindow(window) && window->Visible;
}

int isWindow(Window* window)
{
    return window && std::find(Windows.begin(), Windows.end(), window) != Windows.end();
}

static int frameOf(const Window* window)
{
    return (window->Style & StyleSizingFrame) ? FrameWidth : 0;
}

static void clientSize(const Window* window, int* width, int* height)
{
    int frame = frameOf(window);
    *width = std::max(0, window->Width - 2 * frame);
    *height = std::max(0, window->Height - 2 * frame);
}

Rect platformClientRect(Window* window)
{
    Rect rect = {0, 0, 0, 0};
    if (isWindow(window)) clientSize(window, &rect.Right, &rect.Bottom);
    return rect;
}

Rect platformWindowRect(Window* window)
{
    if (!isWindow(window)) return {0, 0, 0, 0};
    return {window->X, window->Y, window->X + window->Width, window->Y + window->Height};
}

Rect platformScreenRect()
{
    return {0, 0, Layer.ScreenWidth, Layer.ScreenHeight};
}

void platformSetWindowData(Window* window, intptr_t data)
{
    if (isWindow(window)) window->Data = data;
}

intptr_t platformGetWindowData(Window* window)
{
    return isWindow(window) ? window->Data : 0;
}

// What the window shows: the surface lent to it, else its own.
static Surface* shownSurface(const Window* window)
{
    return window->Shown ? window->Shown : window->Own;
}

Surface* platformWindowSurface(Window* window)
{
    return isWindow(window) ? shownSurface(window) : nullptr;
}

intptr_t sendMessage(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    if (!isWindow(window)) return 0;
    return window->Proc(window, kind, param1, param2);
}

intptr_t platformDefaultWindowProc(Window*, int kind, intptr_t, intptr_t)
{
    return kind == MsgNcCreate ? 1 : 0;
}

void markDirty(Window* window)
{
    if (window && window->Visible) Layer.Dirty = 1;
}

static Window* newWindow(WindowProc proc, int style, Window* owner, int x, int y, int width,
                         int height)
{
    Window* window = new Window();
    window->Proc = proc;
    window->Style = style;
    window->Owner = isWindow(owner) ? owner : nullptr;
    // A pop-up at the default place and size starts empty at the origin, as on the system
    // the front end was made for; showing it maximised gives it the screen.
    window->X = x == DefaultPosition ? 0 : x;
    window->Y = y == DefaultPosition ? 0 : y;
    window->Width = width == DefaultPosition ? 0 : std::max(0, width);
    window->Height = height == DefaultPosition ? 0 : std::max(0, height);
    int clientWidth, clientHeight;
    clientSize(window, &clientWidth, &clientHeight);
    window->Own = createSurfaceFor(window, clientWidth, clientHeight);
    return window;
}

Window* platformCreateWindow(const char* className, const char* title, int style, Window* owner,
                             int x, int y, int width, int height, intptr_t createParam)
{
    WindowClass* windowClass = className ? findClass(className) : nullptr;
    if (!windowClass || !Layer.Started) return nullptr;
    Window* window = newWindow(windowClass->Proc, style, owner, x, y, width, height);
    Windows.push_back(window);
    if (!window->Owner && title && *title)
    {
        Layer.Title = title;
        SDL_SetWindowTitle(Layer.Screen, title);
    }
    if (window->Proc(window, MsgNcCreate, createParam, 0) == -1 ||
        window->Proc(window, MsgCreate, createParam, 0) == -1)
    {
        platformDestroyWindow(window);
        return nullptr;
    }
    return isWindow(window) ? window : nullptr;
}

static void sendFocusChange(Window* from, Window* to)
{
    if (!ScreenHasFocus) return;
    if (isWindow(from)) sendMessage(from, MsgKillFocus, (intptr_t)to, 0);
    if (isWindow(to) && FocusWindow == to) sendMessage(to, MsgSetFocus, (intptr_t)from, 0);
}

void setFocus(Window* window)
{
    if (window && !isWindow(window)) return;
    if (window == FocusWindow) return;
    Window* previous = FocusWindow;
    FocusWindow = window;
    sendFocusChange(previous, window);
}

Window* platformFocusWindow()
{
    return FocusWindow;
}

void screenFocusChanged(int gained)
{
    if (gained == ScreenHasFocus) return;
    if (!gained && isWindow(FocusWindow)) sendMessage(FocusWindow, MsgKillFocus, 0, 0);
    ScreenHasFocus = gained;
    if (gained && isWindow(FocusWindow)) sendMessage(FocusWindow, MsgSetFocus, 0, 0);
}

// Focus leaving a window goes to its owner when the owner can take it.
static void passFocusOn(Window* window)
{
    if (FocusWindow != window) return;
    Window* owner = window->Owner;
    setFocus(isWindow(owner) && owner->Visible ? owner : nullptr);
}

static void sendSizeWhenChanged(Window* window, int previousWidth, int previousHeight)
{
    int width, height;
    clientSize(window, &width, &height);
    if (window->SizeSent && width == previousWidth && height == previousHeight) return;
    if (!window->Shown) resizeSurface(window->Own, width, height);
    window->SizeSent = 1;
    sendMessage(window, MsgSize, width, height);
}

static void placeWindow(Window* window, int x, int y, int width, int height)
{
    int previousWidth, previousHeight;
    clientSize(window, &previousWidth, &previousHeight);
    window->X = x;
    window->Y = y;
    window->Width = std::max(0, width);
    window->Height = std::max(0, height);
    window->Invalid = window->Erase = 1;
    Layer.Dirty = 1;
    sendSizeWhenChanged(window, previousWidth, previousHeight);
}

void showScreen()
{
    if (Layer.ScreenShown) return;
    Layer.ScreenShown = 1;
    SDL_ShowWindow(Layer.Screen);
    SDL_RaiseWindow(Layer.Screen);
}

void takeScreenFocus()
{
    if (!Layer.ScreenShown || !Layer.RealDisplay) return;
    SDL_RaiseWindow(Layer.Screen);
    SDL_SetWindowInputFocus(Layer.Screen);
}

void platformShowWindow(Window* window, int mode)
{
    if (!isWindow(window)) return;
    if (mode == ShowHide)
    {
        if (!window->Visible) return;
        window->Visible = 0;
        Layer.Dirty = 1;
        passFocusOn(window);
        return;
    }
    if (mode == ShowMaximized)
        placeWindow(window, 0, 0, Layer.ScreenWidth, Layer.ScreenHeight);
    else if (!window->SizeSent)
        sendSizeWhenChanged(window, -1, -1);
    if (!isWindow(window)) return; // the size handler may have destroyed it
    if (!window->Visible) window->Invalid = window->Erase = 1;
    window->Visible = 1;
    Layer.Dirty = 1;
    showScreen();
    setFocus(window);
}

void platformMoveWindow(Window* window, int x, int y, int width, int height)
{
    if (isWindow(window)) placeWindow(window, x, y, width, height);
}

static void destroyOwnedWindows(Window* owner)
{
    std::vector<Window*> owned;
    for (Window* window : Windows)
        if (window->Owner == owner) owned.push_back(window);
    for (Window* window : owned) platformDestroyWindow(window);
}

int platformDestroyWindow(Window* window)
{
    if (!isWindow(window) || window->Destroying) return 0;
    window->Destroying = 1;
    destroyOwnedWindows(window);
    if (window->Visible)
    {
        window->Visible = 0;
        Layer.Dirty = 1;
    }
    passFocusOn(window);
    if (FocusWindow == window) FocusWindow = nullptr;
    forgetWindowMessages(window);
    window->Proc(window, MsgDestroy, 0, 0);
    Windows.erase(std::find(Windows.begin(), Windows.end(), window));
    forgetWindowMessages(window); // what the destruction handler posted to itself
    freeSurfaceRecord(window->Own);
    delete window;
    return 1;
}

void platformShowSurface(Window* window, Surface* surface)
{
    if (!isWindow(window)) return;
    window->Shown = surface;
    int width, height;
    clientSize(window, &width, &height);
    resizeSurface(window->Own, surface ? 1 : width, surface ? 1 : height); // unused meanwhile
    markDirty(window);
}

void endSurfaceLoans(const Surface* surface)
{
    for (Window* window : Windows)
        if (window->Shown == surface) platformShowSurface(window, nullptr);
}

void platformInvalidate(Window* window, int erase)
{
    if (!isWindow(window)) return;
    window->Invalid = 1;
    if (erase) window->Erase = 1;
}

// Validates before the handler runs, so a handler that invalidates again gets another paint.
void paintWindow(Window* window)
{
    window->Invalid = 0;
    // A surface the window shows is its owner's whole picture, not a background to clear.
    if (window->Erase && !window->Shown)
        platformFillRect(window->Own, platformClientRect(window), 0);
    window->Erase = 0;
    sendMessage(window, MsgPaint, 0, 0);
    markDirty(window);
}

void platformUpdateWindow(Window* window)
{
    if (isWindow(window) && window->Visible && window->Invalid) paintWindow(window);
}

// Owners before the windows they own, each group in creation order: the compositing order.
static void appendInStackOrder(Window* owner, std::vector<Window*>& order)
{
    for (Window* window : Windows)
        if (window->Owner == owner)
        {
            order.push_back(window);
            appendInStackOrder(window, order);
        }
}

std::vector<Window*> windowsInStackOrder()
{
    std::vector<Window*> order;
    order.reserve(Windows.size());
    appendInStackOrder(nullptr, order);
    return order;
}

Window* firstInvalidWindow()
{
    for (Window* window : windowsInStackOrder())
        if (window->Visible && window->Invalid) return window;
    return nullptr;
}

static void fillScreenRect(SDL_Surface* screen, int x, int y, int width, int height, Color color)
{
    SDL_Rect rect = {x, y, width, height};
    SDL_FillRect(
        screen, &rect,
        SDL_MapRGB(screen->format, color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
}

// A raised frame: light outer edge, face in between, dark inner edge.
static void drawFrame(SDL_Surface* screen, const Window* window)
{
    fillScreenRect(screen, window->X, window->Y, window->Width, window->Height, FrameLight);
    fillScreenRect(screen, window->X + 1, window->Y + 1, window->Width - 2, window->Height - 2,
                   FrameFace);
    fillScreenRect(screen, window->X + FrameWidth - 1, window->Y + FrameWidth - 1,
                   window->Width - 2 * FrameWidth + 2, window->Height - 2 * FrameWidth + 2,
                   FrameDark);
}

static void composeWindow(SDL_Surface* screen, const Window* window)
{
    if (frameOf(window)) drawFrame(screen, window);
    int frame = frameOf(window);
    const Surface* shown = shownSurface(window);
    int width, height;
    clientSize(window, &width, &height);
    SDL_Rect source = {0, 0, std::min(shown->Width, width), std::min(shown->Height, height)};
    SDL_Rect target = {window->X + frame, window->Y + frame, 0, 0};
    SDL_BlitSurface(shown->Pixels, &source, screen, &target);
}

static int covers(const Window* window, int width, int height)
{
    return window->X <= 0 && window->Y <= 0 && window->X + window->Width >= width &&
           window->Y + window->Height >= height;
}

static int coversScreen(const Window* window)
{
    return window->Visible && covers(window, Layer.ScreenWidth, Layer.ScreenHeight);
}

SDL_Surface* composeScreen()
{
    SDL_Surface* screen = composeTarget();
    if (!screen) return nullptr;
    // Under a full-screen window the black would be drawn over at once.
    if (std::none_of(Windows.begin(), Windows.end(), coversScreen))
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
    for (Window* window : windowsInStackOrder())
        if (window->Visible) composeWindow(screen, window);
    return screen;
}

static void (*PresentHook)();

void testOnPresent(void (*hook)())
{
    PresentHook = hook;
}

void platformPresent()
{
    if (!Layer.Started) return;
    Layer.Dirty = 0;
    showComposed(composeScreen());
    if (PresentHook) PresentHook();
}

void presentIfDirty()
{
    if (Layer.Dirty && Layer.ScreenShown) platformPresent();
}

// The main window and anything else shown maximised keep covering the screen.
void refitScreenWindows(int oldWidth, int oldHeight)
{
    std::vector<Window*> covering;
    for (Window* window : Windows)
        if (covers(window, oldWidth, oldHeight)) covering.push_back(window);
    for (Window* window : covering)
        if (isWindow(window)) placeWindow(window, 0, 0, Layer.ScreenWidth, Layer.ScreenHeight);
}

void startWindows()
{
    ScreenHasFocus = 1;
    FocusWindow = nullptr;
}

void stopWindows()
{
    while (!Windows.empty()) platformDestroyWindow(Windows.back());
    Classes.clear();
    FocusWindow = nullptr;
    stopMessages();
}

Color testScreenPixel(int x, int y)
{
    return windowPixel(Layer.Screen, x, y);
}
