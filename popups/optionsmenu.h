// The options menu: the view, fonts, skin, emulator and filters, chosen at the cabinet.
#pragma once

// Shows the menu and applies what the player chose. Answers 1 when the menu was shown and its
// choices applied (the shown emulator may have changed), 0 when it was not shown.
int runOptionsMenu();
