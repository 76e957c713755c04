// The message box as the rest of the program asks for it: shown by the display's side when
// it is linked in, else told on standard error alone.
#include "platform/messagebox.h"

#include "platform/waits.h"

#include <cstdio>

void (*ShowMessageBox)(Window* owner, const std::string& text, const std::string& caption);

void platformMessageBox(Window* owner, const std::string& text, const std::string& caption)
{
    if (ShowMessageBox)
        ShowMessageBox(owner, text, caption);
    else
        fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
