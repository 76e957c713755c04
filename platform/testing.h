// Seams for tests: a clock the test advances, keys and mouse buttons it presses, a virtual
// joystick, message boxes and sounds recorded instead of shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef uint32_t Color;

// Starts the layer on SDL's dummy drivers with every seam switched on: message boxes are
// recorded and do not block, the test clock replaces the counter and sleeping.
void startTestPlatform();
// Makes the next start's screen this size instead of the desktop's (before startTestPlatform).
void testUseScreenSize(int width, int height);
// Resizes the running screen as a window manager would, and delivers the resulting events.
void testResizeScreen(int width, int height);
// As if another program took the real window's focus (0) or gave it back (1).
void testScreenFocus(int gained);

// The system lists count displays from now on (-1: the system's own count again); those the
// dummy driver lacks are width x height. The second screen's pixel, 0xFFFFFFFF outside it.
void testPretendDisplays(int count, int width, int height);
Color testSecondScreenPixel(int x, int y);
// Reads the input devices of folder (FIFOs a test writes the kernel's input events into) as
// those of /dev/input; an empty folder goes back to /dev/input. Started at once.
void testUseInputDevices(const std::string& folder);
// The pointer moved by dx, dy, as an event of the window system.
void testMovePointer(int dx, int dy);
// The display a pretended compositor puts the second screen's window on, whatever was asked,
// now and when it opens; -1 puts it where asked (the default again after testPretendDisplays).
void testPretendLanding(int display);

// Test clock: frequency 0 simulates a machine without a counter. platformSleep advances it.
void testUseClock(int64_t frequency);
void testAdvanceClock(int64_t counts);
void testUseRealClock();

void testPressKey(int code);
void testReleaseKey(int code);
void testTapKey(int code); // pressed and released before the next query

// Plugs in a virtual device: a game controller SDL knows (its buttons in SDL's virtual order:
// A, B, X, Y, Back, Guide, Start, the stick presses, the shoulders, then the d-pad up, down,
// left and right; its axes left x and y first), or a device without a mapping. Answers the
// handle the calls below take, -1 when SDL refuses.
int testPlugJoystick(int controller, int axes, int buttons, int hats);
void testUnplugJoystick(int handle);
void testJoystickAxis(int handle, int axis, int16_t value);
void testJoystickButton(int handle, int button, int down); // the device's own button 0, 1, ...
void testJoystickHat(int handle, int hat, uint8_t value);  // 1 up, 2 right, 4 down, 8 left

struct RecordedMessageBox
{
    std::string Text;
    std::string Caption;
    int HadOwner;
};
std::vector<RecordedMessageBox>& testMessageBoxes();
std::vector<std::string>& testSoundsPlayed();
// Samples of video sound queued since the start.
int64_t testVideoSoundQueued();
// Called with the milliseconds of every sleep on the test clock, after the clock advanced: a
// test can act "meanwhile" (press a key while a game runs). Null for none.
void testOnSleep(void (*hook)(int milliseconds));

// Called after every present of the screen; also without the other seams (a benchmark's
// probe of the real program). Null for none.
void testOnPresent(void (*hook)());

// Power-off requests made so far, and whether the next ones are accepted (at first they are).
int& testPowerOffRequests();
void testAnswerPowerOff(int accepted);
// The X screen saver's state now (0 off, 1 on, 3 disabled), -1 without an X display; and its
// timeout set for the whole display (0 switches it off).
int platformScreenSaverState();
int platformSetScreenSaverTimeout(int seconds);
// A pixel of the physical screen as the last present left it.
Color testScreenPixel(int x, int y);

// What only tests (and the start benchmark's probe) look at or arrange in the window system:
// a surface's pixel, the window with the focus, whether a window is shown, and the message
// queue taken apart.
struct Window;
struct Surface;
struct Message;
Color platformGetPixel(const Surface* surface, int x, int y);
Window* platformFocusWindow();
int platformIsWindowVisible(Window* window);
int platformPeekMessage(Message* message); // 1 when a message is waiting; not removed
void platformPostMessage(Window* window, int kind, intptr_t param1, intptr_t param2);
