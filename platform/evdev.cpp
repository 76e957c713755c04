// The input devices themselves (/dev/input/event*), where no X server tells of every key: on
// Wayland and on the console a game holds the keyboard, and the front end would see nothing of
// a tap. Read only where the user may (the input group); keys and buttons only.
#include "platform/input.h"
#include "platform/internal.h"
#include "platform/keysyms.h"
#include "platform/testing.h"

#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

struct DeviceInputRecord
{
    std::vector<int> Devices; // open, read without waiting
    xkb_context* Context = nullptr;
    xkb_keymap* Keymap = nullptr;
    xkb_state* State = nullptr;
    std::string Folder = "/dev/input";
    int Tried = 0;
};
static DeviceInputRecord Input;

// The keysyms of the default keymap: the codes the configuration names are places on the
// keyboard (the arrows, the digits), which every layout keeps.
static int openKeymap()
{
    Input.Context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    Input.Keymap = Input.Context ? xkb_keymap_new_from_names(Input.Context, nullptr,
                                                             XKB_KEYMAP_COMPILE_NO_FLAGS)
                                 : nullptr;
    Input.State = Input.Keymap ? xkb_state_new(Input.Keymap) : nullptr;
    return Input.State != nullptr;
}

// Answers why none could be opened; empty when one was.
static std::string openDevices()
{
    DIR* folder = opendir(Input.Folder.c_str());
    if (!folder) return strerror(errno);
    std::string why = "no input devices";
    while (struct dirent* entry = readdir(folder))
    {
        if (strncmp(entry->d_name, "event", 5) != 0) continue;
        std::string path = Input.Folder + "/" + entry->d_name;
        int device = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (device >= 0)
            Input.Devices.push_back(device);
        else
            why = strerror(errno);
    }
    closedir(folder);
    return Input.Devices.empty() ? why : "";
}

int startDeviceInput()
{
    if (Input.Tried) return !Input.Devices.empty();
    Input.Tried = 1;
    std::string why = openDevices();
    if (why.empty() && !openKeymap()) why = "the keyboard's keymap cannot be made";
    if (why.empty()) return 1;
    fprintf(stderr,
            "The input devices in %s cannot be read (%s): while a game has the keyboard, only "
            "the sticks are seen (the user must be in the input group)\n",
            Input.Folder.c_str(), why.c_str());
    stopDeviceInput();
    Input.Tried = 1;
    return 0;
}

int deviceKeysWatched()
{
    return !Input.Devices.empty();
}

static void deviceKey(const input_event& event)
{
    if (event.value == 2) return; // a repeat: the key is held anyway
    int down = event.value != 0;
    if (event.code >= BTN_LEFT && event.code <= BTN_TASK)
    {
        // In the order SDL numbers the buttons: left, right becomes 3, middle 2, then the sides.
        static const int Buttons[] = {1, 3, 2, 4, 5, 6, 7, 8};
        systemKeyEvent(mouseButtonCode(Buttons[event.code - BTN_LEFT]), down);
        return;
    }
    int codes[KeysymCodesLimit];
    xkb_keysym_t symbol = xkb_state_key_get_one_sym(Input.State, event.code + 8);
    for (int i = 0, count = virtualKeysOfKeysym(symbol, codes); i < count; i++)
        systemKeyEvent(codes[i], down);
}

// A device that went away (unplugged) is closed; one plugged in later is not looked for.
static int readDevice(int device)
{
    input_event events[64];
    for (;;)
    {
        ssize_t got = read(device, events, sizeof events);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno == EAGAIN;
        if (got == 0) return 0;
        for (size_t i = 0; i < (size_t)got / sizeof events[0]; i++)
            if (events[i].type == EV_KEY) deviceKey(events[i]);
    }
}

// Asked at every pump: one look at all the devices, and only those with events are read.
void drainDeviceInput()
{
    if (Input.Devices.empty()) return;
    std::vector<pollfd> ready;
    for (int device : Input.Devices) ready.push_back({device, POLLIN, 0});
    if (poll(ready.data(), ready.size(), 0) <= 0) return;
    std::vector<int> kept;
    for (const pollfd& device : ready)
        if (!device.revents || readDevice(device.fd))
            kept.push_back(device.fd);
        else
            close(device.fd);
    Input.Devices = kept;
}

void stopDeviceInput()
{
    for (int device : Input.Devices) close(device);
    if (Input.State) xkb_state_unref(Input.State);
    if (Input.Keymap) xkb_keymap_unref(Input.Keymap);
    if (Input.Context) xkb_context_unref(Input.Context);
    std::string folder = Input.Folder;
    Input = DeviceInputRecord();
    Input.Folder = folder;
}

void testUseInputDevices(const std::string& folder)
{
    stopDeviceInput();
    Input.Folder = folder.empty() ? "/dev/input" : folder;
    if (!folder.empty()) startDeviceInput();
}
