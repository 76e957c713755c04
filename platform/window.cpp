// Windows, messages and timers: placeholder until the window system lands.
#include "platform/window.h"

#include "platform/internal.h"

void screenFocusChanged(int) {}
void postKeyMessage(int, int) {}
void presentIfDirty() {}
void markDirty(Window*) {}
void startWindows() {}
void stopWindows() {}
void platformPostQuit(int) {}
void runModalMessageBox(Window*, const std::string&, const std::string&) {}
int startFonts()
{
    return 1;
}
void stopFonts() {}
void startSound() {}
void stopSound() {}
void resetTestRecords() {}
void startJoystick() {}
void stopJoystick() {}
