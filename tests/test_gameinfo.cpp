// The game-information window: word wrapping (against a literal one-character-at-a-time
// wrapper) and the window's own loop driven by keys pressed while it runs.
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
    // A window without a frame whose text width is width pixels.
    Window* textWindow(int width, int height = 100)
    {
        return platformCreateWindow("TextWndClass", "", StylePopup, nullptr, 0, 0,
                                    width + 2 * ScrollTextMargin, height, 0);
    }
    std::vector<std::string> wrap(const std::vector<std::string>& lines, int width)
    {
        Window* window = textWindow(width);
        std::vector<std::string> wrapped = wordWrapText(window, Dc, lines, (int)lines.size());
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

// The rule written as it reads: one more character at a time, breaking at white space.
static std::vector<std::string> wrapByGrowingPrefix(Surface* dc, int w, const std::string& line)
{
    std::vector<size_t> at; // where each character starts, then the end
    for (size_t i = 0; i < line.size(); i += (size_t)platformCharacterLength(line, i))
        at.push_back(i);
    at.push_back(line.size());
    long n = (long)at.size() - 1;
    auto text = [&](long a, long b) { return line.substr(at[a], at[b] - at[a]); };
    auto wide = [&](long a, long b) { return getTextWidth(dc, text(a, b)) > w; };
    auto blank = [&](long i)
    { return std::string(" \t\n\v\f\r").find(line[at[i]]) != std::string::npos; };
    if (!wide(0, n)) return {line};
    std::vector<std::string> out;
    long start = 0;
    for (long p = 1; n > 1 && p < n; p++)
        if (wide(start, p))
        {
            long s = p;
            while (s > start && !blank(s)) s--;
            if (s > start && wide(start, s))
                for (s--; s > start && !blank(s);) s--;
            long end = s > start ? s : std::max(p - 1, start + 1);
            out.push_back(text(start, end));
            start = s > start ? s + 1 : end;
            p = start - 1;
        }
        else if (p == n - 1)
            out.push_back(text(start, n));
    return out;
}

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
        EXPECT_EQ(wrap({c.Line}, getTextWidth(Dc, c.Fits) - c.Less), c.Expected) << c.Line;
}

TEST_F(GameInfo, WrapsAsOneMoreCharacterAtATimeWould)
{
    // Kerning pairs, a ligature, UTF-8, bytes shown as Windows-1252, one the screen drops.
    std::vector<std::string> pieces = {"\xC3\xA9", "\xE2\x82\xAC", "\xE9",
                                       "\x80",     "\xC3",         "\xF0\x9F\x98\x80"};
    for (char c : std::string("aWimfTAV.0\x01")) pieces.push_back(std::string(1, c));
    const char* gaps[] = {" ", " ", " ", "  ", "\t", "   "};
    std::mt19937 random(7);
    auto pick = [&](int n) { return (int)(random() % (unsigned)n); };
    std::vector<std::string> lines;
    for (int i = 0; i < 80; i++)
    {
        std::string line = pick(6) ? "" : " ";
        int words = 1 + pick(14);
        for (int k = 0; k < words; k++)
        {
            int length = pick(8) ? 1 + pick(9) : 20 + pick(60);
            for (int c = 0; c < length; c++) line += pieces[pick((int)pieces.size())];
            if (k + 1 < words || !pick(4)) line += gaps[pick(6)];
        }
        lines.push_back(line);
    }
    for (int width : {-7, 0, 1, 8, 28, 68, 138, 288, 688})
    {
        std::vector<std::string> expected;
        for (const std::string& line : lines)
            for (const std::string& piece : wrapByGrowingPrefix(Dc, width, line))
                expected.push_back(piece);
        EXPECT_EQ(wrap(lines, width), expected) << "width " << width;
    }
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
    EXPECT_GE(Elapsed, 4100);
    EXPECT_LE(Elapsed, 4200);
    EXPECT_TRUE(focusWhileOpen);
    EXPECT_EQ(FrontendState.WindowHasFocus, 1);
    EXPECT_EQ(platformFocusWindow(), FrontendState.MainWindow);
    EXPECT_EQ(FrontendState.ScreenSaverActive, 1);
    EXPECT_TRUE(WrappedLines.empty());
    EXPECT_EQ(ScrollWindow, nullptr);
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
    } cases[] = {{KeyExit, 0},       {KeyP2Exit, 0}, {KeyGameInfo, 0},
                 {KeyP2GameInfo, 0}, {KeyExit, 4},   {KeyGameInfo, 3}};
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
    } cases[] = {{0, {0, 0, 1024, 768}},     {20, {204, 153, 820, 615}},
                 {50, {512, 384, 512, 384}}, {99, {512, 384, 512, 384}},
                 {-10, {0, 0, 1024, 768}},   {1000, {512, 384, 512, 384}}};
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
