// Windows, the message queue, timers, focus and compositing.
#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Seen
{
    Window* Target;
    int Kind;
    intptr_t Param1;
};
static std::vector<Seen> Log;

static intptr_t recordingProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    Log.push_back({window, kind, param1});
    return platformDefaultWindowProc(window, kind, param1, param2);
}

static std::vector<int> kindsFor(Window* window)
{
    std::vector<int> kinds;
    for (const Seen& seen : Log)
        if (seen.Target == window) kinds.push_back(seen.Kind);
    return kinds;
}

static void startWithClass()
{
    startTestPlatform();
    Log.clear();
    ASSERT_TRUE(platformRegisterClass("TestWndClass", recordingProc));
}

static Window* create(int style, Window* owner, int x, int y, int width, int height)
{
    return platformCreateWindow("TestWndClass", "", style, owner, x, y, width, height, 0);
}

// Dispatches everything waiting; answers the kinds taken.
static std::vector<int> drain()
{
    std::vector<int> kinds;
    Message message;
    while (platformTakeMessage(&message))
    {
        kinds.push_back(message.Kind);
        if (message.Kind != MsgQuit) platformDispatchMessage(&message);
    }
    return kinds;
}

TEST(MessageQueue, PaintOnlyForInvalidWindowsAndOnlyWhenNothingElseWaits)
{
    startWithClass();
    Window* a = create(StylePopup, nullptr, 0, 0, 50, 50);
    Window* b = create(StylePopup, nullptr, 60, 0, 50, 50);
    platformShowWindow(a, ShowNormal);
    platformShowWindow(b, ShowNormal);
    drain();
    Log.clear();
    platformInvalidate(a, 0);
    platformPostMessage(b, MsgUser, 7, 0);
    Message message;
    for (int peek = 0; peek < 2; peek++) // peeking leaves it waiting
        EXPECT_TRUE(platformPeekMessage(&message) && message.Kind == MsgUser);
    EXPECT_EQ(drain(), (std::vector<int>{MsgUser, MsgPaint}));
    EXPECT_EQ(kindsFor(a), std::vector<int>{MsgPaint}); // b was never invalidated
    // A hidden window is not painted; update paints at once.
    platformShowWindow(b, ShowHide);
    platformInvalidate(b, 1);
    EXPECT_TRUE(drain().empty());
    platformInvalidate(a, 0);
    Log.clear();
    platformUpdateWindow(a);
    EXPECT_EQ(kindsFor(a), std::vector<int>{MsgPaint});
    EXPECT_TRUE(drain().empty());
}

TEST(MessageQueue, QuitCarriesItsCodeAfterPostedMessages)
{
    startWithClass();
    Window* window = create(StylePopup, nullptr, 0, 0, 10, 10);
    platformPostQuit(3);
    platformPostMessage(window, MsgUser, 0, 0);
    Message message;
    ASSERT_TRUE(platformGetMessage(&message));
    EXPECT_EQ(message.Kind, MsgUser);
    EXPECT_FALSE(platformGetMessage(&message));
    EXPECT_EQ(message.Kind, MsgQuit);
    EXPECT_EQ(message.Param1, 3);
    EXPECT_EQ(platformDispatchMessage(&message), 0);
}

static int64_t countsFor(int milliseconds)
{
    return platformCounterFrequency() * milliseconds / 1000;
}

TEST(Timer, FiresAfterItsPeriodARestartStartsTheCountAgainAndPaintComesFirst)
{
    startWithClass();
    Window* window = create(StylePopup, nullptr, 0, 0, 10, 10);
    drain();
    platformSetTimer(window, 1, 1000);
    testAdvanceClock(countsFor(999));
    EXPECT_TRUE(drain().empty());
    platformSetTimer(window, 1, 1000); // restarted before it fired
    testAdvanceClock(countsFor(999));
    EXPECT_TRUE(drain().empty());
    testAdvanceClock(countsFor(1));
    Log.clear();
    EXPECT_EQ(drain(), std::vector<int>{MsgTimer}); // once, although two periods were asked
    EXPECT_EQ(Log.back().Param1, 1);
    // Several periods missed still give one message; the next comes a period after it.
    testAdvanceClock(countsFor(5000));
    EXPECT_EQ(drain(), std::vector<int>{MsgTimer});
    testAdvanceClock(countsFor(999));
    EXPECT_TRUE(drain().empty());
    for (int timer : {1, 1, 9}) platformKillTimer(window, timer); // a stopped one is harmless
    testAdvanceClock(countsFor(5000));
    EXPECT_TRUE(drain().empty());

    // An invalid window is painted before its timer that is due.
    platformShowWindow(window, ShowNormal);
    platformSetTimer(window, 2, 100);
    testAdvanceClock(countsFor(100));
    EXPECT_EQ(drain(), (std::vector<int>{MsgPaint, MsgTimer}));
}

TEST(Window, DestroyingAnOwnerDestroysWhatItOwnsFirst)
{
    startWithClass();
    Window* main = create(StylePopup, nullptr, 0, 0, 10, 10);
    Window* popup = create(StylePopup, main, 0, 0, 10, 10);
    platformSetTimer(popup, 1, 10);
    platformPostMessage(popup, MsgUser, 0, 0);
    Log.clear();
    platformDestroyWindow(main);
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].Target, popup);
    EXPECT_EQ(Log[1].Target, main);
    EXPECT_FALSE(platformIsWindow(popup));
    testAdvanceClock(countsFor(100));
    EXPECT_TRUE(drain().empty()); // its timer and its posted message went with it
}

TEST(Screen, OwnedWindowsAreComposedAboveOwnersWithAFrame)
{
    startWithClass();
    Window* main = create(StylePopup, nullptr, 0, 0, 100, 100);
    Window* popup = create(StyleSizingFrame, main, 20, 20, 40, 40);
    // Created later but owned: still above. A window created after it without an owner is
    // above neither rule, so it is left out here.
    platformShowWindow(popup, ShowNormal);
    platformShowWindow(main, ShowMaximized);
    platformFillRect(platformWindowSurface(main), platformClientRect(main), 0x00FF00);
    platformFillRect(platformWindowSurface(popup), platformClientRect(popup), 0x0000FF);
    platformPresent();
    EXPECT_EQ(testScreenPixel(5, 5), 0x00FF00u);
    EXPECT_EQ(testScreenPixel(40, 40), 0x0000FFu);
    EXPECT_TRUE(testScreenPixel(21, 21) != 0x00FF00u && testScreenPixel(21, 21) != 0x0000FFu);
    platformShowWindow(popup, ShowHide);
    platformPresent();
    EXPECT_EQ(testScreenPixel(40, 40), 0x00FF00u);
}
