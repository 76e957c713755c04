// The operator's cabinet: the lock and its sequence, demo games as the screensaver, the time
// limit, and music between games.
#include "catalogue/filters.h"
#include "catalogue/history.h"
#include "core/attract.h"
#include "core/lock.h"
#include "core/mainwindow.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "popups/message.h"
#include "runtime/controls.h"
#include "runtime/music.h"
#include "support.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>

class Operator : public WithMainWindow
{
protected:
    void SetUp() override
    {
        WithMainWindow::SetUp();
        writeWave(Dir / "skin" / "no.wav", 10);
        Skin.Sounds.NotAllowed = "no.wav";
    }
    void lockWith(int locked, const std::string& sequence, const std::string& allows)
    {
        FrontendSettings.Locked = locked;
        FrontendSettings.LockSequence = sequence;
        FrontendSettings.LockAllows = allows;
        loadLock();
    }
    // Emulator A (demos allowed) with three games, B (not allowed) with two; the hanger stays
    // for a minute unless asked to end, and names the game last in its arguments.
    void addDemoGames()
    {
        for (const char* name : {"A", "B"})
        {
            Emulator* emulator = addEmulator(name);
            emulator->ExecPath = TestPrograms;
            emulator->Executable = "hanger";
            emulator->CmdLine = (Dir / "hanger.txt").string() + " polite 60000 %r";
            emulator->AttractPlay = name[0] == 'A';
        }
        for (const char* name : {"a1", "a2", "a3"}) addGame(name, 0);
        for (const char* name : {"b1", "b2"}) addGame(name, 1);
        rebuildVisibleGames();
    }
};

static int notAllowedSounds()
{
    int count = 0;
    for (const std::string& path : testSoundsPlayed()) count += path.ends_with("no.wav");
    testSoundsPlayed().clear();
    return count;
}

// What each key did: the "not allowed" sound, the quit, the shown emulator, the favourite
// mark, the power-off stage.
TEST_F(Operator, TheLockStopsWhatChangesOrLeavesTheCabinetAndLetsThroughWhatItAllows)
{
    addEmulator("A");
    addEmulator("B");
    addGame("a1");
    rebuildVisibleGames();
    FrontendSettings.AllowMenu = 0; // the menu stays shut either way: only the sound tells
    struct Case
    {
        int Key, Locked;
        std::string Allows;
        std::vector<int> Did; // sound, quit, emulator, favourite, stage
    };
    const Case cases[] = {
        {'2', 1, "", {1, 0, -1, 0, 0}},          {'2', 0, "", {0, 0, -1, 0, 0}},
        {VkEscape, 1, "", {1, 0, -1, 0, 0}},     {VkEscape, 0, "", {0, 1, -1, 0, 0}},
        {'3', 1, "", {1, 0, -1, 0, 0}},          {'3', 0, "", {0, 0, -1, 0, 1}},
        {'5', 1, "", {1, 0, -1, 0, 0}},          {'5', 1, "changeemu", {0, 0, 0, 0, 0}},
        {'C', 1, "ChangeEmu", {1, 0, -1, 0, 0}}, {'C', 1, "ToggleFavourite", {0, 0, -1, 1, 0}},
        {VkDown, 1, "", {0, 0, -1, 0, 0}},
    };
    for (const Case& c : cases)
    {
        lockWith(c.Locked, "", c.Allows);
        tick({}); // the key of the case before let go: the next is a press of its own
        FrontendState.CurrentEmulator = AllEmulators;
        FrontendState.ShutdownStage = PowerOffIdle;
        if (VisibleGames.empty()) rebuildVisibleGames();
        if (PlayRecords.size()) PlayRecords.clear(), VisibleGames[0]->Played = nullptr;
        testSoundsPlayed().clear();
        tick({c.Key});
        int favourite =
            VisibleGames.size() && VisibleGames[0]->Played && VisibleGames[0]->Played->Favourite;
        std::vector<int> did = {notAllowedSounds(), quitPosted(), FrontendState.CurrentEmulator,
                                favourite, FrontendState.ShutdownStage};
        EXPECT_EQ(did, c.Did) << c.Key << " locked " << c.Locked << " " << c.Allows;
    }
    // Held, a stopped key sounds once: for the press, not for every tick.
    lockWith(1, "", "");
    testPressKey('2');
    for (int i = 0; i < 3; i++) processTick(FrontendState.MainWindow);
    testReleaseKey('2');
    EXPECT_EQ(notAllowedSounds(), 1);
    // Held over ticks, the favourite key marks once: it would otherwise undo itself.
    lockWith(0, "", "");
    testPressKey('C');
    for (int i = 0; i < 2; i++) processTick(FrontendState.MainWindow);
    testReleaseKey('C');
    EXPECT_TRUE(VisibleGames[0]->Played && VisibleGames[0]->Played->Favourite);
}

TEST_F(Operator, TheSequenceSwitchesTheLockWithinFiveSecondsAndBadOnesAreTold)
{
    addEmulator("A");
    for (int i = 0; i < 6; i++) addGame("g" + std::to_string(i));
    addGame("adult")->Mature = 1;
    rebuildVisibleGames();
    std::string config = useConfig(Dir / "torvanell.ini", "[Settings]\nSkin=Arcade\n");
    lockWith(0, " up, Down ,UP,down", "");
    FrontendState.CurrentGame = 3;
    const int64_t second = platformCounterFrequency();
    // Held across two ticks, a key is one entry; the moves move the selection as usual (the
    // held one twice).
    for (const std::vector<int>& keys :
         std::vector<std::vector<int>>{{VkUp}, {VkUp}, {}, {VkDown}, {}, {VkUp}, {}})
        tick(keys);
    EXPECT_EQ(FrontendSettings.Locked, 0);
    std::string said = stderrOf([] { tick({VkDown}); });
    EXPECT_EQ(std::tuple(FrontendSettings.Locked, MessageText, FrontendState.CurrentGame),
              std::tuple(1, std::string("Locked"), 2));
    EXPECT_NE(said.find("locked the cabinet"), std::string::npos);
    EXPECT_EQ(VisibleGames.size(), 6u); // the mature game is hidden
    EXPECT_EQ(readText(config), "[Settings]\nSkin=Arcade\nLocked=1\n") << "saved at once";
    // Too slow: 5.1 seconds from the first entry to the last.
    for (int key : {VkUp, VkDown, VkUp})
    {
        tick({key});
        testAdvanceClock(second * 17 / 10);
    }
    tick({VkDown});
    EXPECT_EQ(FrontendSettings.Locked, 1);
    const std::tuple<std::string, std::string, std::string> told[] = {
        {"Up", "", "at least two actions"},
        {"Up,Jump", "", "\"Jump\" names no action"},
        {"Up,,Down", "", "\"\" names no action"},
        {"", "Exit,Dance", "the lock always stops Exit"},
        {"", "Exit,Dance", "\"Dance\" names no action"},
    };
    for (const auto& [sequence, allows, text] : told)
    {
        std::string lines = stderrOf([&] { lockWith(1, sequence, allows); });
        EXPECT_NE(lines.find(text), std::string::npos) << lines;
        EXPECT_TRUE(Lock.Sequence.empty());
    }
    // A key held while the lock is read again is still one press, for every action.
    lockWith(0, "Up,Down", "");
    const int favourite = FrontendSettings.Keys[KeyToggleFavourite];
    const Game& selected = *VisibleGames.at(FrontendState.CurrentGame);
    tick({favourite});
    lockWith(0, "Up,Down", "");
    tick({favourite});
    EXPECT_EQ(isFavourite(selected), 1);
}

// A lock the owner wrote as anything but a plain 0 locks, is told, and stays as written.
TEST_F(Operator, ALockValueThatIsNotZeroLocks)
{
    const std::tuple<const char*, int, int> values[] = {
        {"0", 0, 0}, {"1", 1, 0}, {"yes", 1, 1}, {"true", 1, 1}, {"1 ; by the owner", 1, 1}};
    for (const auto& [text, locked, told] : values)
    {
        std::string file =
            useConfig(Dir / "torvanell.ini", std::string("[Settings]\nLocked=") + text + "\n");
        std::string said = stderrOf(loadFrontendSettings);
        EXPECT_EQ(FrontendSettings.Locked, locked) << text;
        EXPECT_EQ(said.find("Locked=") != std::string::npos, told != 0) << text << ": " << said;
        writeFrontendSettings(std::nullopt);
        EXPECT_NE(readText(file).find(std::string("Locked=") + text + "\n"), std::string::npos)
            << text;
    }
}

// While a game holds the keyboard the input devices tell of every key as it goes down and up:
// a tap between two looks is seen by the demo's watch, and a key let go and pressed again
// between two looks starts the exit hold afresh.
TEST_F(Operator, EveryTouchOfTheInputDevicesIsSeen)
{
    fs::create_directories(Dir / "input");
    std::string device = (Dir / "input" / "event0").string();
    ASSERT_EQ(mkfifo(device.c_str(), 0600), 0);
    int writer = open(device.c_str(), O_RDWR | O_NONBLOCK); // kept open: no end of file
    ASSERT_GE(writer, 0);
    testUseInputDevices((Dir / "input").string());
    auto send = [writer](std::vector<std::pair<int, int>> keys)
    {
        for (auto [code, value] : keys)
        {
            input_event event = {};
            event.type = EV_KEY;
            event.code = (uint16_t)code;
            event.value = value;
            ASSERT_EQ(write(writer, &event, sizeof event), (ssize_t)sizeof event);
        }
    };
    EXPECT_EQ(isAnyControlTouched(), 0);
    send({{KEY_DOWN, 1}, {KEY_DOWN, 0}}); // a tap of any length, between two looks
    EXPECT_EQ(isAnyControlTouched(), 1);
    EXPECT_EQ(isAnyControlTouched(), 0) << "seen once";
    send({{BTN_RIGHT, 1}});
    KeyHold button = platformKeyHold(VkRButton);
    EXPECT_EQ(std::tuple(button.Down, button.Pressed), std::tuple(1, 1));
    send({{BTN_RIGHT, 0}, {KEY_ESC, 1}});
    EXPECT_EQ(isExitHeld(), 1);
    send({{KEY_ESC, 2}, {KEY_ESC, 0}, {KEY_ESC, 1}}); // a repeat, then let go and pressed again
    EXPECT_EQ(isExitHeld(), 0) << "a new hold";
    EXPECT_EQ(isExitHeld(), 1);
    send({{KEY_ESC, 0}});
    EXPECT_EQ(isExitHeld(), 0);
    close(writer);
    testUseInputDevices("");
}

static int64_t SleptMs;
static int PressAtMs;
static void pressAnyKeyLater(int milliseconds)
{
    SleptMs += milliseconds;
    if (PressAtMs < 0 || SleptMs < PressAtMs) return;
    testPressKey('Q');
    PressAtMs = -1;
}

// Started by the idle timer: one demo ends by its time, the next at a key; the list is back on
// the game selected before and no play was counted. Three failures in a row give up.
TEST_F(Operator, DemoGamesPlayTheirTimeEndAtATouchAndFailThreeTimesAtMost)
{
    addDemoGames();
    FrontendSettings.ScreenSaverType = SaverPlay;
    FrontendSettings.AttractPlaySeconds = 2;
    FrontendState.CurrentGame = 4;
    SleptMs = 0;
    PressAtMs = 3000;
    testOnSleep(pressAnyKeyLater);
    std::string said = stderrOf([] { startScreenSaver(); });
    testOnSleep(nullptr);
    testReleaseKey('Q');
    EXPECT_NE(said.find("Demo game ended after 2 s"), std::string::npos) << said;
    size_t touched = said.find("A control was touched");
    ASSERT_NE(touched, std::string::npos) << said;
    EXPECT_NE(said.find(" a", said.rfind("polite", touched)), std::string::npos); // A's game
    EXPECT_EQ(std::tuple(FrontendState.CurrentGame, FrontendState.ScreenSaverActive,
                         PlayRecords.size(), Attract.GaveUp),
              std::tuple(4, 0, 0u, 0));
    // An emulator that cannot start: three are told, then the pictures take over.
    EmulatorTable[0]->Executable = "missing-emulator";
    said = stderrOf([] { startScreenSaver(); });
    EXPECT_EQ(std::tuple(FrontendState.ScreenSaverActive, Attract.GaveUp, boxTexts().size()),
              std::tuple(1, 1, 0u));
    size_t skipped = 0;
    for (size_t at = 0; (at = said.find("skipped", at)) != std::string::npos; at++) skipped++;
    EXPECT_EQ(skipped, 3u) << said;
}

TEST_F(Operator, AGameIsEndedAtTheTimeLimitAndTheLogSaysSo)
{
    addDemoGames();
    FrontendSettings.GameTimeLimitMinutes = 1;
    int code = 0;
    std::string said = stderrOf([&] { EXPECT_EQ(launchGame(VisibleGames[0], &code), 1); });
    EXPECT_NE(said.find("Time limit of 1 minute reached"), std::string::npos) << said;
    EXPECT_NE(readText("log.txt").find("Ended after the time limit of 1 minute: "),
              std::string::npos);
    EXPECT_EQ(code, 128 + 15); // asked to end
}

TEST_F(Operator, MusicPlaysEveryTrackOnceARoundSkipsWhatCannotPlayAndPausesForGames)
{
    for (size_t count : {1, 2, 7, 50})
        for (uint64_t seed = 0; seed < 20; seed++)
        {
            size_t last = seed % count;
            std::vector<size_t> order = shuffledRound(count, last, seed), sorted = order;
            std::sort(sorted.begin(), sorted.end());
            for (size_t i = 0; i < count; i++) EXPECT_EQ(sorted[i], i);
            EXPECT_TRUE(count == 1 || order[0] != last) << count << " " << seed;
        }
    fs::path music = Dir / "music";
    fs::create_directories(music / "sub");
    for (const char* name : {"a.wav", "sub/B.WAV", "c.wav"}) writeWave(music / name, 50);
    writePicture(music / "picture.mp3", 4, 4, 0);
    touch(music / "empty.flac");
    writeText(music / "huge.mp3", "");
    fs::resize_file(music / "huge.mp3", 2LL << 30); // 2 GB, never read whole
    writeText(music / "notes.txt", "not music");
    fs::create_directory_symlink(music, music / "sub" / "loop");
    FrontendSettings.MusicFolder = music.string();
    std::vector<std::string> titles;
    std::string said = stderrOf(
        [&]
        {
            startMusic();
            for (int i = 0; i < 6; i++, skipTrack()) titles.push_back(musicTitle());
        });
    EXPECT_EQ(Music.Tracks.size(), 6u);
    for (size_t round : {0, 3})
    {
        std::set<std::string> played(titles.begin() + round, titles.begin() + round + 3);
        EXPECT_EQ(played, (std::set<std::string>{"a", "B", "c"})) << round;
    }
    for (size_t i = 1; i < titles.size(); i++) EXPECT_NE(titles[i], titles[i - 1]);
    for (const char* bad : {"picture.mp3 is not MP3", "empty.flac is not MP3", "huge.mp3 is not"})
    {
        EXPECT_NE(said.find(bad), std::string::npos) << said;
        EXPECT_EQ(said.find(bad), said.rfind(bad)) << said; // told once, though met twice
    }
    // Silent while a game runs, on again after it.
    addDemoGames();
    EmulatorTable[0]->CmdLine = "%r";
    EmulatorTable[0]->Executable = "argrecorder";
    int pausedDuring = 0, code;
    launchGame(VisibleGames[0], &code, [&] { pausedDuring = Music.Pauses; });
    EXPECT_EQ(std::tuple(pausedDuring, Music.Pauses), std::tuple(1, 0));
    stopMusic();
}
