// The tick driven with pressed keys, a virtual joystick and the test clock.
#include "catalogue/filters.h"
#include "config/ini.h"
#include "config/skin.h"
#include "core/controls.h"
#include "core/mainwindow.h"
#include "display/mainscreen.h"
#include "display/text.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "popups/message.h"
#include "support.h"

class Controls : public WithMainWindow
{
protected:
    void addGames(int count, const std::string& emulator = "A")
    {
        addEmulator(emulator);
        for (int i = 0; i < count; i++)
            addGame(emulator + std::to_string(100 + i), (int)EmulatorTable.size() - 1);
        rebuildVisibleGames();
    }
};

TEST_F(Controls, MovesAndPagesInBothViews)
{
    Skin.ShowStatusBar = StatusBarHeight = Skin.ListStartY = 0;
    addGames(1);
    drawMainScreen(FrontendState.BackBufferDC);                           // selects the list's font
    Skin.ListHeight = 10 * getTextHeight(FrontendState.BackBufferDC) + 3; // ten names a page
    // View, grid columns, games, from, key, to.
    const int cases[][6] = {
        {1, 0, 25, 0, VkUp, 24},  {1, 0, 25, 3, VkRight, 13}, {1, 0, 25, 24, VkRight, 24},
        {1, 0, 25, 5, VkLeft, 0}, {1, 0, 25, 5, 'D', 15}, // Player 2's keys are crossed
        {1, 0, 0, 0, VkRight, 0}, {2, 4, 10, 2, VkDown, 6},   {2, 0, 10, 6, VkDown, 6}};
    for (const auto& c : cases)
    {
        resetCatalogue();
        addGames(c[2]);
        FrontendSettings.MenuType = c[0];
        Skin.ListColumns = c[1];
        drawMainScreen(FrontendState.BackBufferDC); // the list font, as after any redraw
        FrontendState.CurrentGame = c[3];
        FrontendState.ShutdownStage = 1;
        tick({c[4]});
        EXPECT_EQ(FrontendState.CurrentGame, c[5]) << c[0] << " " << c[3];
        EXPECT_EQ(FrontendState.ShutdownStage, 0); // any key breaks the power-off sequence
    }
}

static void tapDownDuringTheGame(int milliseconds)
{
    if (milliseconds == 500) testTapKey(VkDown);
}

TEST_F(Controls, ThePowerOffSequenceOrAGame)
{
    addGames(3);
    EmulatorTable[0]->ExecPath = TestPrograms;
    EmulatorTable[0]->Executable = "argrecorder";
    fs::path record = Dir / "record";
    setenv("ARGRECORDER_OUT", record.c_str(), 1);
    FrontendSettings.AllowMenu = 0; // key 3 is also the controls set-up's
    struct
    {
        std::vector<std::vector<int>> Ticks;
        int Accept, Requests, Quit, Game;
    } cases[] = {
        {{{'3', '4'}, {'1'}}, 1, 1, 1, 0},
        {{{'3'}, {VkDown}, {'4'}, {'1'}}, 1, 0, 0, 1},
        {{{'3'}, {'4'}, {'1'}, {'1'}}, 0, 2, 0, 0}, // refused: asked again at the next start
    };
    for (const auto& c : cases)
    {
        FrontendState.ShutdownStage = testPowerOffRequests() = 0;
        testAnswerPowerOff(c.Accept);
        fs::remove(record);
        for (const std::vector<int>& keys : c.Ticks) tick(keys);
        EXPECT_EQ(quitPosted(), c.Quit) << &c - cases;
        EXPECT_EQ(testPowerOffRequests(), c.Requests) << &c - cases;
        EXPECT_EQ(fs::exists(record), (bool)c.Game) << &c - cases;
    }
    // What was pressed while the game ran was meant for the game.
    fs::remove(record);
    FrontendState.CurrentGame = 1;
    FrontendState.ShutdownStage = 0;
    testOnSleep(tapDownDuringTheGame);
    tick({'1'});
    quitPosted(); // the game starts from the message the tick posted
    tick({});
    EXPECT_EQ(readRecord(record),
              (std::vector<std::string>{TORVANELL_BINARY_DIR "/tests", "A101"}));
    EXPECT_EQ(FrontendState.CurrentGame, 1);
    unsetenv("ARGRECORDER_OUT");
}

// The set-up sleeps 700 ms before each prompt (the player's key goes down) and after the key
// was taken (the key goes up).
static std::vector<int> SetUpKeys;
static std::vector<std::string> Prompts;
static int SetUpSleeps;
static void playerAtTheControls(int milliseconds)
{
    if (milliseconds != 700) return;
    int step = SetUpSleeps / 2;
    if (SetUpSleeps++ % 2)
        Prompts.push_back(MessageText), testReleaseKey(SetUpKeys[step]);
    else
        testReleaseKey('3'), testPressKey(SetUpKeys[step]);
}

TEST_F(Controls, TheDefaultKeyThreeRunsTheSetUpAndThenArmsThePowerOff)
{
    addGames(3);
    SetUpKeys = {'W', 'S', VkLButton, 'D', VkReturn};
    testOnSleep(playerAtTheControls);
    tick({'3'});
    EXPECT_EQ(Prompts, (std::vector<std::string>{
                           "Press Player 1 UP", "Press Player 1 DOWN", "Press Player 1 PAGE UP",
                           "Press Player 1 PAGE DOWN", "Press Player 1 START"}));
    EXPECT_EQ(FrontendState.ShutdownStage, 1);
    EXPECT_EQ(iniReadInt("Keymappings", "StartGame", "0", FrontendSettings.ConfigFile), VkReturn);
    tick({'S'}); // the new keys act at the next tick
    EXPECT_EQ(FrontendState.CurrentGame, 1);
}

TEST_F(Controls, AnUnpluggedJoystickIsToldOnceASecond)
{
    testAttachJoystick();
    initJoystick();
    testDetachJoystick();
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; i++, testAdvanceClock(platformCounterFrequency() / 2))
        for (int read = 0; read < 8; read++) EXPECT_EQ(isJoystickActive(4), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error reading joystick!\nError reading joystick!\n");
}
