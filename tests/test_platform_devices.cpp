// The first joystick through SDL's virtual joystick, and wave sounds.
#include "platform/input.h"
#include "platform/sound.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

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

// A short mono 16-bit wave of silence.
static std::string writeWave(const char* name, int milliseconds)
{
    std::string path = std::string(TORVANELL_BINARY_DIR) + "/tests/" + name;
    uint32_t rate = 22050, samples = rate * (uint32_t)milliseconds / 1000, bytes = samples * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write((const char*)&v, 4); };
    auto u16 = [&](uint16_t v) { out.write((const char*)&v, 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    std::string silence(bytes, '\0');
    out.write(silence.data(), bytes);
    return path;
}

TEST(Sound, PlaysWavesAndIgnoresFilesThatCannotBePlayed)
{
    startTestPlatform();
    std::string wave = writeWave("platform_sound.wav", 100);
    std::string broken = std::string(TORVANELL_BINARY_DIR) + "/tests/platform_broken.wav";
    std::ofstream(broken) << "not a wave";
    platformPlayWave(wave, 0);
    platformPlayWave(wave, 1); // cuts the first off and waits for its own end
    platformPlayWave("/no/such/file.wav", 0);
    platformPlayWave(broken, 1);
    platformStopSound();
    platformStopSound();
    std::vector<std::string> played = testSoundsPlayed();
    EXPECT_EQ(played, (std::vector<std::string>{wave, wave}));
    std::remove(wave.c_str());
    std::remove(broken.c_str());
}
