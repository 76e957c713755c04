// The controls set-up: the player presses each of the five Player 1 keys as the message window
// asks for it, and each is written to the configuration file at once.
#include "core/controlsetup.h"

#include "config/ini.h"
#include "config/settings.h"
#include "core/mainwindow.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/stop.h"
#include "popups/message.h"
#include "runtime/controls.h"

// The prompt shows at once and the presses are taken in the order they were made, so that a
// player who presses the next key before its prompt is drawn still gives it to the right action;
// a key held from the step before is no new press.
int waitForAnyKey(const std::string& prompt)
{
    showMessage(prompt);
    int key;
    // Key state changes only as events are pumped, once a scan; a short sleep between scans
    // keeps a core from spinning for as long as nobody presses anything.
    while ((key = platformNextKeyPress()) < 0 && !platformStopRequested()) platformSleep(1);
    return key;
}

struct ControlStep
{
    const char* Prompt;
    KeyBinding Key;
};

static const ControlStep ControlSteps[] = {
    {"Press Player 1 UP", KeySelectUp},          {"Press Player 1 DOWN", KeySelectDown},
    {"Press Player 1 PAGE UP", KeySelectPageUp}, {"Press Player 1 PAGE DOWN", KeySelectPageDown},
    {"Press Player 1 START", KeyStartGame},
};

void configureControls()
{
    flushKeyboard(); // the key that opened the set-up is no answer to its first prompt
    const int count = sizeof ControlSteps / sizeof ControlSteps[0];
    for (int i = 0; i < count; i++)
    {
        int key = waitForAnyKey(ControlSteps[i].Prompt);
        if (key < 0) break; // told to stop: what was recorded stays
        FrontendSettings.Keys[ControlSteps[i].Key] = key;
        // Written at once: a player who walks away halfway keeps what was recorded.
        iniWriteString("Keymappings", KeyBindings[ControlSteps[i].Key].Name, keyCodeText(key),
                       FrontendSettings.ConfigFile);
        if (i == count - 1) break;
        redrawMainWindow();
    }
    closeMessageWindow();
    applyMessageBoxLook(); // a new Start closes the boxes
    flushKeyboard();
}
