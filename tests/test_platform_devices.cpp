// The first joystick through SDL's virtual joystick, and wave sounds.
#include "platform/input.h"
#include "platform/sound.h"
#include "support.h"

TEST(Joystick, AxesMapToTheFullRangeAndButtonsToTheLowBits)
{
    startTestPlatform();
    uint32_t range[4] = {1, 1, 1, 1};
    JoystickPosition at;
    EXPECT_FALSE(platformJoystickPresent(&range[0], &range[1], &range[2], &range[3]));
    testAttachJoystick();
    ASSERT_TRUE(platformJoystickPresent(&range[0], &range[1], &range[2], &range[3]));
    EXPECT_EQ(std::vector<uint32_t>(range, range + 4), std::vector<uint32_t>({0, 65535, 0, 65535}));
    testMoveJoystick(32767, -32768);
    testJoystickButton(1, 1);
    testJoystickButton(4, 1);
    ASSERT_TRUE(platformJoystickRead(&at));
    EXPECT_EQ(std::vector<uint32_t>({at.X, at.Y, at.Buttons}),
              std::vector<uint32_t>({65535, 0, 9}));
    testDetachJoystick();
    EXPECT_FALSE(platformJoystickRead(&at));
}

TEST(Sound, PlaysWavesAndIgnoresFilesThatCannotBePlayed)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    std::string wave = writeWave(dir / "sound.wav", 100), broken = (dir / "broken.wav").string();
    writeText(broken, "not a wave");
    std::string huge = writeWave(dir / "huge.wav", 400000); // far beyond a skin's sound: not read
    platformPlayWave(wave, 0);
    platformPlayWave(wave, 1); // cuts the first off and waits for its own end
    for (const std::string& bad : {std::string("/no/such/file.wav"), broken, huge})
        platformPlayWave(bad, 0);
    EXPECT_EQ(testSoundsPlayed(), (std::vector<std::string>{wave, wave}));
}
