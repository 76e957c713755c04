// Key state by Windows virtual-key code, fed from SDL's key and mouse button events.
#include "platform/input.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <algorithm>
#include <climits>
#include <cstdio>

// Down is a count because a generic code (Shift) is held by either of two keys.
struct KeyRecord
{
    int DownCount;
    int Pressed;
    uint64_t PressNumber; // which press set Pressed: the codes of one key share it
    int HeldOver;         // held when the input was forgotten: reads as up until let go
};
static KeyRecord Keys[KeyCodeCount];
static bool ScancodeDown[SDL_NUM_SCANCODES];
static bool MouseDown[MouseButtonCount + 1];

// What the keys did whichever program had the keyboard, for platformKeyHold: fed by the
// system's raw input and by the front end's own events alike.
struct HoldRecord
{
    int DownCount; // of the raw input's presses
    int Pressed, Released;
};
static HoldRecord Holds[KeyCodeCount];

static struct
{
    long X, Y;
} PointerMoved;

struct KeyMapping
{
    int Code;
    SDL_Scancode Scancode;
};

// Codes that several keys share list their first key first: testPressKey presses that one.
static const KeyMapping KeyTable[] = {
    {0x08, SDL_SCANCODE_BACKSPACE},
    {0x09, SDL_SCANCODE_TAB},
    {0x0C, SDL_SCANCODE_CLEAR},
    {0x0D, SDL_SCANCODE_RETURN},
    {0x0D, SDL_SCANCODE_KP_ENTER},
    {0x0D, SDL_SCANCODE_RETURN2},
    {0x10, SDL_SCANCODE_LSHIFT},
    {0x10, SDL_SCANCODE_RSHIFT},
    {0x11, SDL_SCANCODE_LCTRL},
    {0x11, SDL_SCANCODE_RCTRL},
    {0x12, SDL_SCANCODE_LALT},
    {0x12, SDL_SCANCODE_RALT},
    {0x13, SDL_SCANCODE_PAUSE},
    {0x14, SDL_SCANCODE_CAPSLOCK},
    {0x1B, SDL_SCANCODE_ESCAPE},
    {0x20, SDL_SCANCODE_SPACE},
    {0x21, SDL_SCANCODE_PAGEUP},
    {0x22, SDL_SCANCODE_PAGEDOWN},
    {0x23, SDL_SCANCODE_END},
    {0x24, SDL_SCANCODE_HOME},
    {0x25, SDL_SCANCODE_LEFT},
    {0x26, SDL_SCANCODE_UP},
    {0x27, SDL_SCANCODE_RIGHT},
    {0x28, SDL_SCANCODE_DOWN},
    {0x29, SDL_SCANCODE_SELECT},
    {0x2B, SDL_SCANCODE_EXECUTE},
    {0x2C, SDL_SCANCODE_PRINTSCREEN},
    {0x2D, SDL_SCANCODE_INSERT},
    {0x2E, SDL_SCANCODE_DELETE},
    {0x2F, SDL_SCANCODE_HELP},
    {0x30, SDL_SCANCODE_0},
    {0x31, SDL_SCANCODE_1},
    {0x32, SDL_SCANCODE_2},
    {0x33, SDL_SCANCODE_3},
    {0x34, SDL_SCANCODE_4},
    {0x35, SDL_SCANCODE_5},
    {0x36, SDL_SCANCODE_6},
    {0x37, SDL_SCANCODE_7},
    {0x38, SDL_SCANCODE_8},
    {0x39, SDL_SCANCODE_9},
    {0x41, SDL_SCANCODE_A},
    {0x42, SDL_SCANCODE_B},
    {0x43, SDL_SCANCODE_C},
    {0x44, SDL_SCANCODE_D},
    {0x45, SDL_SCANCODE_E},
    {0x46, SDL_SCANCODE_F},
    {0x47, SDL_SCANCODE_G},
    {0x48, SDL_SCANCODE_H},
    {0x49, SDL_SCANCODE_I},
    {0x4A, SDL_SCANCODE_J},
    {0x4B, SDL_SCANCODE_K},
    {0x4C, SDL_SCANCODE_L},
    {0x4D, SDL_SCANCODE_M},
    {0x4E, SDL_SCANCODE_N},
    {0x4F, SDL_SCANCODE_O},
    {0x50, SDL_SCANCODE_P},
    {0x51, SDL_SCANCODE_Q},
    {0x52, SDL_SCANCODE_R},
    {0x53, SDL_SCANCODE_S},
    {0x54, SDL_SCANCODE_T},
    {0x55, SDL_SCANCODE_U},
    {0x56, SDL_SCANCODE_V},
    {0x57, SDL_SCANCODE_W},
    {0x58, SDL_SCANCODE_X},
    {0x59, SDL_SCANCODE_Y},
    {0x5A, SDL_SCANCODE_Z},
    {0x5B, SDL_SCANCODE_LGUI},
    {0x5C, SDL_SCANCODE_RGUI},
    {0x5D, SDL_SCANCODE_APPLICATION},
    {0x5F, SDL_SCANCODE_SLEEP},
    {0x60, SDL_SCANCODE_KP_0},
    {0x61, SDL_SCANCODE_KP_1},
    {0x62, SDL_SCANCODE_KP_2},
    {0x63, SDL_SCANCODE_KP_3},
    {0x64, SDL_SCANCODE_KP_4},
    {0x65, SDL_SCANCODE_KP_5},
    {0x66, SDL_SCANCODE_KP_6},
    {0x67, SDL_SCANCODE_KP_7},
    {0x68, SDL_SCANCODE_KP_8},
    {0x69, SDL_SCANCODE_KP_9},
    {0x6A, SDL_SCANCODE_KP_MULTIPLY},
    {0x6B, SDL_SCANCODE_KP_PLUS},
    {0x6C, SDL_SCANCODE_SEPARATOR},
    {0x6D, SDL_SCANCODE_KP_MINUS},
    {0x6E, SDL_SCANCODE_KP_PERIOD},
    {0x6F, SDL_SCANCODE_KP_DIVIDE},
    {0x70, SDL_SCANCODE_F1},
    {0x71, SDL_SCANCODE_F2},
    {0x72, SDL_SCANCODE_F3},
    {0x73, SDL_SCANCODE_F4},
    {0x74, SDL_SCANCODE_F5},
    {0x75, SDL_SCANCODE_F6},
    {0x76, SDL_SCANCODE_F7},
    {0x77, SDL_SCANCODE_F8},
    {0x78, SDL_SCANCODE_F9},
    {0x79, SDL_SCANCODE_F10},
    {0x7A, SDL_SCANCODE_F11},
    {0x7B, SDL_SCANCODE_F12},
    {0x7C, SDL_SCANCODE_F13},
    {0x7D, SDL_SCANCODE_F14},
    {0x7E, SDL_SCANCODE_F15},
    {0x7F, SDL_SCANCODE_F16},
    {0x80, SDL_SCANCODE_F17},
    {0x81, SDL_SCANCODE_F18},
    {0x82, SDL_SCANCODE_F19},
    {0x83, SDL_SCANCODE_F20},
    {0x84, SDL_SCANCODE_F21},
    {0x85, SDL_SCANCODE_F22},
    {0x86, SDL_SCANCODE_F23},
    {0x87, SDL_SCANCODE_F24},
    {0x90, SDL_SCANCODE_NUMLOCKCLEAR},
    {0x91, SDL_SCANCODE_SCROLLLOCK},
    {0xA0, SDL_SCANCODE_LSHIFT},
    {0xA1, SDL_SCANCODE_RSHIFT},
    {0xA2, SDL_SCANCODE_LCTRL},
    {0xA3, SDL_SCANCODE_RCTRL},
    {0xA4, SDL_SCANCODE_LALT},
    {0xA5, SDL_SCANCODE_RALT},
    {0xAD, SDL_SCANCODE_MUTE},
    {0xAE, SDL_SCANCODE_VOLUMEDOWN},
    {0xAF, SDL_SCANCODE_VOLUMEUP},
    {0xB0, SDL_SCANCODE_AUDIONEXT},
    {0xB1, SDL_SCANCODE_AUDIOPREV},
    {0xB2, SDL_SCANCODE_AUDIOSTOP},
    {0xB3, SDL_SCANCODE_AUDIOPLAY},
    {0xBA, SDL_SCANCODE_SEMICOLON},
    {0xBB, SDL_SCANCODE_EQUALS},
    {0xBC, SDL_SCANCODE_COMMA},
    {0xBD, SDL_SCANCODE_MINUS},
    {0xBE, SDL_SCANCODE_PERIOD},
    {0xBF, SDL_SCANCODE_SLASH},
    {0xC0, SDL_SCANCODE_GRAVE},
    {0xDB, SDL_SCANCODE_LEFTBRACKET},
    {0xDC, SDL_SCANCODE_BACKSLASH},
    {0xDD, SDL_SCANCODE_RIGHTBRACKET},
    {0xDE, SDL_SCANCODE_APOSTROPHE},
    {0xE2, SDL_SCANCODE_NONUSBACKSLASH},
};
const int KeyTableSize = sizeof KeyTable / sizeof KeyTable[0];

static int mouseButtonOfVirtualKey(int code)
{
    for (int button = 1; button <= MouseButtonCount; button++)
        if (mouseButtonCode(button) == code) return button;
    return 0;
}

int scancodeOfVirtualKey(int code)
{
    for (int i = 0; i < KeyTableSize; i++)
        if (KeyTable[i].Code == code) return KeyTable[i].Scancode;
    return SDL_SCANCODE_UNKNOWN;
}

int virtualKeyOfScancode(int scancode)
{
    int found = 0;
    for (int i = 0; i < KeyTableSize; i++)
        if (KeyTable[i].Scancode == scancode) found = KeyTable[i].Code; // the specific one is last
    return found;
}

// Counts the presses, so that the presses waiting can be taken in the order they were made.
static uint64_t PressesSeen;

static void noteHold(int code, int down)
{
    HoldRecord& hold = Holds[code];
    (down ? hold.Pressed : hold.Released) = 1;
}

static void changeKey(int code, int down)
{
    if (code <= 0 || code >= KeyCodeCount) return;
    noteHold(code, down);
    KeyRecord& key = Keys[code];
    if (down)
    {
        key.DownCount++;
        key.Pressed = 1;
        key.PressNumber = PressesSeen;
    }
    else if (key.DownCount > 0 && --key.DownCount == 0)
        key.HeldOver = 0;
}

void keyEvent(int scancode, int down)
{
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= SDL_NUM_SCANCODES) return;
    // A repeat or a second release changes nothing: the key is held or it is not.
    if (ScancodeDown[scancode] == (down != 0)) return;
    ScancodeDown[scancode] = down != 0;
    PressesSeen++;
    for (int i = 0; i < KeyTableSize; i++)
        if (KeyTable[i].Scancode == scancode) changeKey(KeyTable[i].Code, down);
}

void mouseButtonEvent(int button, int down)
{
    if (button < 1 || button > MouseButtonCount || MouseDown[button] == (down != 0)) return;
    MouseDown[button] = down != 0;
    PressesSeen++;
    changeKey(mouseButtonCode(button), down);
}

void systemKeyEvent(int code, int down)
{
    if (code <= 0 || code >= KeyCodeCount) return;
    HoldRecord& hold = Holds[code];
    if (down)
        hold.DownCount++;
    else if (hold.DownCount > 0)
        hold.DownCount--;
    noteHold(code, down);
}

void pointerMotion(int dx, int dy)
{
    PointerMoved.X += dx;
    PointerMoved.Y += dy;
}

void setKeyDirect(int code, int down)
{
    PressesSeen++;
    changeKey(code, down);
}

void releaseAllKeys()
{
    for (KeyRecord& key : Keys) key.DownCount = key.HeldOver = 0;
    for (bool& down : ScancodeDown) down = false;
    for (bool& down : MouseDown) down = false;
}

void resetKeyTable()
{
    releaseAllKeys();
    for (KeyRecord& key : Keys) key.Pressed = key.HeldOver = 0;
    for (HoldRecord& hold : Holds) hold = HoldRecord();
    PointerMoved = {0, 0};
}

static KeyState queryKey(int code)
{
    KeyState state = {0, 0};
    if (code < 0 || code >= KeyCodeCount) return state;
    KeyRecord& key = Keys[code];
    state.Down = key.DownCount > 0 && !key.HeldOver;
    state.PressedSinceLastQuery = key.Pressed;
    key.Pressed = 0;
    return state;
}

// Every loop that asks for keys looks at the message queue at each pass, which reads the
// system's events; a query reads them again only when a test has just put one there. A tick
// asks for some forty keys and sticks, and a simulated month runs 26 million ticks.
KeyState platformKeyState(int code)
{
    if (Layer.PumpWanted) pumpSdlEvents();
    return queryKey(code);
}

static int keyEventsWatched()
{
    return rawKeysWatched() || deviceKeysWatched();
}

// Pumped first, whatever the clock says: a game's watch asks every few tens of milliseconds, and
// what a device told since must be in.
KeyHold platformKeyHold(int code)
{
    Layer.PumpWanted = 1;
    pumpSdlEvents();
    if (code <= 0 || code >= KeyCodeCount) return {0, 0, 0};
    HoldRecord& hold = Holds[code];
    int down = Keys[code].DownCount > 0 || hold.DownCount > 0;
    // Without events from the system, the X keyboard itself says what is held now.
    if (!down && !keyEventsWatched()) down = xKeyDown(code) == 1;
    KeyHold answer = {down, hold.Pressed, hold.Released};
    hold.Pressed = hold.Released = 0;
    return answer;
}

int platformAnyKeyTouched()
{
    Layer.PumpWanted = 1;
    pumpSdlEvents();
    int touched = 0;
    for (int code = 1; code < KeyCodeCount; code++)
    {
        HoldRecord& hold = Holds[code];
        touched |= Keys[code].DownCount > 0 || hold.DownCount > 0 || hold.Pressed;
        hold.Pressed = hold.Released = 0;
    }
    return touched || (!keyEventsWatched() && xAnyKeyDown() == 1);
}

void platformTakePointerMotion(int* dx, int* dy)
{
    pumpSdlEvents();
    *dx = (int)std::clamp<long>(PointerMoved.X, INT_MIN / 2, INT_MAX / 2);
    *dy = (int)std::clamp<long>(PointerMoved.Y, INT_MIN / 2, INT_MAX / 2);
    PointerMoved = {0, 0};
}

int platformNextKeyPress()
{
    pumpSdlEvents();
    int first = -1;
    for (int code = 0; code < KeyCodeCount; code++)
        if (Keys[code].Pressed && (first < 0 || Keys[code].PressNumber < Keys[first].PressNumber))
            first = code;
    if (first < 0) return -1;
    uint64_t press = Keys[first].PressNumber;
    for (KeyRecord& key : Keys)
        if (key.Pressed && key.PressNumber == press) key.Pressed = 0;
    return first;
}

void platformForgetInput()
{
    pumpSdlEvents();
    for (KeyRecord& key : Keys)
    {
        key.Pressed = 0;
        key.HeldOver = key.DownCount > 0;
    }
    PointerMoved = {0, 0}; // the trackball rolled in a game was the game's
    for (HoldRecord& hold : Holds) hold.Pressed = hold.Released = 0;
    platformForgetJoysticks();
}

// Test presses travel through SDL's event queue, so they take the same road as real keys.
static void pushKeyEvent(int code, int down)
{
    SDL_Event event = {};
    int button = mouseButtonOfVirtualKey(code);
    int scancode = scancodeOfVirtualKey(code);
    if (button)
    {
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = (Uint8)button;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    }
    else if (scancode != SDL_SCANCODE_UNKNOWN)
    {
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = (SDL_Scancode)scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode((SDL_Scancode)scancode);
    }
    if (event.type == 0 || SDL_PushEvent(&event) != 1) setKeyDirect(code, down);
    Layer.PumpWanted = 1;
}

void testPressKey(int code)
{
    pushKeyEvent(code, 1);
}

void testReleaseKey(int code)
{
    pushKeyEvent(code, 0);
}

void testTapKey(int code)
{
    pushKeyEvent(code, 1);
    pushKeyEvent(code, 0);
}

void testMovePointer(int dx, int dy)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
    Layer.PumpWanted = 1;
}

void testScreenFocus(int gained)
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    event.window.windowID = Layer.Screen ? SDL_GetWindowID(Layer.Screen) : 0;
    SDL_PushEvent(&event);
    Layer.PumpWanted = 1;
}
