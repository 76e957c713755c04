// The game-information window: word wrapping and the window's own loop driven by keys
// pressed while it runs.
#include "config/skin.h"
#include "core/controls.h"
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "display/text.h"
#include "popups/gameinfo.h"
#include "support.h"

#include <functional>

// The window's loop runs until a control closes it; Meanwhile acts on the test clock's time.
static std::function<void(int elapsed)> Meanwhile;
static int Elapsed, TimedOut;

static void runMeanwhile(int milliseconds)
{
    Elapsed += milliseconds;
    if (Meanwhile) Meanwhile(Elapsed);
    if (Elapsed == 60000) // a window that never closes must not hang the suite
    {
        TimedOut = 1;
        platformPostQuit(0);
    }
}

class GameInfo : public WithMainWindow
{
protected:
    void SetUp() override
    {
        WithMainWindow::SetUp();
        platformRegisterClass("TextWndClass", platformDefaultWindowProc);
        Dc = platformCreateSurface(400, 400);
        createFont(Dc, Skin.Fontface, Skin.Fontsize, 0);
        Elapsed = TimedOut = 0;
        Meanwhile = nullptr;
        testOnSleep(runMeanwhile);
    }
    void TearDown() override
    {
        testOnSleep(nullptr);
        EXPECT_FALSE(TimedOut);
        platformFreeSurface(Dc);
        WithMainWindow::TearDown();
    }
    Surface* Dc = nullptr;
    // Wrapped in a window without a frame whose text is width pixels wide.
    std::vector<std::string> wrap(const std::string& line, int width)
    {
        Window* window = platformCreateWindow("TextWndClass", "", StylePopup, nullptr, 0, 0,
                                              width + 2 * ScrollTextMargin, 100, 0);
        std::vector<std::string> wrapped = wordWrapText(window, Dc, {line}, 1);
        platformDestroyWindow(window);
        return wrapped;
    }
    // Opens the window; meanwhile acts at the milliseconds passed since it opened.
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
    struct
    {
        std::string Line, Fits;
        int Less;
        std::vector<std::string> Expected;
    } cases[] = {
        {"abc abc abc", "abc abc", 0, {"abc abc", "abc"}},
        {"abc abc", "abc abc", 0, {"abc abc"}},        // exactly as wide: kept whole
        {"abc abc x", "abc abc", 1, {"abc", "abc x"}}, // the blank before is too late
        {"abc  abc", "abc", 0, {"abc", " abc"}},       // only one blank goes at a break
        {"abcdefgh", "abcd", 0, {"abcd", "efgh"}},
        {"\xC3\xA9\xC3\xA9\xC3\xA9 \xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC",
         "\xC3\xA9\xC3\xA9\xC3\xA9",
         0,
         {"\xC3\xA9\xC3\xA9\xC3\xA9", "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"}},
        {"", "", 0, {""}},
        {"W", "", 0, {}}, // one character wider than the window is dropped
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrap(c.Line, getTextWidth(Dc, c.Fits) - c.Less), c.Expected) << c.Line;
}

TEST_F(GameInfo, ScrollsBetweenFirstAndLastLineAndClosesOnGameInfo)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 10; i++) lines.push_back("Line " + std::to_string(i));
    platformSetTimer(FrontendState.MainWindow, IdleTimer, 1000); // dispatched by this loop too
    std::vector<int> tops = {0};
    int focusWhileOpen = 0;
    EXPECT_EQ(open(lines,
                   [&](int t)
                   {
                       if (ScrollTopLine != tops.back()) tops.push_back(ScrollTopLine);
                       if (t == 1000)
                           focusWhileOpen = FrontendState.WindowHasFocus &&
                                            platformFocusWindow() == ScrollWindow;
                       if (t == 50) testPressKey(FrontendSettings.Keys[KeySelectDown]);
                       if (t == 2000) testReleaseKey(FrontendSettings.Keys[KeySelectDown]);
                       if (t == 2100) testPressKey(FrontendSettings.Keys[KeyP2SelectUp]);
                       if (t == 4000) testReleaseKey(FrontendSettings.Keys[KeyP2SelectUp]);
                       if (t == 4100) testTapKey(FrontendSettings.Keys[KeyGameInfo]);
                   }),
              1);
    EXPECT_EQ(tops, std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_LE(Elapsed, 4200);
    EXPECT_TRUE(focusWhileOpen);
    EXPECT_EQ(platformFocusWindow(), FrontendState.MainWindow);
    EXPECT_EQ(FrontendState.ScreenSaverActive, 1);            // the idle timer fired meanwhile
    EXPECT_EQ(platformUnregisterClass(ScrollWindowClass), 0); // unregistered when it closed
}

TEST_F(GameInfo, EveryCloseControlClosesButNotAPressFromBefore)
{
    FrontendSettings.UseJoystick = 1;
    testAttachJoystick();
    initJoystick();
    struct
    {
        KeyBinding Key;
        int Button; // 0: the key
    } cases[] = {{KeyP2Exit, 0}, {KeyGameInfo, 0}, {KeyExit, 4}};
    for (const auto& c : cases)
    {
        testTapKey(FrontendSettings.Keys[KeyExit]);
        open({"Some information"},
             [&](int t)
             {
                 if (t == 300 && !c.Button) testTapKey(FrontendSettings.Keys[c.Key]);
                 if (t == 300 && c.Button) testJoystickButton(c.Button, 1);
             });
        if (c.Button) testJoystickButton(c.Button, 0);
        EXPECT_GE(Elapsed, 300) << c.Key;
        EXPECT_LE(Elapsed, 400) << c.Key;
    }
    testDetachJoystick();
}

TEST_F(GameInfo, AnyBorderGivesAWindowWithinTheMainOne)
{
    struct
    {
        int Percent;
        Rect Expected; // the main window is 1024 x 768
    } cases[] = {
        {20, {204, 153, 820, 615}}, {-10, {0, 0, 1024, 768}}, {1000, {512, 384, 512, 384}}};
    for (const auto& c : cases)
    {
        FrontendSettings.ScrollBorderPct = c.Percent;
        Rect seen = {};
        EXPECT_EQ(open({"Some information", "and more"},
                       [&](int t)
                       {
                           if (t == 10) seen = platformWindowRect(ScrollWindow);
                           if (t == 150) testTapKey(FrontendSettings.Keys[KeyExit]);
                       }),
                  1);
        auto corners = [](Rect r) { return std::vector<int>{r.Left, r.Top, r.Right, r.Bottom}; };
        EXPECT_EQ(corners(seen), corners(c.Expected)) << c.Percent;
    }
}

TEST_F(GameInfo, FailuresAndTheQuitMessage)
{
    EXPECT_EQ(showGameInfo({"Information"}, 0), 1); // nothing to show: no window
    ASSERT_TRUE(platformRegisterClass(ScrollWindowClass, platformDefaultWindowProc));
    EXPECT_EQ(showGameInfo({"Information"}, 1), 0);
    platformUnregisterClass(ScrollWindowClass);
    EXPECT_EQ(Elapsed, 0);

    open({"Information"},
         [](int t)
         {
             if (t == 500) platformPostQuit(3);
         });
    EXPECT_EQ(Elapsed, 500);
    Message message;
    while (platformTakeMessage(&message)) EXPECT_NE(message.Kind, MsgQuit); // taken, not passed on

    testUseClock(0);
    EXPECT_EQ(showGameInfo({"Information"}, 1), 1);
    EXPECT_EQ(boxTexts(),
              std::vector<std::string>{"Hardware doesn't support QueryPerformanceFrequency()!"});
    EXPECT_FALSE(testMessageBoxes()[0].HadOwner);
    EXPECT_EQ(ScrollWindow, nullptr);

    platformStop(); // no window can be made any more
    EXPECT_EQ(showGameInfo({"Information"}, 1), 0);
    EXPECT_EQ(boxTexts().back(), "Failed to create message window!");
    EXPECT_TRUE(platformRegisterClass(ScrollWindowClass, platformDefaultWindowProc));
    platformUnregisterClass(ScrollWindowClass);
}
