// Key state by virtual-key code, and recorded message boxes.
#include "platform/input.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <gtest/gtest.h>

TEST(KeyState, PressesLastUntilQueriedOrClearedAndGenericCodesShareOneKey)
{
    startTestPlatform();
    testTapKey(VkDown);
    testTapKey(VkUp);
    EXPECT_TRUE(platformKeyState(VkDown).PressedSinceLastQuery);
    EXPECT_FALSE(platformKeyState(VkDown).PressedSinceLastQuery);
    EXPECT_TRUE(platformKeyState(VkUp).PressedSinceLastQuery); // another code's query left it
    // The generic code stays down while either side is held.
    testPressKey(VkLControl);
    testPressKey(VkRControl);
    testReleaseKey(VkLControl);
    EXPECT_TRUE(platformKeyState(VkControl).Down);
    EXPECT_FALSE(platformKeyState(VkLControl).Down);
    // Clearing forgets presses but not held keys; keys let go while another program has the
    // focus never send their release.
    testTapKey(VkEscape);
    platformClearKeyPresses();
    EXPECT_FALSE(platformKeyState(VkEscape).PressedSinceLastQuery);
    EXPECT_TRUE(platformKeyState(VkRControl).Down);
    testScreenFocus(0);
    EXPECT_FALSE(platformKeyState(VkRControl).Down);
}

TEST(MessageBox, IsRecordedWithoutBlockingAndWrittenToStandardError)
{
    startTestPlatform();
    testing::internal::CaptureStderr();
    platformMessageBox(nullptr, "No games found!", "Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: No games found!\n");
    EXPECT_EQ(testMessageBoxes().size(), 1u);
}
