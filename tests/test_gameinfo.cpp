// The game-information window: word wrapping and the window's own loop driven by keys
// pressed while it runs.
#include "config/skin.h"
#include "core/controls.h"
#include "core/mainwindow.h"
#include "display/text.h"
#include "popups/gameinfo.h"
#include "support.h"

#include <functional>

// Acts at the milliseconds passed on the test clock since the window opened.
static std::function<void(int elapsed)> Meanwhile;
static int Elapsed;

static void runMeanwhile(int milliseconds)
{
    Elapsed += milliseconds;
    if (Meanwhile) Meanwhile(Elapsed);
    if (Elapsed == 60000) platformPostQuit(0); // a window that never closes must not hang
}

class GameInfo : public WithMainWindow
{
protected:
    void SetUp() override
    {
        WithMainWindow::SetUp();
        testOnSleep(runMeanwhile);
    }
    void TearDown() override
    {
        testOnSleep(nullptr);
        EXPECT_LT(Elapsed, 60000);
        WithMainWindow::TearDown();
    }
    int open(const std::vector<std::string>& lines, std::function<void(int)> meanwhile)
    {
        Elapsed = 0;
        Meanwhile = meanwhile;
        int result = showGameInfo(lines, (int)lines.size());
        Meanwhile = nullptr;
        return result;
    }
};

TEST_F(GameInfo, WrapsAtWhiteSpaceAndBreaksLongWords)
{
    // The line, the text just fitting the window (one pixel less when marked) and the lines.
    const std::tuple<std::string, std::string, bool, std::vector<std::string>> cases[] = {
        {"abc abc abc", "abc abc", 0, {"abc abc", "abc"}},
        {"abc abc x", "abc abc", 1, {"abc", "abc x"}}, // the blank before is too late
        {"abc  abc", "abc", 0, {"abc", " abc"}},       // only one blank goes at a break
        {"abcdefgh", "abcd", 0, {"abcd", "efgh"}},
        {"\xC3\xA9\xC3\xA9 \xE2\x82\xAC",
         "\xC3\xA9\xC3\xA9",
         0,
         {"\xC3\xA9\xC3\xA9", "\xE2\x82\xAC"}},
        {"W", "", 0, {}}, // one character wider than the window is dropped
    };
    platformRegisterClass("TextWndClass", platformDefaultWindowProc);
    Surface* dc = platformCreateSurface(400, 400);
    createFont(dc, Skin.Fontface, Skin.Fontsize, 0);
    for (const auto& [line, fits, less, expected] : cases)
    {
        Window* window =
            platformCreateWindow("TextWndClass", "", StylePopup, nullptr, 0, 0,
                                 getTextWidth(dc, fits) - less + 2 * ScrollTextMargin, 100, 0);
        EXPECT_EQ(wordWrapText(window, dc, {line}, 1), expected) << line;
        platformDestroyWindow(window);
    }
    platformFreeSurface(dc);
}

TEST_F(GameInfo, ScrollsBetweenFirstAndLastLineAndClosesOnItsControlsOnly)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 10; i++) lines.push_back("Line " + std::to_string(i));
    platformSetTimer(FrontendState.MainWindow, IdleTimer, 1000); // dispatched by this loop too
    std::vector<int> tops = {0};
    int focusWhileOpen = 0;
    const int* keys = FrontendSettings.Keys;
    testTapKey(keys[KeyExit]); // pressed before it opened: not for it
    EXPECT_EQ(open(lines,
                   [&](int t)
                   {
                       if (ScrollTopLine != tops.back()) tops.push_back(ScrollTopLine);
                       if (t == 1000) focusWhileOpen = platformFocusWindow() == ScrollWindow;
                       if (t == 50) testPressKey(keys[KeySelectDown]);
                       if (t == 2000) testReleaseKey(keys[KeySelectDown]);
                       if (t == 2100) testPressKey(keys[KeyP2SelectUp]);
                       if (t == 4000) testReleaseKey(keys[KeyP2SelectUp]);
                       if (t == 4100) testTapKey(keys[KeyP2Exit]);
                   }),
              1);
    EXPECT_EQ(tops, std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_LE(Elapsed, 4200);
    EXPECT_TRUE(focusWhileOpen);
    EXPECT_EQ(platformFocusWindow(), FrontendState.MainWindow);
    EXPECT_EQ(FrontendState.ScreenSaverActive, 1);            // the idle timer fired meanwhile
    EXPECT_EQ(platformUnregisterClass(ScrollWindowClass), 0); // unregistered when it closed
}
