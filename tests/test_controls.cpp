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
    Skin.ShowStatusBar = ScreenLayout.StatusBarHeight = Skin.ListStartY = 0;
    addGames(1);
    drawMainScreen(FrontendState.BackBuffer); // selects the list's font
    int line = getTextHeight(FrontendState.BackBuffer);
    Skin.ListHeight = 10 * line + 3; // ten names a page
    struct Move
    {
        ViewMode View;
        int Columns, Games, From, Key, To;
        int BarHidden = 0; // the status bar's height, kept since it was last shown
    };
    const Move cases[] = {
        {ViewList, 0, 25, 20, VkLeft, 11, line}, // a page back keeps clear of a hidden bar
        {ViewList, 0, 25, 0, VkRight, 10, line}, // a page on does not
        {ViewList, 0, 25, 0, VkUp, 24},          {ViewList, 0, 25, 3, VkRight, 13},
        {ViewList, 0, 25, 24, VkRight, 24},      {ViewList, 0, 25, 5, VkLeft, 0},
        {ViewList, 0, 25, 5, 'D', 15}, // Player 2's keys are crossed
        {ViewList, 0, 0, 0, VkRight, 0},         {ViewImageBrowser, 4, 10, 2, VkDown, 6},
        {ViewImageBrowser, 0, 10, 6, VkDown, 6}};
    for (const Move& c : cases)
    {
        resetCatalogue();
        addGames(c.Games);
        FrontendSettings.MenuType = c.View;
        Skin.ListColumns = c.Columns;
        ScreenLayout.StatusBarHeight = c.BarHidden;
        drawMainScreen(FrontendState.BackBuffer); // the list font, as after any redraw
        FrontendState.CurrentGame = c.From;
        FrontendState.ShutdownStage = PowerOffStarted;
        tick({c.Key});
        EXPECT_EQ(FrontendState.CurrentGame, c.To) << c.View << " " << c.From;
        EXPECT_EQ(FrontendState.ShutdownStage, PowerOffIdle); // a move breaks the sequence off
    }
}

// A trackball's rows and a spinner's pages: remainders kept for the next tick, motion turned as
// the picture is, at most a page a tick; the first motion only wakes the screensaver.
TEST_F(Controls, TrackballsAndSpinnersMoveByRowsAndPages)
{
    Skin.ShowStatusBar = ScreenLayout.StatusBarHeight = Skin.ListStartY = 0;
    addGames(40);
    drawMainScreen(FrontendState.BackBuffer);
    Skin.ListHeight = 10 * getTextHeight(FrontendState.BackBuffer) + 3; // ten names a page
    drawMainScreen(FrontendState.BackBuffer);
    FrontendSettings.SpinnerPagePixels = 100;
    struct Rolls
    {
        int Rotation, From;
        std::vector<std::tuple<int, int, int>> Moves; // dx, dy, then the game selected
    };
    const Rolls cases[] = {
        {0, 20, {{0, 30, 20}, {0, 30, 21}, {0, -100, 19}}}, // the rest is kept: 60, then -80
        {0, 19, {{5, 5000, 29}}},                           // far too fast: a page of rows
        {0, 29, {{250, 0, 39}, {150, 0, 39}}},              // a page at most; the end stops it
        {90, 20, {{80, 0, 18}, {0, 100, 28}}},              // turned: right is up, down is on
        {180, 20, {{0, -40, 21}}},
        {270, 20, {{0, 40, 20}, {40, 0, 21}}},
    };
    for (const Rolls& c : cases)
    {
        FrontendSettings.Rotation = c.Rotation;
        FrontendState.CurrentGame = c.From;
        flushKeyboard(); // no rest left from the case before
        for (const auto& [dx, dy, to] : c.Moves)
        {
            testMovePointer(dx, dy);
            tick({});
            EXPECT_EQ(FrontendState.CurrentGame, to) << c.Rotation << ": " << dx << "," << dy;
        }
    }
    FrontendSettings.Rotation = 0;
    FrontendState.ScreenSaverActive = 1;
    testMovePointer(0, 45);
    tick({});
    EXPECT_EQ(std::tuple(FrontendState.ScreenSaverActive, FrontendState.CurrentGame),
              std::tuple(0, 21));
    FrontendSettings.TrackballRowPixels = 0;
    testMovePointer(0, 4000);
    tick({});
    EXPECT_EQ(FrontendState.CurrentGame, 21) << "switched off";
}

// Mouse buttons past the fifth are written by name; a bound one acts as a key does, and the
// controls set-up writes a button by its name.
TEST_F(Controls, MouseButtonsAreBoundByNumberOrName)
{
    addGames(5);
    std::string file = useConfig(
        Dir / "torvanell.ini", "[Keymappings]\nSelectDown=Mouse7\nSelectUp=2\nGameInfo=mouse17\n");
    EXPECT_NE(stderrOf(loadFrontendSettings).find("GameInfo=mouse17: Mouse1 to Mouse16"),
              std::string::npos);
    EXPECT_EQ(FrontendSettings.Keys[KeySelectDown], mouseButtonCode(7));
    EXPECT_EQ(FrontendSettings.Keys[KeyGameInfo], 0);
    EXPECT_EQ(mouseButtonCode(3), VkRButton) << "SDL's third is the right button";
    FrontendState.CurrentGame = 1;
    tick({mouseButtonCode(7)});
    EXPECT_EQ(FrontendState.CurrentGame, 2);
    tick({mouseButtonCode(3)});
    EXPECT_EQ(FrontendState.CurrentGame, 1);
    EXPECT_EQ(keyCodeText(mouseButtonCode(16)), "Mouse16");
    EXPECT_EQ(keyCodeText(VkLButton), "1");
}

// The first game of the next or previous initial, any letter case alike, digits and whatever
// is not a letter one group before A, round the ends; the initial shows for a moment.
TEST_F(Controls, JumpsByLetter)
{
    writeWave(Dir / "skin" / "change.wav", 10);
    Skin.Sounds.ChangeGame = "change.wav";
    // Sorted by bytes: 1942, Alpha, Bravo, Zork, alpha2, beta, Eclair (E with an accent).
    const std::vector<std::string> mixed = {"Zork",
                                            "alpha2",
                                            "1942",
                                            "Bravo",
                                            "beta",
                                            "Alpha",
                                            "\xC3\x89"
                                            "clair"};
    const std::tuple<std::vector<std::string>, int, int, int> cases[] = {
        {mixed, 0, 'X', 1},    {mixed, 1, 'X', 2},
        {mixed, 3, 'X', 0},    {mixed, 4, 'X', 2},
        {mixed, 6, 'X', 1},    {mixed, 1, 'Z', 0},
        {mixed, 0, 'Z', 3},    {mixed, 5, 'I', 1},
        {{"Solo"}, 0, 'X', 0}, {{"Sa", "Sb", "Sc"}, 2, 'X', 0},
        {{}, 0, 'X', 0}};
    for (const auto& [names, from, key, to] : cases)
    {
        resetCatalogue();
        addEmulator("A");
        for (const std::string& name : names) addGame(name);
        sortAllGames();
        rebuildVisibleGames();
        FrontendState.CurrentGame = from;
        testSoundsPlayed().clear();
        tick({key});
        EXPECT_EQ(FrontendState.CurrentGame, to) << names.size() << " " << from;
        EXPECT_EQ(testSoundsPlayed().size(), names.empty() ? 0u : 1u);
    }
    // The square with the initial, in the highlight's colours, gone 0.8 s later.
    addGames(30);
    std::tie(Skin.HighlightBackcolor, Skin.ShowHighlightBar) = std::tuple(0x123456, 0);
    Rect middle = platformScreenRect();
    Surface* buffer = FrontendState.BackBuffer;
    tick({'X'});
    EXPECT_GT(countColour(buffer, middle, 0x123456), 0);
    testAdvanceClock(platformCounterFrequency() * 7 / 10);
    tick({});
    EXPECT_GT(countColour(buffer, middle, 0x123456), 0);
    testAdvanceClock(platformCounterFrequency() / 10);
    tick({});
    EXPECT_EQ(countColour(buffer, middle, 0x123456), 0);
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

// The player presses each key when its prompt shows, or all five at the first prompt; the key
// 3 that began the set-up is still held meanwhile.
static std::vector<int> SetUpKeys;
static std::vector<std::string> Prompts;
static int PressAllAtOnce;
static void playerAtTheControls(int)
{
    if (MessageText.empty() || (!Prompts.empty() && Prompts.back() == MessageText)) return;
    Prompts.push_back(MessageText);
    size_t step = Prompts.size() - 1;
    if (PressAllAtOnce && step == 0)
        for (int key : SetUpKeys) testTapKey(key);
    else if (!PressAllAtOnce && step < SetUpKeys.size())
        testTapKey(SetUpKeys[step]);
}

TEST_F(Controls, TheDefaultKeyThreeRunsTheSetUpAndThenArmsThePowerOff)
{
    addGames(3);
    SetUpKeys = {'W', 'J', VkLButton, 'D', VkReturn};
    testOnSleep(playerAtTheControls);
    for (int atOnce : {0, 1})
    {
        PressAllAtOnce = atOnce;
        Prompts.clear();
        MessageText.clear();
        FrontendState.ShutdownStage = PowerOffIdle;
        tick({'3'});
        std::vector<std::string> prompts = {"Press Player 1 UP", "Press Player 1 DOWN",
                                            "Press Player 1 PAGE UP", "Press Player 1 PAGE DOWN",
                                            "Press Player 1 START"};
        if (atOnce) prompts.resize(1); // the later ones are answered before a rest
        EXPECT_EQ(Prompts, prompts);
        for (int step = 0; step < 5; step++)
            EXPECT_EQ(FrontendSettings.Keys[KeySelectUp + step], SetUpKeys[step]) << atOnce;
    }
    EXPECT_EQ(FrontendState.ShutdownStage, PowerOffStarted);
    EXPECT_EQ(iniReadInt("Keymappings", "StartGame", "0", FrontendSettings.ConfigFile), VkReturn);
    tick({'J'}); // the new keys act at the next tick
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

// Each zone is 0.2 x the axis's range wide, counted from the end it lies at.
TEST_F(Controls, JoystickZones)
{
    int stick = testPlugJoystick(0, 2, 4, 0);
    initJoystick();
    struct
    {
        uint32_t Min;
        int Position, Right, Left;
    } cases[] = {{0, 52428, 1, 0}, {0, 52427, 0, 0},    {0, 13107, 0, 1},
                 {0, 13108, 0, 0}, {1000, 14107, 0, 1}, {1000, 14108, 0, 0}};
    for (const auto& c : cases)
    {
        FrontendState.JoystickXMin = FrontendState.JoystickYMin = c.Min;
        for (int axis : {0, 1}) testJoystickAxis(stick, axis, (int16_t)(c.Position - 32768));
        int seen[] = {isJoystickActive(1), isJoystickActive(2), isJoystickActive(4),
                      isJoystickActive(8)};
        EXPECT_THAT(seen, testing::ElementsAre(c.Right, c.Left, c.Right, c.Left)) << c.Position;
    }
    // What was held as the input was forgotten (a pop-up closed by it) acts once let go.
    testJoystickAxis(stick, 0, 32767);
    testJoystickButton(stick, 0, 1);
    flushKeyboard();
    EXPECT_FALSE(isJoystickActive(1) || isJoystickActive(16));
    testJoystickAxis(stick, 0, 0);
    testJoystickButton(stick, 0, 0);
    EXPECT_FALSE(isJoystickActive(1) || isJoystickActive(16));
    testJoystickAxis(stick, 0, 32767);
    testJoystickButton(stick, 0, 1);
    EXPECT_TRUE(isJoystickActive(1) && isJoystickActive(16));
}

// What each kind of device gives: a known controller through its mapping, an arcade encoder
// or a bare button box through its own axes, hats and buttons. Codes 1 right, 2 left, 4 down,
// 8 up, 16 button 1, 256 button 5, 1 << 30 button 27.
TEST_F(Controls, EachKindOfStickActsThroughItsOwnInputs)
{
    enum Input
    {
        Axis,
        Button,
        Hat
    };
    struct Case
    {
        int Controller, Axes, Buttons, Hats;
        Input Kind;
        int Which, Value;
        std::vector<int> Active; // of the codes below
    } cases[] = {
        {1, 6, 15, 0, Button, 0, 1, {16}},       // A is button 1
        {1, 6, 15, 0, Button, 3, 1, {128}},      // Y is button 4: Exit
        {1, 6, 15, 0, Button, 9, 1, {256}},      // the left shoulder is button 5
        {1, 6, 15, 0, Button, 13, 1, {2}},       // the d-pad's left
        {1, 6, 15, 0, Axis, 1, 32767, {4}},      // the left stick down
        {0, 2, 50, 1, Hat, 0, 1, {8}},           // a hat pushed up is the stick
        {0, 2, 50, 1, Button, 4, 1, {256}},      // button 5
        {0, 2, 50, 1, Button, 26, 1, {1 << 30}}, // button 27, the last one read
        {0, 2, 50, 1, Button, 27, 1, {}},        // button 28 and on are not
        {0, 2, 50, 1, Axis, 0, -32768, {2}},
        {0, 0, 3, 0, Button, 1, 1, {32}}, // no axes: centred
        {0, 0, 0, 0, Button, 0, 1, {}},   // nothing at all
    };
    const int codes[] = {1, 2, 4, 8, 16, 32, 128, 256, 512, 1 << 30};
    initJoystick();
    for (const Case& c : cases)
    {
        int stick = testPlugJoystick(c.Controller, c.Axes, c.Buttons, c.Hats);
        ASSERT_GE(stick, 0);
        if (c.Kind == Axis) testJoystickAxis(stick, c.Which, (int16_t)c.Value);
        if (c.Kind == Button) testJoystickButton(stick, c.Which, c.Value);
        if (c.Kind == Hat) testJoystickHat(stick, c.Which, (uint8_t)c.Value);
        std::vector<int> active;
        for (int code : codes)
            if (isJoystickActive(code)) active.push_back(code);
        EXPECT_EQ(active, c.Active) << c.Controller << " " << c.Kind << " " << c.Which;
        testUnplugJoystick(stick);
    }
}

// Sticks come and go while the front end runs: the first two serve the players, one found
// while both have one waits for a free place, and one pulled out mid-move stops at once.
TEST_F(Controls, SticksPluggedAndPulledWhileRunning)
{
    addGames(30);
    FrontendSettings.MenuType = ViewList;
    std::string lines = stderrOf(
        [&]
        {
            initJoystick();
            int first = testPlugJoystick(1, 6, 15, 0), second = testPlugJoystick(0, 2, 8, 1),
                third = testPlugJoystick(0, 2, 8, 0);
            testJoystickHat(second, 0, 2); // player 2's right pages on, uncrossed
            testJoystickButton(third, 0, 1);
            EXPECT_FALSE(isJoystickActive(16)); // the third serves nobody yet
            redrawMainWindow();                 // the page the move goes by
            processTick(FrontendState.MainWindow);
            EXPECT_GT(FrontendState.CurrentGame, 1);
            testJoystickAxis(first, 1, 32767);
            EXPECT_TRUE(isJoystickActive(4));
            testUnplugJoystick(first); // pulled out while held down
            EXPECT_FALSE(isJoystickActive(4));
            EXPECT_TRUE(isJoystickActive(16)); // the third took player 1's place
            for (int i = 0; i < 100; i++)
            {
                int flicker = testPlugJoystick(0, 2, 8, 0);
                isPlayerJoystickActive(2, 1);
                testUnplugJoystick(flicker);
                isPlayerJoystickActive(2, 1);
            }
            testUnplugJoystick(second);
            testUnplugJoystick(third);
            EXPECT_FALSE(isPlayerJoystickActive(2, 1) || isJoystickActive(16));
        });
    std::vector<std::string> expected = {
        "Joystick found: Test Pad (game controller), player 1",
        "Joystick found: Test Encoder (2 axes, 8 buttons, 1 hats), player 2",
        "Joystick found: Test Encoder (2 axes, 8 buttons, 0 hats), not used: both players have one",
        "Joystick removed: Test Pad (player 1)", "Joystick Test Encoder now serves player 1"};
    std::vector<std::string> seen;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) seen.push_back(line);
    ASSERT_EQ(seen.size(), 5u + 200 + 2) << lines;
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 5), expected);

    // UseJoystick=0 ignores every stick.
    FrontendSettings.UseJoystick = 0;
    int stick = testPlugJoystick(1, 6, 15, 0);
    testJoystickButton(stick, 0, 1);
    EXPECT_FALSE(isJoystickActive(16));
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
        Surface* buffer = FrontendState.BackBuffer;
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
