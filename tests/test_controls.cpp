// The tick driven with pressed keys on the test clock, and the main loop that runs it: the
// fixed 100 ms tick, catch-up ticks after a blocked one, the Exit keys.
#include "catalogue/filters.h"
#include "config/ini.h"
#include "config/skin.h"
#include "core/mainwindow.h"
#include "display/layout.h"
#include "display/mainscreen.h"
#include "display/text.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "popups/message.h"
#include "runtime/controls.h"
#include "runtime/tickloop.h"
#include "support.h"

#include <gmock/gmock.h>

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
        {ViewList, 0, 25, 0, VkUp, 24},         {ViewList, 0, 25, 3, VkRight, 13},
        {ViewList, 0, 25, 24, VkRight, 24},     {ViewList, 0, 25, 5, VkLeft, 0},
        {ViewList, 0, 25, 5, 'D', 15}, // Player 2's keys are crossed
        {ViewList, 0, 0, 0, VkRight, 0},        {ViewImageBrowser, 4, 10, 2, VkDown, 6},
        {ViewImageBrowser, 0, 10, 6, VkDown, 6}};
    for (const auto& c : cases)
    {
        resetCatalogue();
        addGames(c[2]);
        FrontendSettings.MenuType = (ViewMode)c[0];
        Skin.ListColumns = c[1];
        drawMainScreen(FrontendState.BackBufferDC); // the list font, as after any redraw
        FrontendState.CurrentGame = c[3];
        FrontendState.ShutdownStage = PowerOffStarted;
        tick({c[4]});
        EXPECT_EQ(FrontendState.CurrentGame, c[5]) << c[0] << " " << c[3];
        EXPECT_EQ(FrontendState.ShutdownStage, PowerOffIdle); // a move breaks the sequence off
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
    // Ticks of held keys; the answer; power-off requests, quit, game started.
    const std::tuple<std::vector<std::vector<int>>, int, int, int, int> cases[] = {
        {{{'3', '4'}, {'1'}}, 1, 1, 1, 0},
        {{{'3'}, {VkDown}, {'4'}, {'1'}}, 1, 0, 0, 1},
        {{{'3'}, {'4'}, {'1'}, {'1'}}, 0, 2, 0, 0}}; // refused: asked again at the next start
    for (const auto& [ticks, accept, requests, quit, game] : cases)
    {
        FrontendState.ShutdownStage = PowerOffIdle;
        testPowerOffRequests() = 0;
        testAnswerPowerOff(accept);
        fs::remove(record);
        for (const std::vector<int>& keys : ticks) tick(keys);
        EXPECT_EQ(std::vector<int>({quitPosted(), testPowerOffRequests(), (int)fs::exists(record)}),
                  std::vector<int>({quit, requests, game}));
    }
    // What was pressed while the game ran was meant for the game.
    fs::remove(record);
    FrontendState.CurrentGame = 1;
    FrontendState.ShutdownStage = PowerOffIdle;
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
    EXPECT_EQ(FrontendState.ShutdownStage, PowerOffStarted);
    EXPECT_EQ(iniReadInt("Keymappings", "StartGame", "0", FrontendSettings.ConfigFile), VkReturn);
    tick({'S'}); // the new keys act at the next tick
    EXPECT_EQ(FrontendState.CurrentGame, 1);
}

static std::vector<int64_t> Ticks; // the counter at each tick
static int QuitAfterTicks;

// The third tick blocks for 60 seconds.
static void recordingTick(Window*)
{
    Ticks.push_back(platformCounter());
    if (Ticks.size() == 3) testAdvanceClock(platformCounterFrequency() * 60);
    if ((int)Ticks.size() == QuitAfterTicks) platformPostQuit(0);
}

// Each zone is 0.2 x the axis's range wide, counted from the end it lies at; an unplugged
// stick fails every read and the log hears of it once a second.
TEST_F(Controls, JoystickZonesButtonsAndUnplugging)
{
    addGames(5);
    testAttachJoystick();
    initJoystick();
    ASSERT_EQ(FrontendState.JoystickPresent, 1);
    struct
    {
        uint32_t Min;
        int Position, Right, Left;
    } cases[] = {{0, 52428, 1, 0}, {0, 52427, 0, 0},    {0, 13107, 0, 1},
                 {0, 13108, 0, 0}, {1000, 14107, 0, 1}, {1000, 14108, 0, 0}};
    for (const auto& c : cases)
    {
        FrontendState.JoystickXMin = FrontendState.JoystickYMin = c.Min;
        testMoveJoystick((int16_t)(c.Position - 32768), (int16_t)(c.Position - 32768));
        int seen[] = {isJoystickActive(1), isJoystickActive(2), isJoystickActive(4),
                      isJoystickActive(8)};
        EXPECT_THAT(seen, testing::ElementsAre(c.Right, c.Left, c.Right, c.Left)) << c.Position;
    }
    testMoveJoystick(0, 0);
    testJoystickButton(2, 1);
    for (int code : {16, 32, 64, 128, 0, 3, 255})
        EXPECT_EQ(isJoystickActive(code) != 0, code == 32) << code;
    testDetachJoystick();
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; i++, testAdvanceClock(platformCounterFrequency() / 2))
        for (int read = 0; read < 8; read++) EXPECT_EQ(isJoystickActive(4), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error reading joystick!\nError reading joystick!\n");
}

// A window manager resizing the screen, or the screen turned, under the running front end:
// the main screen is drawn again at once at the new size (the status bar along its bottom).
TEST_F(Controls, AScreenResizedOrTurnedWhileRunningIsRedrawnAtItsNewSize)
{
    addGames(5);
    redrawMainWindow();
    const std::tuple<int, int, int, int> cases[] = {{640, 480, 0, 640}, {640, 480, 90, 480}};
    for (const auto& [width, height, degrees, across] : cases)
    {
        testResizeScreen(width, height);
        platformSetRotation(degrees);
        Surface* buffer = FrontendState.BackBufferDC;
        int down = width * height / across;
        EXPECT_EQ(platformSurfaceWidth(buffer) * 10000 + platformSurfaceHeight(buffer),
                  across * 10000 + down);
        EXPECT_EQ(platformGetPixel(buffer, across / 2, down - 1), Skin.StatusBarBackColor);
    }
}

TEST(MainLoop, CatchesUpAfterABlockedTickAndEndsOnEveryQuitPath)
{
    startTestPlatform();
    FrontendState = FrontendStateRecord();
    Ticks.clear();
    MainLoopTick = recordingTick;
    QuitAfterTicks = 3 + 600 + 2;
    ASSERT_EQ(runMainLoop(), 0);
    const int64_t tick = platformCounterFrequency() / 10, after = 3 * tick + 600 * tick;
    // The 600 ticks that fell due run back to back, then the schedule goes on undrifted.
    EXPECT_EQ(std::vector<int64_t>(Ticks.begin() + 1, Ticks.begin() + 4),
              std::vector<int64_t>({2 * tick, 3 * tick, after}));
    EXPECT_EQ(Ticks[602], after);
    EXPECT_EQ(Ticks[603], after + tick);

    // The Exit keys of both players, only while the window has the focus.
    MainLoopTick = processTick;
    FrontendSettings.Keys[KeyExit] = VkEscape;
    FrontendSettings.Keys[KeyP2Exit] = VkF1 + 11; // F12, bound to nothing else
    for (int key : {(int)VkEscape, VkF1 + 11})
    {
        FrontendState.WindowHasFocus = 0;
        testTapKey(key);
        processTick(nullptr);
        Message message;
        EXPECT_FALSE(platformPeekMessage(&message) && message.Kind == MsgQuit);
        FrontendState.WindowHasFocus = 1;
        testTapKey(key);
        EXPECT_EQ(runMainLoop(), 0);
    }
    platformStop();
}

// Idle work is offered only the time left before the next tick, and work that uses it never
// moves a tick off its schedule.
TEST(MainLoop, IdleWorkFitsBetweenTicks)
{
    startTestPlatform();
    const int64_t tick = platformCounterFrequency() / 10;
    std::vector<int64_t> ticks;
    std::vector<int> offered;
    int done = 0;
    auto work = [&](int milliseconds)
    {
        offered.push_back(milliseconds);
        if (milliseconds < 40) return 0; // as the decoding ahead: a slice needs room
        testAdvanceClock(tick * 3 / 10); // 30 ms of work
        return 1;
    };
    runTickLoop(
        [&]
        {
            ticks.push_back(platformCounter());
            done = ticks.size() == 4;
        },
        &done, nullptr, work);
    for (size_t i = 1; i < ticks.size(); i++) EXPECT_EQ(ticks[i] - ticks[i - 1], tick);
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(*std::max_element(offered.begin(), offered.end()), 100);
    EXPECT_GT(*std::min_element(offered.begin(), offered.end()), 0);
    platformStop();
}
