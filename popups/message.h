// The message window: a small framed pop-up in the middle of the screen showing one line in
// the skin's font (the loading progress, the controls set-up's prompts). It takes no input.
#pragma once

#include <cstdint>
#include <string>

struct Window;
struct Surface;

const char* const MessageWindowClass = "MessageWndClass";

// The text shown.
extern std::string MessageText;

// Shows text, opening the window first when it is closed; placed, sized and painted at once,
// so that it is on the screen before a long load goes on.
void showMessage(const std::string& text);
// Gives the message boxes the skin's [Message] look and the player's Start, Exit and
// information keys to close them; after the skin or the keys change.
void applyMessageBoxLook();
// Destroys the window and unregisters its class; nothing when it is closed.
void closeMessageWindow();
