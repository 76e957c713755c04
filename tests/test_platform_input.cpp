// Key state by virtual-key code, and recorded message boxes.
#include "platform/input.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

TEST(KeyState, PressesAreClearedByTheQueryAndGenericCodesShareOneKey)
{
    startTestPlatform();
    testTapKey(VkDown); // pressed and released between two queries
    KeyState first = platformKeyState(VkDown), second = platformKeyState(VkDown);
    EXPECT_TRUE(!first.Down && first.PressedSinceLastQuery);
    EXPECT_TRUE(!second.Down && !second.PressedSinceLastQuery);
    testTapKey(VkUp); // another code's query leaves this one's press alone
    platformKeyState(VkDown);
    EXPECT_TRUE(platformKeyState(VkUp).PressedSinceLastQuery);

    // The generic code stays down while either side is held.
    testPressKey(VkLControl);
    testPressKey(VkRControl);
    testReleaseKey(VkLControl);
    EXPECT_TRUE(platformKeyState(VkControl).Down);
    EXPECT_FALSE(platformKeyState(VkLControl).Down);
    testReleaseKey(VkRControl);
    EXPECT_FALSE(platformKeyState(VkControl).Down);
    testTapKey(VkRShift);
    EXPECT_TRUE(platformKeyState(VkShift).PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkLShift).PressedSinceLastQuery);
    testPressKey(VkLMenu);
    EXPECT_TRUE(platformKeyState(VkMenu).Down);

    // 0x87 is F24 and 0x6B the keypad's add key.
    for (int code : std::initializer_list<int>{
             'A',       'Z',       '0',        '9',       VkF1,     0x87,     VkNumpad0,
             0x6B,      VkReturn,  VkSpace,    VkBack,    VkInsert, VkDelete, VkHome,
             VkEnd,     VkPrior,   VkNext,     VkLeft,    VkRight,  VkRMenu,  VkLButton,
             VkRButton, VkMButton, VkXButton1, VkXButton2})
    {
        testPressKey(code);
        KeyState state = platformKeyState(code);
        EXPECT_TRUE(state.Down && state.PressedSinceLastQuery) << "code " << code;
        testReleaseKey(code);
        EXPECT_FALSE(platformKeyState(code).Down) << "code " << code;
    }
    EXPECT_FALSE(platformKeyState(255).PressedSinceLastQuery || platformKeyState(-1).Down);
}

TEST(KeyState, ClearingForgetsPressesButNotHeldKeys)
{
    startTestPlatform();
    testPressKey('X');
    testTapKey(VkEscape);
    platformClearKeyPresses();
    KeyState x = platformKeyState('X');
    EXPECT_TRUE(x.Down && !x.PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkEscape).PressedSinceLastQuery);
    // Keys let go while another program has the focus never send their release.
    testScreenFocus(0);
    EXPECT_FALSE(platformKeyState('X').Down);
}

TEST(MessageBox, IsRecordedWithoutBlockingAndWrittenToStandardError)
{
    startTestPlatform();
    testing::internal::CaptureStderr();
    platformMessageBox(nullptr, "No games found!", "Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: No games found!\n");
    ASSERT_EQ(testMessageBoxes().size(), 1u);
    EXPECT_FALSE(testMessageBoxes()[0].HadOwner);
}
