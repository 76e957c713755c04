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

// Little-endian bytes of a number.
static std::string bytesOf(uint32_t value, int count)
{
    std::string bytes;
    for (int i = 0; i < count; i++) bytes += (char)(value >> (8 * i));
    return bytes;
}

// A mono 16-bit wave of 100 ms of silence.
static std::string writeWave(const fs::path& path)
{
    uint32_t size = 4410;
    writeText(path, "RIFF" + bytesOf(36 + size, 4) + "WAVEfmt " + bytesOf(16, 4) + bytesOf(1, 2) +
                        bytesOf(1, 2) + bytesOf(22050, 4) + bytesOf(44100, 4) + bytesOf(2, 2) +
                        bytesOf(16, 2) + "data" + bytesOf(size, 4) + std::string(size, '\0'));
    return path.string();
}

TEST(Sound, PlaysWavesAndIgnoresFilesThatCannotBePlayed)
{
    startTestPlatform();
    fs::path dir = freshDirectory();
    std::string wave = writeWave(dir / "sound.wav");
    std::string broken = (dir / "broken.wav").string();
    writeText(broken, "not a wave");
    platformPlayWave(wave, 0);
    platformPlayWave(wave, 1); // cuts the first off and waits for its own end
    platformPlayWave("/no/such/file.wav", 0);
    platformPlayWave(broken, 1);
    platformStopSound();
    platformStopSound();
    std::vector<std::string> played = testSoundsPlayed();
    EXPECT_EQ(played, (std::vector<std::string>{wave, wave}));
}
