#include "runtime/state.h"

#include "platform/messagebox.h"

FrontendStateRecord FrontendState;

void showError(const std::string& text)
{
    FrontendState.ErrorsShown++;
    platformMessageBox(FrontendState.MainWindow, text, "Error");
}
