// The first joystick through SDL's virtual joystick, and wave sounds.
#include "platform/input.h"
#include "platform/sound.h"
#include "support.h"

TEST(Joystick, AxesMapToTheFullRangeAndButtonsToTheLowBits)
{
    startTestPlatform();
    uint32_t xMin = 1, xMax = 1, yMin = 1, yMax = 1;
    JoystickPosition position;
    EXPECT_FALSE(platformJoystickPresent(&xMin, &xMax, &yMin, &yMax));
    EXPECT_FALSE(platformJoystickRead(&position));
    testAttachJoystick();
    ASSERT_TRUE(platformJoystickPresent(&xMin, &xMax, &yMin, &yMax));
    EXPECT_EQ(xMin, 0u);
    EXPECT_EQ(xMax, 65535u);
    EXPECT_EQ(yMin, 0u);
    EXPECT_EQ(yMax, 65535u);
    testMoveJoystick(32767, -32768);
    testJoystickButton(1, 1);
    testJoystickButton(4, 1);
    ASSERT_TRUE(platformJoystickRead(&position));
    EXPECT_EQ(position.X, 65535u);
    EXPECT_EQ(position.Y, 0u);
    EXPECT_EQ(position.Buttons, 0x9u);
    testMoveJoystick(0, 0);
    testJoystickButton(1, 0);
    ASSERT_TRUE(platformJoystickRead(&position));
    EXPECT_EQ(position.X, 32768u);
    EXPECT_EQ(position.Buttons, 0x8u);
    // Unplugged: every read fails.
    testDetachJoystick();
    EXPECT_FALSE(platformJoystickRead(&position));
    EXPECT_FALSE(platformJoystickRead(&position));
}

TEST(Sound, PlaysWavesAndIgnoresFilesThatCannotBePlayed)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    std::string wave = writeWave(dir / "sound.wav", 100);
    std::string broken = (dir / "broken.wav").string();
    writeText(broken, "not a wave");
    // A good wave, but far longer than a skin's sound can sensibly be: never read.
    std::string huge = writeWave(dir / "huge.wav", 400000);
    platformPlayWave(wave, 0);
    platformPlayWave(wave, 1); // cuts the first off and waits for its own end
    platformPlayWave("/no/such/file.wav", 0);
    platformPlayWave(broken, 1);
    platformPlayWave(huge, 0);
    platformStopSound();
    platformStopSound();
    std::vector<std::string> played = testSoundsPlayed();
    EXPECT_EQ(played, (std::vector<std::string>{wave, wave}));
}
