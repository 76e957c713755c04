// The whole program run in-process on the test platform: start-up, the MAME list, exit codes
// and what is saved.
#include "core/frontend.h"
#include "core/mainwindow.h"
#include "platform/input.h"
#include "platform/testing.h"
#include "popups/message.h"
#include "runtime/state.h"
#include "support.h"

#include <csignal>
#include <fstream>
#include <functional>

const std::string HandListed = "[Settings]\nEmulators=Demo\n[Demo]\nGame1=Zeta,zeta\n";

static std::string mameConfig(const std::string& executable, const std::string& settings = "")
{
    std::string section = "\nExecPath=emu dir\nExecutable=" + executable + "\n";
    return "[Settings]\nEmulators=MAME,mame plus\n" + settings + "[MAME]" + section +
           "[mame plus]" + section;
}

// Runs the program the way main does; the player taps Exit whenever the program rests.
static int run(const std::string& config, const fs::path& file = "t.ini")
{
    if (!config.empty()) writeText(file, config);
    testOnSleep([](int) { testTapKey(VkEscape); });
    int code = runFrontend(file.string());
    testOnSleep(nullptr);
    return code;
}

TEST_F(InFreshDirectory, FailedStartsLeaveTheConfigurationAndNoBadListAndAGoodOneIsCapturedOnce)
{
    std::string command = "emu dir/no such mame -listxml";
    auto gone = [&]
    {
        fs::create_directory(Dir / "gone");
        fs::current_path(Dir / "gone");
        fs::remove(Dir / "gone"); // the current directory no longer has a path
    };
    // The configuration, what happens first, the boxes, and whether mame.lst is kept.
    const std::tuple<std::string, std::function<void()>, std::vector<std::string>, bool> cases[] = {
        {HandListed,
         [] { ASSERT_TRUE(platformRegisterClass(MainWindowClass, mainWindowProc)); },
         {"Failed to register window class!"},
         false},
        {mameConfig("no such mame"), [] {}, {"Cannot start [" + command + "]: not found."}, false},
        // Only the information file is missing: the good list is not thrown away.
        {mameConfig("x", "UseMameInfoDat=1\nMameinfo.dat=none.dat\n"),
         [] { writeText("mame.lst", "<mame><machine name=\"a\"/></mame>"); },
         {"Error loading game list!"},
         true},
        {mameConfig("x"),
         gone,
         {"Unable to get game list file path!", "Error loading game list!"},
         false},
    };
    for (const auto& [config, prepare, boxes, listKept] : cases)
    {
        startTestPlatform();
        fs::current_path(Dir);
        writeText("t.ini", config);
        prepare();
        EXPECT_EQ(run("", Dir / "t.ini"), 1);
        EXPECT_EQ(boxTexts(), boxes);
        EXPECT_EQ(testMessageBoxes()[0].HadOwner != 0,
                  config != HandListed); // none without a window
        EXPECT_EQ(readText(Dir / "t.ini"), config);
        EXPECT_EQ(fs::exists(Dir / "mame.lst"), listKept); // else the next start captures it
        fs::remove(Dir / "mame.lst");
        resetCatalogue();
        platformStop();
    }

    // A list captured once, then reused; a configuration path with blanks is one argument.
    fs::current_path(Dir);
    startTestPlatform();
    fs::create_directories("emu dir");
    fs::create_directories("my cabinet");
    fs::copy_file(TestPrograms + "fakemame", "emu dir/fake mame");
    setenv("FAKEMAME_LOG", (Dir / "runs.txt").c_str(), 1);
    EXPECT_EQ(run(mameConfig("fake mame"), "my cabinet/t t.ini"), 0);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_EQ(platformShowPointer(0), 0); // shown again at the end: the counter ended at 1
    EXPECT_NE(readText("mame.lst").find("fakepac"), std::string::npos);
    startTestPlatform();
    EXPECT_EQ(run("", "my cabinet/t t.ini"), 0);
    EXPECT_EQ(readText("runs.txt"), "run\n"); // the second emulator and the second start reuse it
    unsetenv("FAKEMAME_LOG");
    resetCatalogue();
    platformStop();
}

// What the stop test's sleep hook does: the key it presses first, and when it sends the signals.
struct StopScript
{
    int Key;
    std::function<bool()> Ready; // true at the moment to stop at
    std::vector<int> Signals;
    int64_t SleptMs = 0;
};
static StopScript* Script;

static void stopWhenReady(int milliseconds)
{
    Script->SleptMs += milliseconds;
    // Keys pressed while loading are flushed: the key waits for the list on the screen.
    if (Script->SleptMs >= 300 && Script->Key && platformIsWindowVisible(FrontendState.MainWindow))
    {
        testTapKey(Script->Key);
        Script->Key = 0;
    }
    if (Script->Key || Script->Signals.empty() || !Script->Ready()) return;
    for (int signal : Script->Signals) raise(signal);
    Script->Signals.clear();
}

static bool processGone(const std::string& recordFile)
{
    std::ifstream record(recordFile);
    int own = 0, child = 0;
    record >> own >> child;
    return own > 0 && child > 0 && kill(own, 0) != 0 && kill(child, 0) != 0;
}

TEST_F(InFreshDirectory, AStopSignalAtAnyMomentEndsTheFrontEndAsExitDoesWithTheSettingsSaved)
{
    fs::copy_file(TestPrograms + "hanger", Dir / "hanger");
    writeText("slow mame", "#!/bin/sh\nsleep 30\n");
    fs::permissions("slow mame", fs::perms::owner_all);
    // A stubborn game: the front end has to kill it after asking.
    std::string handListed = "[Settings]\nEmulators=Demo\nScreenSaverStartInterval=2\n"
                             "ExitGameHoldSeconds=0\n[System]\nSelectedGame=alpha\n[Demo]\n"
                             "ExecPath=" +
                             Dir.string() +
                             "\nExecutable=hanger\n"
                             "CmdLine=rec.txt stubborn 20000\n"
                             "Game1=Alpha,alpha\nGame2=Beta,beta\nGame3=Gamma,gamma\n";
    std::string slowMame = mameConfig("slow mame");
    std::string withInformation = mameConfig("fake mame", "UseMameInfoDat=1\nMameinfo.dat=i.dat\n");
    withInformation.replace(withInformation.find("[MAME]"), 6,
                            "[MAME]\nRomPath=roms\nRomFileExt=zip");
    fs::create_directories("roms");
    touch("roms/fakepac.zip");
    fs::create_directories("emu dir");
    fs::copy_file(TestPrograms + "fakemame", "emu dir/fake mame");
    writeText("i.dat", "$info=fakepac,fakepacb,fakevert\n$mame\nA fake.\n$end\n");
    auto popUpOpen = [] { return platformFocusWindow() != FrontendState.MainWindow; };
    auto after = [](int ms) { return [ms] { return Script->SleptMs >= ms; }; };
    // Where the signal comes, the selection the configuration must name afterwards.
    std::tuple<const char*, std::string, StopScript, const char*> cases[] = {
        {"main screen", handListed, {VkDown, after(1000), {SIGTERM}}, "beta"},
        {"screensaver",
         handListed,
         {0, [] { return FrontendState.ScreenSaverActive != 0; }, {SIGHUP}},
         nullptr},
        {"menu", handListed, {'2', popUpOpen, {SIGINT}}, "alpha"},
        {"information", withInformation, {VkControl, popUpOpen, {SIGTERM}}, nullptr},
        {"controls set-up",
         handListed,
         {'3', [] { return MessageText == "Press Player 1 UP"; }, {SIGTERM}},
         "alpha"},
        {"a game", handListed, {'1', [] { return fs::exists("rec.txt"); }, {SIGTERM}}, "alpha"},
        {"two at once", handListed, {VkDown, after(1000), {SIGTERM, SIGINT, SIGHUP}}, "beta"},
        {"capture of the list", slowMame, {0, after(200), {SIGTERM}}, nullptr},
    };
    for (auto& [moment, config, script, selected] : cases)
    {
        SCOPED_TRACE(moment);
        startTestPlatform();
        fs::current_path(Dir);
        writeText("t.ini", config);
        fs::copy_file("slow mame", "emu dir/slow mame", fs::copy_options::overwrite_existing);
        Script = &script;
        testOnSleep(stopWhenReady);
        EXPECT_EQ(runFrontend("t.ini"), 0);
        testOnSleep(nullptr);
        EXPECT_TRUE(script.Signals.empty()); // the moment came
        EXPECT_TRUE(boxTexts().empty());
        std::string saved = readText("t.ini");
        std::string wanted = selected ? std::string("SelectedGame=") + selected : "[Settings]";
        EXPECT_NE(saved.find(wanted), saved.npos);
        EXPECT_NE(saved.find("MenuType="), saved.npos); // written by the exit save alone
        // A list cut short is not kept; a whole one is.
        EXPECT_EQ(fs::exists("mame.lst"), config == withInformation);
        EXPECT_TRUE(!fs::exists("rec.txt") || processGone("rec.txt"));
        fs::remove("rec.txt");
        fs::remove("mame.lst");
        resetCatalogue();
        platformStop();
    }
}
