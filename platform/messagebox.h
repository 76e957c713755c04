// The modal message box.
#pragma once

#include <string>

struct Window;

// A modal box with one OK button, closed by Enter, Escape or Space; owner may be null.
// Also written to standard error as "caption: text". Without a display a player could see
// (the tests, the dummy driver) it is recorded instead and does not block.
void platformMessageBox(Window* owner, const std::string& text, const std::string& caption);
