// The control socket's language as both of its sides speak it, and the connecting side of the
// socket. This program links the library a program without a screen links, and nothing else:
// it fails to build when that library needs the display.
#include "catalogue/catalogue.h"
#include "catalogue/emulators.h"
#include "catalogue/keytable.h"
#include "config/settings.h"
#include "platform/socket.h"
#include "runtime/protocol.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

TEST(Protocol, EveryRequestAClientWritesIsReadAsIt)
{
    struct Case
    {
        RequestKind Kind;
        std::string Emulator, Game;
        int On;
    } cases[] = {
        {RequestState, "", "", 0},          {RequestSelect, "", "dkong", 0},
        {RequestSelect, "NES", "smb", 0},   {RequestLaunch, "", "", 0},
        {RequestLaunch, "MAME", "x\"y", 0}, {RequestEndGame, "", "", 0},
        {RequestSubscribe, "", "", 1},      {RequestSubscribe, "", "", 0},
    };
    for (const Case& c : cases)
    {
        Request asked;
        asked.Kind = c.Kind, asked.Emulator = c.Emulator, asked.Game = c.Game, asked.On = c.On;
        std::string line = requestLine(asked);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << line;
        Request read = readRequest(line.substr(0, line.size() - 1));
        EXPECT_EQ(read.Kind, c.Kind) << line << read.Error;
        EXPECT_EQ(read.Emulator, c.Emulator) << line;
        EXPECT_EQ(read.Game, c.Game) << line;
        EXPECT_EQ(read.On, c.On) << line;
    }
}

// What the front end writes, read back by a client; a line no front end writes is refused.
TEST(Protocol, EveryAnswerTheFrontEndWritesIsReadAsIt)
{
    ShownState state;
    state.Emulator = "MAME", state.Shown = "All", state.Game = "dkong";
    state.Description = "Donkey Kong \xE9", state.View = "images", state.Locked = true;
    Answer a = readAnswer(stateLine(state));
    ASSERT_EQ(a.Kind, AnswerState) << a.Error;
    EXPECT_EQ(a.State.Game, "dkong");
    EXPECT_EQ(a.State.Description, "Donkey Kong \xEF\xBF\xBD") << "a bad byte is replaced";
    EXPECT_FALSE(a.State.Running.has_value());
    EXPECT_EQ(a.State.View, "images");
    EXPECT_TRUE(a.State.Locked);
    EXPECT_EQ(stateLine(state).find("\"description\""), 1u) << "the fields in the order of old";

    Answer news = readAnswer(newsLine(state, NewsGameStart, "galaga"));
    EXPECT_EQ(news.Kind, AnswerNews);
    EXPECT_EQ(news.News, NewsGameStart);
    EXPECT_EQ(news.Game, "galaga");
    EXPECT_EQ(readAnswer(newsLine(state, NewsScreenSaverEnd, "")).News, NewsScreenSaverEnd);

    struct Case
    {
        std::string Line;
        AnswerKind Kind;
        std::string Text;
    } cases[] = {
        {launchingLine("dkong"), AnswerLaunching, "dkong"},
        {endingLine("dkong"), AnswerEnding, "dkong"},
        {subscribedLine(true), AnswerSubscribed, ""},
        {errorLine("a game is running"), AnswerError, "a game is running"},
        {"{\"event\":\"party\"}", AnswerBad, "unknown news \"party\""},
        {"[1]", AnswerBad, "not a JSON object"},
        {"{\"launching\":1}", AnswerBad, "not an answer of the front end"},
    };
    for (const Case& c : cases)
    {
        Answer read = readAnswer(c.Line);
        EXPECT_EQ(read.Kind, c.Kind) << c.Line;
        EXPECT_EQ(c.Kind == AnswerError || c.Kind == AnswerBad ? read.Error : read.Game, c.Text)
            << c.Line;
    }
}

// A client connects, asks and is answered through the platform's two sides of a socket; with
// nobody listening it is told so.
TEST(Protocol, AClientConnectsAsksAndHearsTheAnswer)
{
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tv-p-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    std::string path = controlSocketPath("/anywhere/torvanell.ini");
    EXPECT_EQ(path, (folder / "torvanell.sock").string());
    std::string why;
    EXPECT_EQ(platformConnectLocal(path, why), -1);
    EXPECT_EQ(why, "the front end is not listening");

    int listener = platformListenLocal(path, why);
    ASSERT_GE(listener, 0) << why;
    int client = platformConnectLocal(path, why);
    ASSERT_GE(client, 0) << why;
    int served = platformAcceptLocal(listener);
    ASSERT_GE(served, 0);
    Request asked;
    asked.Kind = RequestState;
    ASSERT_EQ(platformWriteLocal(client, requestLine(asked)), (long)requestLine(asked).size());
    ASSERT_EQ(platformWaitLocal(served, 10000), 1);
    LineReader reader;
    std::string line;
    ASSERT_EQ(platformReadLocal(served, reader.Pending, RequestLineLimit), 1);
    ASSERT_EQ(nextLine(reader, line), GotLine);
    EXPECT_EQ(readRequest(line).Kind, RequestState);
    EXPECT_EQ(platformWaitLocal(client, 0), 0) << "nothing is answered yet";
    platformWriteLocal(served, errorLine("busy"));
    ASSERT_EQ(platformWaitLocal(client, 10000), 1);
    std::string answer;
    ASSERT_EQ(platformReadLocal(client, answer, RequestLineLimit), 1);
    EXPECT_EQ(readAnswer(answer).Error, "busy");
    platformCloseLocal(served);
    platformCloseLocal(client);
    platformStopListening(listener, path);
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(folder);
}

// The settings, the emulators and the table of keys are read without a screen behind them.
TEST(Protocol, SettingsAndEmulatorsAreReadWithoutAScreen)
{
    std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tv-p-" + std::to_string(getpid()) + ".ini");
    FILE* out = fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    fputs("[Settings]\nEmulators=MAME, NES\nControlSocket=1\n[NES]\nRomPath=/roms\n", out);
    fclose(out);
    FrontendSettings.ConfigFile = file.string();
    loadFrontendSettings();
    loadEmulators();
    ASSERT_EQ(EmulatorTable.size(), 2u);
    EXPECT_EQ(EmulatorTable[1]->RomPath, "/roms");
    EXPECT_EQ(FrontendSettings.ControlSocket, 1);
    EXPECT_FALSE(settingKeys().empty());
    std::filesystem::remove(file);
}
