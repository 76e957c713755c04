// The per-tick update the main loop runs every 100 ms.
#pragma once

struct Window;

// Samples every control once, then carries out the actions asked for in their fixed order:
// moves, Exit, StartGame, GameInfo, ShowMenu, ConfigControls, the power-off steps, ChangeEmu.
// mainWindow is invalidated and painted as the screen changes.
void processTick(Window* mainWindow);
// Shows the games of view (an index into EmulatorTable, AllEmulators or FavouriteGames), the
// search left: the list is rebuilt, the selection left to the caller.
void showEmulatorView(int view);
// Selects game and starts it as StartGame does, the screensaver stopped first; 0 when the list
// does not show it.
int startShownGame(const struct Game* game);
