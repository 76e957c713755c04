// The keyboard has a modal loop of its own on the common tick, as the menu has; the list behind
// it is narrowed and redrawn at every key typed.
#include "core/search.h"

#include "catalogue/catalogue.h"
#include "catalogue/filters.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/mainwindow.h"
#include "display/searchkeyboard.h"
#include "platform/messagebox.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>
#include <vector>

// Nobody types more on a stick; the text is drawn on one line.
const size_t SearchTextLimit = 40;

struct SearchSession
{
    std::vector<Game*> Whole;  // the list without any narrowing: what each text narrows
    std::vector<Game*> Before; // the list and selection as the keyboard opened, for Exit
    int SelectedBefore;
    std::string TextBefore;
    int Closing;
};

// The game selected stays selected while the text still finds it; else the first found.
static void narrowTo(SearchSession& session, const std::string& text)
{
    Game* selected = selectedGame();
    VisibleGames = narrowGames(session.Whole, text);
    auto found = std::find(VisibleGames.begin(), VisibleGames.end(), selected);
    FrontendState.CurrentGame =
        found != VisibleGames.end() ? (int)(found - VisibleGames.begin()) : 0;
}

static void type(SearchSession& session, const SearchKey& key)
{
    std::string& text = SearchText;
    if (key.Kind == SearchKeyDelete && !text.empty())
        text.pop_back();
    else if ((key.Kind == SearchKeyCharacter || key.Kind == SearchKeySpace) &&
             text.size() < SearchTextLimit)
        text += key.Character;
    else
    {
        playSkinSound(Skin.Sounds.Error, 1); // nothing to take back, or no room
        return;
    }
    narrowTo(session, text);
    showMainWindowNow();
}

// A text that finds nothing cannot be kept: the keyboard stays open to mend it.
static void done(SearchSession& session)
{
    if (VisibleGames.empty() && !SearchText.empty())
    {
        playSkinSound(Skin.Sounds.Error, 1);
        return;
    }
    session.Closing = 1;
}

static void cancel(SearchSession& session)
{
    VisibleGames = session.Before;
    FrontendState.CurrentGame = session.SelectedBefore;
    SearchText = session.TextBefore;
    session.Closing = 1;
}

// Up and down change the row, the page keys (the stick's left and right) the key, Start presses
// it; Exit leaves, and the search's own key again is Done.
static void searchTick(SearchSession& session)
{
    int up = isControlActive(KeySelectUp, KeyP2SelectUp);
    int down = isControlActive(KeySelectDown, KeyP2SelectDown);
    int left = isControlActive(KeySelectPageUp, KeyP2SelectPageUp);
    int right = isControlActive(KeySelectPageDown, KeyP2SelectPageDown);
    int press = isControlActive(KeyStartGame, KeyP2StartGame);
    int leave = isControlActive(KeyExit, KeyP2Exit);
    int again = isKeyActive(FrontendSettings.Keys[KeySearch]) ||
                isJoystickActive(FrontendSettings.Joystick[KeySearch]);
    if (up || down || left || right)
    {
        moveSearchCursor(down - up, right - left);
        showMainWindowNow();
        playSkinSound(Skin.Sounds.ChangeGame, 1);
    }
    if (press && selectedSearchKey().Kind == SearchKeyDone)
        done(session);
    else if (press)
        type(session, selectedSearchKey());
    if (again && !session.Closing) done(session);
    if (leave && !session.Closing) cancel(session);
}

void runSearch()
{
    SearchSession session{{}, VisibleGames, FrontendState.CurrentGame, SearchText, 0};
    SearchText.clear();
    rebuildVisibleGames();
    session.Whole = VisibleGames;
    SearchKeyboard.Open = 1;
    SearchText = session.TextBefore; // edited in place: what the empty list's reasons name
    narrowTo(session, SearchText);
    stopAllTimers(); // no screensaver over the keyboard
    showMainWindowNow();
    flushKeyboard(); // the key that opened it types nothing
    if (!runTickLoop([&session] { searchTick(session); }, &session.Closing, nullptr))
        platformMessageBox(nullptr, NoCounterText, "Error");
    if (!session.Closing) cancel(session); // the loop ended without a choice: as it was
    SearchKeyboard.Open = 0;
    flushKeyboard(); // nor does the key that closed it act on the list
    restartIdleTimer();
    redrawMainWindow();
}
