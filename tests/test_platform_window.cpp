// Windows, the message queue, timers and compositing.
#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <vector>

static std::vector<std::pair<Window*, int>> Log; // every window's messages, in order

static intptr_t recordingProc(Window* window, int kind, intptr_t param1, intptr_t param2)
{
    Log.push_back({window, kind});
    return platformDefaultWindowProc(window, kind, param1, param2);
}

static auto after = [](int ms) { testAdvanceClock(platformCounterFrequency() * ms / 1000); };

class Windows : public testing::Test
{
protected:
    void SetUp() override
    {
        startTestPlatform();
        Log.clear();
        ASSERT_TRUE(platformRegisterClass("TestWndClass", recordingProc));
    }
    Window* create(Window* owner = nullptr, int style = StylePopup, int x = 0, int size = 40)
    {
        return platformCreateWindow("TestWndClass", "", style, owner, x, x, size, size, 0);
    }
    std::vector<int> drain() // the kinds dispatched
    {
        std::vector<int> kinds;
        for (Message m; platformTakeMessage(&m);)
            kinds.push_back(m.Kind), platformDispatchMessage(&m);
        return kinds;
    }
};

TEST_F(Windows, PaintOnlyForVisibleInvalidWindowsWhenNothingElseWaitsAndQuitComesLast)
{
    Window* a = create();
    Window* b = create();
    platformShowWindow(a, ShowNormal);
    drain();
    platformInvalidate(a, 0);
    platformInvalidate(b, 0); // hidden: never painted
    platformPostQuit(3);
    platformPostMessage(b, MsgUser, 7, 0);
    Message message;
    EXPECT_TRUE(platformPeekMessage(&message) && message.Kind == MsgUser);
    ASSERT_TRUE(platformGetMessage(&message)); // peeking left it waiting
    EXPECT_EQ(message.Kind, MsgUser);
    EXPECT_FALSE(platformGetMessage(&message));
    EXPECT_EQ(message.Kind * 10 + message.Param1, MsgQuit * 10 + 3);
    EXPECT_EQ(drain(), std::vector<int>{MsgPaint});
}

TEST_F(Windows, ATimerFiresOnceAPeriodAfterItWasLastSetAndAfterThePaint)
{
    Window* window = create();
    platformSetTimer(window, 1, 1000);
    after(999);
    platformSetTimer(window, 1, 1000); // restarted before it fired
    after(999);
    EXPECT_TRUE(drain().empty());
    after(5000); // several periods missed: one message, the next a period after it
    EXPECT_EQ(drain(), std::vector<int>{MsgTimer});
    after(999);
    EXPECT_TRUE(drain().empty());
    platformKillTimer(window, 1);
    platformShowWindow(window, ShowNormal);
    platformSetTimer(window, 2, 100);
    after(5000);
    EXPECT_EQ(drain(), (std::vector<int>{MsgPaint, MsgTimer}));
}

TEST_F(Windows, DestroyingAnOwnerDestroysWhatItOwnsFirstWithItsTimersAndMessages)
{
    Window* main = create();
    Window* popup = create(main);
    platformSetTimer(popup, 1, 10);
    platformPostMessage(popup, MsgUser, 0, 0);
    Log.clear();
    platformDestroyWindow(main);
    EXPECT_EQ(Log, (std::vector<std::pair<Window*, int>>{{popup, MsgDestroy}, {main, MsgDestroy}}));
    EXPECT_FALSE(platformIsWindow(popup));
    after(100);
    EXPECT_TRUE(drain().empty());
}

TEST_F(Windows, OwnedWindowsAreComposedAboveOwnersWithAFrame)
{
    Window* main = create(nullptr, StylePopup, 0, 100);
    Window* popup = create(main, StyleSizingFrame, 20, 40); // created later but owned: above
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
