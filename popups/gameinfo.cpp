// The scrolling window is not built yet: nothing is shown.
#include "popups/gameinfo.h"

void showGameInfo(const std::vector<std::string>&, int) {}
