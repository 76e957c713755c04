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
    EXPECT_EQ(std::vector<uint32_t>({xMin, xMax, yMin, yMax}),
              std::vector<uint32_t>({0, 65535, 0, 65535}));
    testMoveJoystick(32767, -32768);
    testJoystickButton(1, 1);
    testJoystickButton(4, 1);
    ASSERT_TRUE(platformJoystickRead(&position));
    EXPECT_EQ(std::vector<uint32_t>({position.X, position.Y, position.Buttons}),
              std::vector<uint32_t>({65535, 0, 0x9}));
    testMoveJoystick(0, 0);
    ASSERT_TRUE(platformJoystickRead(&position));
    EXPECT_EQ(position.X, 32768u);
    testDetachJoystick();
    EXPECT_FALSE(platformJoystickRead(&position));
}

TEST(Sound, PlaysWavesAndIgnoresFilesThatCannotBePlayed)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    std::string wave = writeWave(dir / "sound.wav", 100), broken = (dir / "broken.wav").string();
    writeText(broken, "not a wave");
    // A good wave, but far longer than a skin's sound can sensibly be: never read.
    std::string huge = writeWave(dir / "huge.wav", 400000);
    platformPlayWave(wave, 0);
    platformPlayWave(wave, 1); // cuts the first off and waits for its own end
    for (const std::string& bad : {std::string("/no/such/file.wav"), broken, huge})
        platformPlayWave(bad, 0);
    platformStopSound();
    platformStopSound();
    EXPECT_EQ(testSoundsPlayed(), (std::vector<std::string>{wave, wave}));
}
