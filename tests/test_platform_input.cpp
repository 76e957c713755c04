// Key state by virtual-key code, the test clock and recorded message boxes.
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

TEST(KeyState, PressedSinceLastQueryIsClearedByTheQuery)
{
    startTestPlatform();
    testTapKey(VkDown); // pressed and released between two queries
    KeyState first = platformKeyState(VkDown);
    EXPECT_FALSE(first.Down);
    EXPECT_TRUE(first.PressedSinceLastQuery);
    KeyState second = platformKeyState(VkDown);
    EXPECT_FALSE(second.Down);
    EXPECT_FALSE(second.PressedSinceLastQuery);

    testPressKey(VkDown);
    EXPECT_TRUE(platformKeyState(VkDown).PressedSinceLastQuery);
    KeyState held = platformKeyState(VkDown);
    EXPECT_TRUE(held.Down);
    EXPECT_FALSE(held.PressedSinceLastQuery);
    testReleaseKey(VkDown);
    EXPECT_FALSE(platformKeyState(VkDown).Down);
    // Another code's query leaves this one's press alone.
    testTapKey(VkUp);
    platformKeyState(VkDown);
    EXPECT_TRUE(platformKeyState(VkUp).PressedSinceLastQuery);
}

TEST(KeyState, GenericAndSpecificCodesShareOneKey)
{
    startTestPlatform();
    testPressKey(VkLControl);
    EXPECT_TRUE(platformKeyState(VkControl).Down);
    EXPECT_TRUE(platformKeyState(VkLControl).Down);
    EXPECT_FALSE(platformKeyState(VkRControl).Down);
    // The generic code stays down while either side is held.
    testPressKey(VkRControl);
    testReleaseKey(VkLControl);
    EXPECT_TRUE(platformKeyState(VkControl).Down);
    testReleaseKey(VkRControl);
    EXPECT_FALSE(platformKeyState(VkControl).Down);

    testTapKey(VkRShift);
    EXPECT_TRUE(platformKeyState(VkShift).PressedSinceLastQuery);
    EXPECT_TRUE(platformKeyState(VkRShift).PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkLShift).PressedSinceLastQuery);
}

TEST(KeyState, LettersDigitsFunctionKeysKeypadAndMouseButtons)
{
    startTestPlatform();
    // 0x87 is F24 and 0x6B the keypad's add key.
    const int codes[] = {'A',       'Z',       '0',       '9',       VkF1,       0x87,
                         VkNumpad0, 0x6B,      VkReturn,  VkEscape,  VkSpace,    VkTab,
                         VkBack,    VkInsert,  VkDelete,  VkHome,    VkEnd,      VkPrior,
                         VkNext,    VkLeft,    VkRight,   VkUp,      VkDown,     VkLMenu,
                         VkRMenu,   VkLButton, VkRButton, VkMButton, VkXButton1, VkXButton2};
    for (int code : codes)
    {
        testPressKey(code);
        KeyState state = platformKeyState(code);
        EXPECT_TRUE(state.Down && state.PressedSinceLastQuery) << "code " << code;
        testReleaseKey(code);
        EXPECT_FALSE(platformKeyState(code).Down) << "code " << code;
    }
    testPressKey(VkLMenu);
    EXPECT_TRUE(platformKeyState(VkMenu).Down);
    KeyState outside = platformKeyState(255);
    EXPECT_FALSE(outside.Down || outside.PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(-1).Down);
}

TEST(KeyState, ClearingForgetsPressesButNotHeldKeys)
{
    startTestPlatform();
    testPressKey('X');
    testTapKey(VkEscape);
    platformClearKeyPresses();
    KeyState x = platformKeyState('X');
    EXPECT_TRUE(x.Down);
    EXPECT_FALSE(x.PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkEscape).PressedSinceLastQuery);
    // Keys let go while another program has the focus never send their release.
    testScreenFocus(0);
    EXPECT_FALSE(platformKeyState('X').Down);
}

TEST(TestClock, AdvancesOnlyWhenTheTestOrASleepSaysSo)
{
    startTestPlatform();
    int64_t frequency = platformCounterFrequency();
    ASSERT_GT(frequency, 0);
    int64_t start = platformCounter();
    EXPECT_EQ(platformCounter(), start);
    platformSleep(100);
    EXPECT_EQ(platformCounter() - start, frequency / 10);
    testAdvanceClock(5);
    EXPECT_EQ(platformCounter() - start, frequency / 10 + 5);
    testUseClock(0); // a machine without a counter
    EXPECT_EQ(platformCounterFrequency(), 0);
    EXPECT_EQ(platformCounter(), 0);
    testUseRealClock();
    EXPECT_GT(platformCounterFrequency(), 0);
    int64_t before = platformCounter();
    platformSleep(2);
    EXPECT_GT(platformCounter(), before);
}

TEST(MessageBox, IsRecordedWithoutBlockingAndWrittenToStandardError)
{
    startTestPlatform();
    testing::internal::CaptureStderr();
    platformMessageBox(nullptr, "No games found!", "Error");
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "Error: No games found!\n");
    ASSERT_EQ(testMessageBoxes().size(), 1u);
    EXPECT_EQ(testMessageBoxes()[0].Text, "No games found!");
    EXPECT_EQ(testMessageBoxes()[0].Caption, "Error");
    EXPECT_FALSE(testMessageBoxes()[0].HadOwner);
    startTestPlatform();
    EXPECT_TRUE(testMessageBoxes().empty());
}

TEST(Pointer, CounterWorksAsTheDisplayCounter)
{
    startTestPlatform();
    EXPECT_EQ(platformShowPointer(0), -1);
    EXPECT_EQ(platformShowPointer(0), -2);
    EXPECT_EQ(platformShowPointer(1), -1);
    EXPECT_EQ(platformShowPointer(1), 0);
}
