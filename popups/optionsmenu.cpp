// The menu window is not built yet: the menu is never shown.
#include "popups/optionsmenu.h"

int runOptionsMenu()
{
    return 0;
}
