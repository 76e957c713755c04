// The main loop on the test clock: the fixed 100 ms tick, catch-up ticks after a blocked
// one, the quit paths; and the small helpers of the spine.
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "core/tick.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/window.h"
#include "support.h"

static std::vector<int64_t> Ticks; // the counter at each tick
static int QuitAfterTicks;
static int BlockingTick; // the tick that takes 60 seconds
static int64_t Frequency;

static void recordingTick(Window*)
{
    Ticks.push_back(platformCounter());
    if ((int)Ticks.size() == BlockingTick) testAdvanceClock(Frequency * 60);
    if ((int)Ticks.size() == QuitAfterTicks) platformPostQuit(0);
}

class MainLoop : public testing::Test
{
protected:
    void SetUp() override
    {
        startTestPlatform();
        FrontendState = FrontendStateRecord();
        Ticks.clear();
        Frequency = platformCounterFrequency();
        MainLoopTick = recordingTick;
    }
    void TearDown() override
    {
        MainLoopTick = processTick;
        platformStop();
    }
};

TEST_F(MainLoop, SixHundredTicksBackToBackAfterASixtySecondTick)
{
    BlockingTick = 3;
    QuitAfterTicks = 3 + 600 + 2;
    ASSERT_EQ(runMainLoop(), 0);
    ASSERT_EQ((int)Ticks.size(), QuitAfterTicks);
    const int64_t tick = Frequency / 10;
    // Before the block: one tick every 100 ms, reached by 1 ms sleeps.
    for (int i = 0; i < 3; i++) EXPECT_EQ(Ticks[i], (i + 1) * tick);
    // The 600 ticks that fell due while tick 3 blocked run without a sleep in between.
    int64_t afterBlock = 3 * tick + Frequency * 60;
    for (int i = 3; i < 3 + 600; i++) ASSERT_EQ(Ticks[i], afterBlock) << i;
    // Then the loop sleeps again until the next tick is due; the schedule has not drifted.
    EXPECT_EQ(Ticks[603], afterBlock + tick);
    EXPECT_EQ(Ticks[604], afterBlock + 2 * tick);
}

TEST_F(MainLoop, EveryQuitPathEndsTheLoopWithZero)
{
    // The quit message posted by a tick.
    BlockingTick = 0;
    QuitAfterTicks = 1;
    EXPECT_EQ(runMainLoop(), 0);

    // The main window destroyed while the loop runs.
    ASSERT_TRUE(platformRegisterClass(MainWindowClass, mainWindowProc));
    FrontendState.MainWindow =
        platformCreateWindow(MainWindowClass, ProgramTitle, StylePopup, nullptr, DefaultPosition,
                             DefaultPosition, DefaultPosition, DefaultPosition, 0);
    ASSERT_NE(FrontendState.MainWindow, nullptr);
    platformShowWindow(FrontendState.MainWindow, ShowMaximized);
    platformDestroyWindow(FrontendState.MainWindow);
    Ticks.clear();
    QuitAfterTicks = 0;
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_TRUE(Ticks.empty());
    platformFreeSurface(FrontendState.BackBufferDC);
    platformUnregisterClass(MainWindowClass);

    // The Exit keys of both players, through the tick itself, only while the window has
    // the focus.
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
}

TEST(Spine, FindGameByNameIsExactAndTakesTheFirst)
{
    freeCatalogue();
    EXPECT_EQ(findGameByName("pacman"), -1);
    for (const char* name : {"galaga", "pacman", "PacMan", "pacman"})
        VisibleGames.push_back(addGame(name));
    const std::pair<const char*, int> cases[] = {{"galaga", 0},  {"pacman", 1}, {"PacMan", 2},
                                                 {"PACMAN", -1}, {"pacma", -1}, {"", -1}};
    for (auto [name, index] : cases) EXPECT_EQ(findGameByName(name), index) << name;
    freeCatalogue();
}

static void setPointerCounter(int value)
{
    platformShowPointer(1);
    int counter = platformShowPointer(0);
    while (counter < value) counter = platformShowPointer(1);
    while (counter > value) counter = platformShowPointer(0);
}

TEST(Spine, ThePointerEndsHiddenOrShownWhateverTheCounterWas)
{
    startTestPlatform();
    for (int start : {-3, 0, 4})
    {
        setPointerCounter(start);
        hideCursor();
        int hidden = platformShowPointer(1) - 1;
        platformShowPointer(0);
        EXPECT_EQ(hidden, start >= 0 ? -1 : start - 1) << start;
        showCursor();
        EXPECT_EQ(platformShowPointer(0) + 1, 0) << start; // climbed from below 0 to exactly 0
        setPointerCounter(start);
        showCursor();
        EXPECT_EQ(platformShowPointer(0) + 1, start >= 0 ? start + 1 : 0) << start;
    }
    platformStop();
}
