// A cabinet that talks: the marquee screen on a second display, the [Events] commands and the
// control socket.
#include "catalogue/filters.h"
#include "core/cabinet.h"
#include "core/controlsocket.h"
#include "core/events.h"
#include "core/marquee.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/screens.h"
#include "support.h"

#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

const Color Back = 0x100000, Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Text = 0xFFFFFF;

class Cabinet : public WithMainWindow
{
protected:
    void SetUp() override
    {
        WithMainWindow::SetUp();
        testPretendDisplays(2, 320, 90);
        Skin.Backgroundcolor = Back;
        Skin.Fontcolor = Text;
        Emulator* withArt = addEmulator("Art");
        withArt->Marquees = (Dir / "marquees").string();
        withArt->DefaultMarquee = "default.png";
        withArt->ExecPath = TestPrograms;
        withArt->Executable = "hanger";
        withArt->CmdLine = (Dir / "hanger.txt").string() + " polite 60000";
        addEmulator("Bare");
        fs::create_directories(Dir / "marquees");
        writePicture(Dir / "marquees" / "wide.png", 160, 40, Red);
        writePicture(Dir / "marquees" / "square.png", 40, 40, Green);
        writePicture(Dir / "marquees" / "default.png", 32, 8, Blue);
        for (const char* name : {"wide", "square", "plain"}) addGame(name, 0);
        addGame("Bare Knuckles", 1);
        rebuildVisibleGames(); // in order: Bare Knuckles, plain, square, wide
    }
    void select(const std::string& name)
    {
        FrontendState.CurrentGame = findGameByName(name);
    }
};

static int secondScreenCount(Color color)
{
    int count = 0;
    for (int y = 0; y < 90; y++)
        for (int x = 0; x < 320; x++) count += testSecondScreenPixel(x, y) == color;
    return count;
}

// A 320x90 screen: the wide marquee fills its width (80 high), the square one its height, a game
// without one shows the default, and one whose emulator has none its name; turned by 90 degrees
// the wide one is a band across the middle.
TEST_F(Cabinet, TheMarqueeScreenShowsTheGamesMarqueeTheDefaultOrItsName)
{
    FrontendSettings.MarqueeDisplay = 1;
    struct Case
    {
        std::string Game;
        int Rotation, X, Y;
        Color Expected;
    } cases[] = {
        {"wide", 0, 20, 45, Red},        {"wide", 0, 20, 2, Back},
        {"square", 0, 160, 45, Green},   {"square", 0, 100, 45, Back},
        {"plain", 0, 160, 45, Blue},     {"plain", 0, 160, 2, Back},
        {"wide", 90, 160, 45, Red},      {"wide", 90, 20, 45, Back},
        {"square", 180, 160, 45, Green}, {"Bare Knuckles", 0, 2, 2, Back},
    };
    for (const Case& c : cases)
    {
        FrontendSettings.MarqueeRotation = c.Rotation;
        startMarqueeScreen();
        select(c.Game);
        marqueeStep(0);
        EXPECT_EQ(platformSecondScreenDisplay(), 1);
        EXPECT_EQ(testSecondScreenPixel(c.X, c.Y), c.Expected) << c.Game << " " << c.Rotation;
        stopMarqueeScreen();
    }
    startMarqueeScreen();
    select("Bare Knuckles");
    marqueeStep(0);
    EXPECT_GT(secondScreenCount(Text), 100) << "the name is written";
    EXPECT_GT(secondScreenCount(Back), 320 * 90 / 2);
}

// The selection shows once it has rested, the screensaver's and a running game's at once; a
// display that is missing is told once, and used again when it comes back.
TEST_F(Cabinet, TheMarqueeScreenFollowsTheSelectionTheGameAndTheDisplays)
{
    FrontendSettings.MarqueeDisplay = 1;
    FrontendSettings.VideoDelay = 600;
    startMarqueeScreen();
    select("wide");
    marqueeStep(0);
    select("square");
    marqueeStep(0);
    EXPECT_EQ(MarqueeScreen.Shown->Name, "wide") << "not before the rest";
    marqueeStep(600);
    EXPECT_EQ(MarqueeScreen.Shown->Name, "square");
    FrontendState.ScreenSaverActive = 1;
    select("plain");
    marqueeStep(0);
    EXPECT_EQ(MarqueeScreen.Shown->Name, "plain");
    FrontendState.ScreenSaverActive = 0;
    RunningGame = AllGames[0].get();
    marqueeStep(0);
    EXPECT_EQ(MarqueeScreen.Shown, RunningGame);
    RunningGame = nullptr;

    testPretendDisplays(1, 320, 90);
    EXPECT_NE(stderrOf([] { marqueeStep(0); }).find("display 1 went away"), std::string::npos);
    EXPECT_EQ(platformSecondScreenDisplay(), -1);
    testPretendDisplays(1, 320, 90);
    EXPECT_EQ(stderrOf([] { marqueeStep(0); }), "") << "told once";
    testPretendDisplays(2, 320, 90);
    EXPECT_NE(stderrOf([] { marqueeStep(0); }).find("display 1 is used"), std::string::npos);
    EXPECT_EQ(platformSecondScreenDisplay(), 1);

    // A compositor that moves it over the list, or opens it there: closed, told once, and
    // tried again when the displays change.
    const char* placed = "the compositor placed the marquee screen on the main display";
    testPretendLanding(0);
    EXPECT_EQ(platformSecondScreenDisplay(), -1);
    EXPECT_NE(stderrOf([] { marqueeStep(0); }).find(placed), std::string::npos);
    testPretendDisplays(2, 320, 90);
    testPretendLanding(0);
    EXPECT_EQ(stderrOf([] { marqueeStep(0); }), "") << "told once";
    EXPECT_EQ(platformSecondScreenDisplay(), -1);
    testPretendDisplays(2, 320, 90);
    EXPECT_NE(stderrOf([] { marqueeStep(0); }).find("display 1 is used"), std::string::npos);

    for (auto [display, told] : {std::pair{0, "the main screen is on it"},
                                 std::pair{5, "the system lists no such display"}})
    {
        FrontendSettings.MarqueeDisplay = display;
        EXPECT_NE(stderrOf(startMarqueeScreen).find(told), std::string::npos) << display;
        EXPECT_EQ(platformSecondScreenDisplay(), -1);
    }
}

static void waitForEvents()
{
    for (int i = 0; i < 3000 && (Events.Runs[EventGameStart].Running || !Events.Ending.empty());
         i++)
    {
        eventsStep();
        usleep(10000);
    }
}

// The running command overstays and is killed, on the test clock.
static void endEvents()
{
    platformSleep(EventCommandMs);
    eventsStep();
    platformSleep(EndGraceMs);
    waitForEvents();
}

// Each command gets the game's texts as whole arguments, is never waited for, is ended after
// 10 s (killed 2 s later if it stays) or by a newer one, and a missing program is told once.
TEST_F(Cabinet, EventCommandsStartAsideWithTheGamesTextsAndAreEndedWhenTheyOverstay)
{
    Game* hostile = addGame("a;rm -rf $(x) \"q\" `y`.zip", 0);
    hostile->Description = "Don't \\\"stop\\";
    const std::string recorder = TestPrograms + "argrecorder";
    setenv("ARGRECORDER_OUT", (Dir / "args").c_str(), 1);
    FrontendSettings.EventCommands[EventGameStart] = recorder + " \"%f\" \"%d\" %e %q%r%q";
    startEventCommand(EventGameStart, hostile);
    waitForEvents();
    unsetenv("ARGRECORDER_OUT");
    std::vector<std::string> expected = {fs::current_path().string(), hostile->Name,
                                         hostile->Description, "Art", "a;rm -rf $(x) \"q\" `y`"};
    EXPECT_EQ(readRecord(Dir / "args"), expected) << "the folder, then each argument";

    for (const char* mode : {"polite", "stubborn"})
    {
        FrontendSettings.EventCommands[EventGameStart] =
            TestPrograms + "hanger " + (Dir / "h.txt").string() + " " + mode + " 60000";
        startEventCommand(EventGameStart, hostile);
        ASSERT_NE(Events.Runs[EventGameStart].Running, nullptr) << "never waited for";
        platformSleep(EventCommandMs);
        EXPECT_NE(stderrOf(eventsStep).find("still running after 10 s"), std::string::npos);
        platformSleep(EndGraceMs);
        waitForEvents();
        EXPECT_TRUE(Events.Ending.empty()) << mode;
    }
    startEventCommand(EventGameStart, hostile);
    EXPECT_EQ(stderrOf([&] { startEventCommand(EventGameStart, hostile); }), "") << "routine";
    EXPECT_EQ(Events.Ending.size(), 1u) << "the older one is ended";
    endEvents();
    EXPECT_TRUE(Events.Ending.empty());

    FrontendSettings.EventCommands[EventQuit] = "/nonexistent/lights off";
    EXPECT_NE(stderrOf([] { startEventCommand(EventQuit, nullptr); }).find("not found"),
              std::string::npos);
    EXPECT_EQ(stderrOf([] { startEventCommand(EventQuit, nullptr); }), "") << "told once";
}

// The processes whose parent is parent, in that state ('Z' ended, not taken up; 0 any).
static int childrenOf(int parent, char wanted)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc"))
    {
        std::string stat = readText(entry.path() / "stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 > stat.size()) continue;
        std::istringstream fields(stat.substr(close + 2));
        char state;
        int father;
        fields >> state >> father;
        count += father == parent && (wanted == 0 || state == wanted);
    }
    return count;
}

// A command's output reaches log.txt up to its share, and the log its size; what a command
// leaves behind when it detaches is taken up; at exit one that ignores the request to end is
// killed.
TEST_F(Cabinet, EventCommandsLeaveNoZombiesNoFloodAndNothingRunning)
{
    FrontendSettings.DebugCmdLine = "1";
    setenv("ARGRECORDER_MEGABYTES", "3", 1);
    FrontendSettings.EventCommands[EventGameStart] = TestPrograms + "argrecorder %f";
    startEventCommand(EventGameStart, nullptr);
    waitForEvents();
    unsetenv("ARGRECORDER_MEGABYTES");
    std::string log = readText("log.txt");
    EXPECT_NE(log.find("Executing command line: " + TestPrograms), std::string::npos);
    EXPECT_NE(log.find("wrote more than 64 KB; the rest is left out"), std::string::npos);
    EXPECT_GT(log.size(), EventOutputLimit);
    EXPECT_LT(log.size(), EventOutputLimit + 1024);
    writeText("log.txt", std::string(LogKeepBytes - 10, 'x'));
    appendToLog("Executing command line: ", "next");
    EXPECT_EQ(fs::file_size("log.txt.1"), (size_t)LogKeepBytes - 10) << "the full log kept aside";
    EXPECT_NE(readText("log.txt").find("the lines before are in log.txt.1]\nExecuting"),
              std::string::npos);

    FrontendSettings.DebugCmdLine.reset();
    FrontendSettings.EventCommands[EventSelectionChanged] = "/bin/sh -c \"setsid sleep 0.1 &\"";
    for (int i = 0; i < 20; i++)
    {
        startEventCommand(EventSelectionChanged, nullptr);
        eventsStep();
    }
    // Until every one that detached has ended: taken up, or left a zombie.
    for (int i = 0; i < 3000 && childrenOf(getpid(), 'Z') < childrenOf(getpid(), 0); i++)
    {
        usleep(10000);
        eventsStep();
    }
    eventsStep();
    EXPECT_EQ(childrenOf(getpid(), 'Z'), 0);

    FrontendSettings.EventCommands[EventGameStart] =
        TestPrograms + "hanger " + (Dir / "h.txt").string() + " stubborn 60000";
    startEventCommand(EventGameStart, nullptr);
    for (int i = 0; i < 3000 && !fs::exists(Dir / "h.txt"); i++) usleep(10000);
    int stubborn = 0;
    std::ifstream(Dir / "h.txt") >> stubborn;
    ASSERT_GT(stubborn, 0);
    EXPECT_NE(stderrOf(stopEvents).find("did not end within 2000 ms"), std::string::npos);
    for (int i = 0; i < 3000 && kill(stubborn, 0) == 0; i++)
    {
        usleep(10000);
        platformReapStrays();
    }
    EXPECT_NE(kill(stubborn, 0), 0) << "gone with the front end";
}

class Socket : public Cabinet
{
protected:
    fs::path Runtime;
    void SetUp() override
    {
        Cabinet::SetUp();
        // A socket's path has room for about a hundred bytes: the build's folder may be deeper.
        Runtime = fs::temp_directory_path() / ("tv-" + std::to_string(getpid()));
        fs::create_directories(Runtime);
        setenv("XDG_RUNTIME_DIR", Runtime.c_str(), 1);
        FrontendSettings.ControlSocket = 1;
        select("square");
        startCabinet();
        ASSERT_GE(ControlSocket.Listener, 0);
    }
    void TearDown() override
    {
        unsetenv("XDG_RUNTIME_DIR");
        Cabinet::TearDown();
        fs::remove_all(Runtime);
    }
    int connectClient()
    {
        int client = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", ControlSocket.Path.c_str());
        EXPECT_EQ(connect(client, (sockaddr*)&address, sizeof address), 0);
        return client;
    }
    // Sends without ever blocking the one thread the front end shares with the test.
    static void sendAll(int client, const std::string& bytes)
    {
        for (size_t sent = 0; sent < bytes.size();)
        {
            ssize_t now = send(client, bytes.data() + sent, bytes.size() - sent, MSG_DONTWAIT);
            if (now > 0) sent += (size_t)now;
            serveControlSocket(0);
        }
    }
    // What the front end answered within a few steps.
    static std::string exchange(int client, const std::string& bytes)
    {
        sendAll(client, bytes);
        std::string answer;
        char buffer[4096];
        for (int i = 0; i < 20; i++)
        {
            serveControlSocket(0);
            ssize_t got;
            while ((got = recv(client, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
                answer.append(buffer, (size_t)got);
            if (!answer.empty() && answer.back() == '\n' && i > 2) break;
        }
        return answer;
    }
};

// Each request's answer: one line, the state or what changed, or an error that says why.
TEST_F(Socket, EveryRequestHasAnAnswerOfOneLine)
{
    struct Case
    {
        std::string Line, Answer;
    } cases[] = {
        {"{\"get\":\"state\"}", "\"game\":\"square\""},
        {"{\"select\":{\"game\":\"wide\"}}", "\"game\":\"wide\""},
        {"{\"select\":{\"emulator\":\"bare\",\"game\":\"Bare Knuckles\"}}", "\"shown\":\"Bare\""},
        {"{\"select\":{\"emulator\":\"All\",\"game\":\"plain\"}}", "\"game\":\"plain\""},
        {"{\"select\":{\"emulator\":\"Bare\",\"game\":\"wide\"}}", "no game \\\"wide\\\" is shown"},
        {"{\"get\":\"state\"}", "\"shown\":\"All\""},
        {"{\"select\":{\"emulator\":\"Nope\",\"game\":\"wide\"}}", "no emulator"},
        {"{\"select\":\"wide\"}", "expected an object"},
        {"{\"end\":\"game\"}", "no game is running"},
        {"{\"subscribe\":true}", "{\"subscribed\":true}"},
        {"{\"get\":\"state\",\"end\":\"game\"}", "one request"},
        {"[1,2]", "one request"},
        {"{\"select\":{\"game\":\"x\xFF\"}}", "not UTF-8"},
        {std::string("\0\x01\x02", 3), "not JSON"},
        {"{\"get\":", "not JSON"},
    };
    int client = connectClient();
    for (const Case& c : cases)
    {
        std::string answer = exchange(client, c.Line + "\n");
        EXPECT_NE(answer.find(c.Answer), std::string::npos) << c.Line << " gave " << answer;
        EXPECT_EQ(answer.find('\n'), answer.size() - 1) << c.Line;
    }
    EXPECT_EQ(selectedGame()->Name, "plain");
    FrontendSettings.Locked = 1;
    EXPECT_NE(exchange(client, "{\"launch\":\"selected\"}\n").find("locked"), std::string::npos);
    close(client);
}

// Half lines wait for their end, a 1 MB line is refused and the next line answered, a client
// that goes away mid-answer is let go, at most 8 are served, and a stale socket is replaced
// while a path that is no socket is left alone.
TEST_F(Socket, BadClientsNeverHoldUpTheFrontEnd)
{
    int client = connectClient();
    EXPECT_EQ(exchange(client, "{\"get\":"), "");
    EXPECT_NE(exchange(client, "\"state\"}\n").find("\"game\""), std::string::npos);
    std::string answer = exchange(client, std::string(1 << 20, 'x') + "\n{\"get\":\"state\"}\n");
    for (int i = 0; i < 40 && answer.find("\"game\"") == std::string::npos; i++)
        answer += exchange(client, "");
    EXPECT_NE(answer.find("longer than 64 KiB"), std::string::npos);
    EXPECT_NE(answer.find("\"game\""), std::string::npos);
    std::string sent = "{\"get\":\"state\"}\n";
    for (int i = 0; i < 2000; i++) send(client, sent.data(), sent.size(), MSG_DONTWAIT);
    close(client); // without reading a byte of its answers
    serveControlSocket(0);
    serveControlSocket(0);
    EXPECT_TRUE(ControlSocket.Clients.empty());

    std::vector<int> many;
    for (int i = 0; i < 100; i++)
    {
        many.push_back(connectClient());
        if (i % 8 == 7) serveControlSocket(0); // the system holds only a few connections waiting
    }
    serveControlSocket(0);
    EXPECT_EQ((int)ControlSocket.Clients.size(), SocketClientLimit);
    EXPECT_EQ(ControlSocket.Refused, 100 - SocketClientLimit);
    for (int handle : many) close(handle);

    std::string path = ControlSocket.Path;
    int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    stopControlSocket();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(stale, (sockaddr*)&address, sizeof address), 0);
    close(stale); // the file stays, as after a run that was killed
    startControlSocket();
    EXPECT_GE(ControlSocket.Listener, 0) << "a stale socket file is replaced";
    stopControlSocket();
    writeText(path, "notes");
    EXPECT_NE(stderrOf(startControlSocket).find("not a socket"), std::string::npos);
    EXPECT_EQ(readText(path), "notes");
}

// One step answers at most one change of the emulator shown (a large catalogue's list is built
// anew at each), the rest wait their turn; the lock stops a change as it stops the key; a client
// silent for 30 s gives way when every place is taken.
TEST_F(Socket, OneClientCannotHoldTheScreenAndIdleOnesGiveWay)
{
    int client = connectClient();
    exchange(client, "{\"select\":{\"emulator\":\"All\",\"game\":\"wide\"}}\n");
    const std::string lines = "{\"select\":{\"emulator\":\"Bare\",\"game\":\"Bare Knuckles\"}}\n"
                              "{\"get\":\"state\"}\n"
                              "{\"select\":{\"emulator\":\"All\",\"game\":\"Bare Knuckles\"}}\n"
                              "{\"get\":\"state\"}\n";
    ASSERT_EQ(send(client, lines.data(), lines.size(), 0), (ssize_t)lines.size());
    auto answers = [client]
    {
        std::string got;
        char buffer[4096];
        for (ssize_t n; (n = recv(client, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            got.append(buffer, (size_t)n);
        return std::count(got.begin(), got.end(), '\n');
    };
    serveControlSocket(0);
    EXPECT_EQ(answers(), 2) << "the second change waits for the next step";
    serveControlSocket(0);
    EXPECT_EQ(answers(), 2);
    EXPECT_EQ(Skin.ShownEmulator, "All");

    FrontendSettings.Locked = 1;
    EXPECT_NE(exchange(client, "{\"select\":{\"emulator\":\"Bare\",\"game\":\"Bare Knuckles\"}}\n")
                  .find("the cabinet is locked"),
              std::string::npos);
    EXPECT_NE(exchange(client, "{\"select\":{\"game\":\"wide\"}}\n").find("\"game\":\"wide\""),
              std::string::npos)
        << "moving within the view is not stopped";
    FrontendSettings.Locked = 0;

    std::vector<int> idle;
    for (int i = 1; i < SocketClientLimit; i++) idle.push_back(connectClient());
    serveControlSocket(0);
    ASSERT_EQ((int)ControlSocket.Clients.size(), SocketClientLimit);
    testAdvanceClock(platformCounterFrequency() * 31);
    exchange(client, "{\"get\":\"state\"}\n"); // the first client is not silent
    int late = connectClient();
    EXPECT_NE(exchange(late, "{\"get\":\"state\"}\n").find("\"game\""), std::string::npos);
    EXPECT_EQ(ControlSocket.Refused, 0);
    char buffer[256] = {};
    EXPECT_GT(recv(idle[0], buffer, sizeof buffer - 1, MSG_DONTWAIT), 0);
    EXPECT_NE(std::string(buffer).find("silent for 30 s"), std::string::npos) << buffer;
    for (int handle : idle) close(handle);
    close(late);
    close(client);
}

// A launch asked on the socket starts the game answered once the answer is written (a select
// in the same pass is refused); meanwhile the socket is served, a subscriber hears the game
// start and end, and an end asked ends it.
TEST_F(Socket, ALaunchedGameIsEndedOnRequestAndSubscribersHearOfIt)
{
    static int Client;
    Client = connectClient();
    exchange(Client, "{\"subscribe\":true}\n");
    testOnSleep(
        [](int)
        {
            static const std::string end = "{\"end\":\"game\"}\n";
            if (RunningGame) send(Client, end.data(), end.size(), MSG_DONTWAIT);
        });
    // The answer is written, then the game starts, and the socket is served while it runs.
    std::string answer =
        exchange(Client, "{\"launch\":{\"game\":\"wide\"}}\n{\"select\":{\"game\":\"plain\"}}\n");
    testOnSleep(nullptr);
    size_t started = answer.find("\"event\":\"gameStart\"");
    ASSERT_NE(started, std::string::npos) << answer;
    size_t from = answer.rfind('\n', started) + 1;
    EXPECT_NE(answer.substr(from, answer.find('\n', started) - from).find("\"game\":\"wide\""),
              std::string::npos)
        << answer;
    for (const char* heard :
         {"{\"launching\":\"wide\"}", "\"wide\\\" is starting", "\"event\":\"gameStart\"",
          "{\"ending\":\"wide\"}", "\"event\":\"gameEnd\""})
        EXPECT_NE(answer.find(heard), std::string::npos) << heard << " in " << answer;
    EXPECT_EQ(RunningGame, nullptr);
    close(Client);
}
