// The main loop on the test clock: the fixed 100 ms tick, catch-up ticks after a blocked one,
// the quit paths; and the small helpers of the spine.
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "core/tick.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/window.h"
#include "support.h"

static std::vector<int64_t> Ticks; // the counter at each tick
static int QuitAfterTicks;

// The third tick blocks for 60 seconds.
static void recordingTick(Window*)
{
    Ticks.push_back(platformCounter());
    if (Ticks.size() == 3) testAdvanceClock(platformCounterFrequency() * 60);
    if ((int)Ticks.size() == QuitAfterTicks) platformPostQuit(0);
}

TEST(MainLoop, CatchesUpAfterABlockedTickAndEndsOnEveryQuitPath)
{
    startTestPlatform();
    FrontendState = FrontendStateRecord();
    Ticks.clear();
    MainLoopTick = recordingTick;
    QuitAfterTicks = 3 + 600 + 2;
    ASSERT_EQ(runMainLoop(), 0);
    const int64_t tick = platformCounterFrequency() / 10, after = 3 * tick + 600 * tick;
    // The 600 ticks that fell due run back to back, then the schedule goes on undrifted.
    EXPECT_EQ(std::vector<int64_t>(Ticks.begin() + 1, Ticks.begin() + 4),
              std::vector<int64_t>({2 * tick, 3 * tick, after}));
    EXPECT_EQ(Ticks[602], after);
    EXPECT_EQ(Ticks[603], after + tick);

    // The main window destroyed while the loop runs.
    ASSERT_TRUE(platformRegisterClass(MainWindowClass, mainWindowProc));
    FrontendState.MainWindow =
        platformCreateWindow(MainWindowClass, ProgramTitle, StylePopup, nullptr, DefaultPosition,
                             DefaultPosition, DefaultPosition, DefaultPosition, 0);
    platformShowWindow(FrontendState.MainWindow, ShowMaximized);
    platformDestroyWindow(FrontendState.MainWindow);
    Ticks.clear();
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_TRUE(Ticks.empty());
    platformFreeSurface(FrontendState.BackBufferDC);
    platformUnregisterClass(MainWindowClass);

    // The Exit keys of both players, only while the window has the focus.
    MainLoopTick = processTick;
    FrontendSettings.Keys[KeyExit] = VkEscape;
    FrontendSettings.Keys[KeyP2Exit] = 'W';
    for (int key : {(int)VkEscape, (int)'W'})
    {
        FrontendState.WindowHasFocus = 0;
        testTapKey(key);
        processTick(nullptr);
        Message message;
        EXPECT_FALSE(platformPeekMessage(&message) && message.Kind == MsgQuit);
        FrontendState.WindowHasFocus = 1;
        testTapKey(key);
        EXPECT_EQ(runMainLoop(), 0);
    }
    platformStop();
}

TEST(Spine, FindGameByNameIsExactAndTakesTheFirst)
{
    freeCatalogue();
    for (const char* name : {"galaga", "pacman", "PacMan", "pacman"})
        VisibleGames.push_back(addGame(name));
    for (auto [name, index] : {std::pair{"pacman", 1}, {"PacMan", 2}, {"PACMAN", -1}, {"", -1}})
        EXPECT_EQ(findGameByName(name), index) << name;
    freeCatalogue();
}

TEST(Spine, ThePointerEndsHiddenOrShownWhateverTheCounterWas)
{
    startTestPlatform();
    auto setCounter = [](int value)
    {
        int counter = platformShowPointer(1) - 1;
        platformShowPointer(0);
        for (; counter < value;) counter = platformShowPointer(1);
        for (; counter > value;) counter = platformShowPointer(0);
    };
    for (int start : {-3, 4})
    {
        setCounter(start);
        hideCursor();
        EXPECT_EQ(platformShowPointer(0) + 1, start >= 0 ? -1 : start - 1) << start;
        setCounter(start);
        showCursor();
        EXPECT_EQ(platformShowPointer(0) + 1, start >= 0 ? start + 1 : 0) << start;
    }
    platformStop();
}
