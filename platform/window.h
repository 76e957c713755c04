// Windows, messages, timers, drawing surfaces, fonts, message boxes and the pointer: the
// small window system the front end runs on. All windows are rectangles composited into one
// full-screen SDL window; every one has a drawing surface of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Colours keep the layout 0x00BBGGRR (red in the low byte) everywhere outside this layer.
typedef uint32_t Color;

struct Window;  // opaque; owned by the layer from creation until platformDestroyWindow
struct Surface; // opaque pixel buffer with its drawing state (colours, mode, font)
struct Font;    // opaque; cached inside the layer, so creating one per draw is cheap

struct Rect
{
    int Left, Top, Right, Bottom;
};

// The messages a window procedure receives, in the order Windows would deliver them.
enum MessageKind
{
    MsgNone = 0,
    MsgNcCreate, // during creation, before MsgCreate; Param1 = the create parameter
    MsgCreate,   // during creation; Param1 = the create parameter
    MsgSize,     // client size changed; Param1 = width, Param2 = height
    MsgSetFocus,
    MsgKillFocus,
    MsgPaint, // sent only to an invalid window, only when nothing else is queued
    MsgTimer, // Param1 = timer id
    MsgDestroy,
    // Param1 = virtual-key code. The front end polls the keys instead; a window of another
    // program built on this layer (the demo's emulator) acts on a press through it.
    MsgKeyDown,
    MsgQuit, // Param1 = exit code; never dispatched to a window
    MsgUser = 0x400
};

struct Message
{
    Window* Target;
    int Kind;
    intptr_t Param1;
    intptr_t Param2;
};

typedef intptr_t (*WindowProc)(Window* window, int kind, intptr_t param1, intptr_t param2);

// Window styles.
enum
{
    StylePopup = 0,       // borderless
    StyleSizingFrame = 1, // a frame a few pixels wide drawn around the client area
};

// Show modes.
enum
{
    ShowHide = 0,
    ShowNormal = 1,
    ShowMaximized = 3, // covers the whole screen
};

const int DefaultPosition = INT32_MIN; // CW_USEDEFAULT for position and size

// Starts the layer: SDL, the one full-screen window (hidden until a window is shown), fonts
// and sound. Answers 1, or 0 with a line on standard error. Safe to call twice.
int platformStart();
// Ends the layer; destroys every window that is left.
void platformStop();
// Ends the process with code at once: the screen's window goes, and the memory, the sound
// device, the display and the input devices are left to the system to take back, as it does
// for any ending process (tearing them down one by one takes longer than the rest of the
// exit). Nothing written is lost: every file was closed, and standard output is flushed.
[[noreturn]] void platformLeaveNow(int code);
// When the X server or the Wayland compositor goes away, nothing can be shown again: the layer
// calls save (which must only write files; message boxes then go to standard error alone),
// says so on standard error and ends the process with DisplayLostExitCode, a failure, so that
// a service manager starts the front end again. The display is never touched again.
const int DisplayLostExitCode = 2;
void platformWhenDisplayLost(void (*save)());
// Gives up the screen's window while a game runs (on KMS/DRM the display device too), so that
// the game's own window is the only one (a second screen is closed too); the windows and their
// pictures stay. Taking it back makes the window anew at the display's size and shows the windows
// as they were; 0 when it could not (said on standard error). Nothing is shown in between.
void platformReleaseScreen();
int platformTakeBackScreen();
// 1 on the console (KMS/DRM), where the front end holds the display device itself.
int platformOwnsDisplayDevice();

// Window classes: registering a name twice fails (0).
int platformRegisterClass(const char* name, WindowProc proc);
int platformUnregisterClass(const char* name);

// Creates a window (not shown) and delivers MsgNcCreate and MsgCreate to its procedure
// before returning; null when the class is unknown or the creation handler answers -1.
Window* platformCreateWindow(const char* className, const char* title, int style, Window* owner,
                             int x, int y, int width, int height, intptr_t createParam);
// Shows or hides; showing a window the first time sends MsgSize; a shown pop-up gets the focus.
void platformShowWindow(Window* window, int mode);
void platformMoveWindow(Window* window, int x, int y, int width, int height);
// Sends MsgDestroy; the focus goes back to the owner. Answers 0 for an unknown window.
int platformDestroyWindow(Window* window);
Rect platformClientRect(Window* window);
// The outer rectangle, sizing frame included, in screen pixels.
Rect platformWindowRect(Window* window);
Rect platformScreenRect(); // the whole screen, as the windows see it (turned)
// Turns everything drawn by degrees clockwise (0, 90, 180 or 270; anything else is 0): with
// 90 the windows' top edge lies along the screen's right edge, and the screen rectangle is
// the turned one. Windows covering the screen are fitted to it.
void platformSetRotation(int degrees);
// Per-window data for the procedure's own use.
void platformSetWindowData(Window* window, intptr_t data);
intptr_t platformGetWindowData(Window* window);

void platformInvalidate(Window* window, int erase);
// Paints at once when the window is invalid.
void platformUpdateWindow(Window* window);
// The window's own surface; a paint handler draws into it. The same surface for the window's
// whole life: a size change resizes it (its picture is then blank) but never replaces it.
// While the window shows another surface (below), that one.
Surface* platformWindowSurface(Window* window);
// The window shows surface itself from now on, in place of a picture of its own (null: its own
// again, blank). For a window that draws off screen into a surface of its client's size and only
// copies it at a paint: its own picture would be one more copy, 8 MB on a 1920x1080 screen. Not
// owned; freeing the surface ends the loan.
void platformShowSurface(Window* window, Surface* surface);

// The message queue of the one thread. After a stop signal (platform/stop.h) the queue
// answers the quit message, with code 0, to every look and never lets it be taken.
int platformGetMessage(Message* message);  // waits; 0 when it took the quit message
int platformTakeMessage(Message* message); // 1 and removes it, 0 when none is waiting
intptr_t platformDispatchMessage(const Message* message);
void platformPostQuit(int exitCode);
intptr_t platformDefaultWindowProc(Window* window, int kind, intptr_t param1, intptr_t param2);
void platformPresent();

// Window timers by window and id: starting a running id restarts it; stopping an id that is
// not running is harmless.
void platformSetTimer(Window* window, int id, int milliseconds);
void platformKillTimer(Window* window, int id);

// Surfaces: memory surfaces of any size.
Surface* platformCreateSurface(int width, int height);
void platformFreeSurface(Surface* surface);
int platformSurfaceWidth(const Surface* surface);
int platformSurfaceHeight(const Surface* surface);
void platformFillRect(Surface* surface, Rect rect, Color color);
// A surface copied onto itself at the same place stays as it is, at no cost.
void platformCopyRect(Surface* target, int x, int y, int width, int height, const Surface* source,
                      int sourceX, int sourceY);
// Stretches a decoded picture (32-bit BGRA rows, bottomUp as FreeImage keeps them) into rect,
// nearest neighbour, clipped to the surface.
void platformStretchPicture(Surface* target, Rect rect, const uint8_t* bits, int width, int height,
                            int pitch, int bottomUp);
// Filled with brush, outlined with a 1-pixel black pen; corners are ellipses of the given size.
void platformRoundRect(Surface* surface, Rect rect, int ellipseWidth, int ellipseHeight,
                       Color brush);

// Text state of a surface.
enum
{
    BackgroundTransparent = 1,
    BackgroundOpaque = 2,
};
void platformSetTextColor(Surface* surface, Color color);
Color platformGetTextColor(const Surface* surface);
void platformSetBackgroundColor(Surface* surface, Color color);
void platformSetBackgroundMode(Surface* surface, int mode);
// Selects a font; answers the one selected before (null at first).
Font* platformSelectFont(Surface* surface, Font* font);
void platformTextOut(Surface* surface, int x, int y, const std::string& text);
// Top-left, no wrap, clipped to rect; a line break starts a new line.
void platformDrawText(Surface* surface, Rect rect, const std::string& text);

// Fonts: the face is resolved through fontconfig, an unknown face falls back to the default
// sans face. Pixel height is round(points * 96 / 72).
Font* platformCreateFont(const char* face, int points, int bold, int italic);
void platformFreeFont(Font* font);
int platformFontHeight(const Font* font); // line height, without external leading
// 0 when not even the default face could be opened for the font: nothing it draws is seen and
// its measurements mean nothing.
int platformFontUsable(const Font* font);
// The font text on the surface is drawn with: the selected one, or the layer's default.
const Font* platformSurfaceFont(const Surface* surface);
int platformTextWidth(const Font* font, const std::string& text);
// The full names of the installed TrueType fonts, sorted; a name installed twice comes twice.
std::vector<std::string> platformListFonts();
// 1 when face names an installed font, by its family, its full name or an alias the system
// resolves to another installed font (Arial to Liberation Sans); 0 when it would only get the
// default face.
int platformFontInstalled(const std::string& face);

// The pointer's display counter, as ShowCursor: answers the new counter.
int platformShowPointer(int show);
