// Served between ticks and while a game runs, never waiting on a client: a client that stops
// reading is dropped once its backlog is full, and a request that would block (a game) is
// started only after its answer is on its way.
#include "core/controlsocket.h"

#include "base/text.h"
#include "catalogue/catalogue.h"
#include "catalogue/filters.h"
#include "config/settings.h"
#include "config/skin.h"
#include "core/actions.h"
#include "core/lock.h"
#include "core/mainwindow.h"
#include "launch/launch.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "runtime/state.h"
#include "runtime/tickloop.h"

#include <algorithm>
#include <cstdio>

ControlSocketRecord ControlSocket;

static const size_t ReadPiece = 64 * 1024;
static const int ReadsPerStep = 4; // of each client, so that one cannot hold up the loop

static ShownState shownState()
{
    const Game* game = selectedGame();
    const Emulator* emulator = game ? emulatorOf(game) : nullptr;
    ShownState state;
    state.Emulator = emulator ? emulator->Name : Skin.ShownEmulator;
    state.Shown = Skin.ShownEmulator;
    if (game) state.Game = game->Name, state.Description = game->Description;
    if (RunningGame) state.Running = RunningGame->Name;
    state.View = FrontendSettings.MenuType == ViewImageBrowser ? "images" : "list";
    state.ScreenSaver = FrontendState.ScreenSaverActive != 0;
    state.Locked = FrontendSettings.Locked != 0;
    return state;
}

// The view of that name: an emulator's, "All" or "Favourites"; 0 when there is none.
static int viewNamed(const std::string& name, int& view)
{
    auto same = [&name](const std::string& other) { return sameIgnoringCase(other, name); };
    if (same(AllEmulatorsName) || same(FavouriteGamesName))
    {
        view = same(AllEmulatorsName) ? AllEmulators : FavouriteGames;
        return 1;
    }
    for (size_t i = 0; i < EmulatorTable.size(); i++)
        if (same(EmulatorTable[i]->Name)) return view = (int)i, 1;
    return 0;
}

// A named emulator's view shows only its games, so the name alone finds the game.
static int shownIndexOf(const std::string& name)
{
    for (size_t i = 0; i < VisibleGames.size(); i++)
        if (VisibleGames[i]->Name == name) return (int)i;
    return -1;
}

// The select or launch names a view that is not the one shown (the views' numbers are
// negative for all the emulators and the favourites).
static int asksOtherView(const Request& request)
{
    int view = FrontendState.CurrentEmulator;
    if (request.Kind != RequestSelect && request.Kind != RequestLaunch) return 0;
    if (request.Emulator.empty() || !viewNamed(request.Emulator, view)) return 0;
    return view != FrontendState.CurrentEmulator;
}

// The view as it was before a select that found nothing: put back as it was, not built again.
struct ShownView
{
    int View, Selected;
    std::string Search, Name;
    std::vector<Game*> Games;
};

static void putBack(ShownView& shown)
{
    FrontendState.CurrentEmulator = shown.View;
    FrontendState.CurrentGame = shown.Selected;
    Skin.ShownEmulator = shown.Name;
    SearchText = shown.Search;
    VisibleGames = std::move(shown.Games);
}

// Selects the game as the player would: the view changes to its emulator when one is named,
// and nothing changes when the game is not shown there. The lock stops a change of view as it
// stops the key that changes it. An error line, or empty when selected.
static std::string selectGame(const Request& request)
{
    int view = FrontendState.CurrentEmulator;
    if (!request.Emulator.empty() && !viewNamed(request.Emulator, view))
        return errorLine("no emulator is named \"" + request.Emulator + "\"");
    const int oldView = FrontendState.CurrentEmulator;
    if (view != oldView && lockStops(ActionChangeEmu))
        return errorLine("the cabinet is locked: the emulator shown cannot change");
    ShownView before{oldView, FrontendState.CurrentGame, SearchText, Skin.ShownEmulator, {}};
    if (view != oldView)
    {
        before.Games = VisibleGames;
        showEmulatorView(view);
    }
    int found = shownIndexOf(request.Game);
    if (found < 0)
    {
        if (view != oldView) putBack(before);
        return errorLine("no game \"" + request.Game + "\" is shown there");
    }
    FrontendState.CurrentGame = found;
    if (FrontendState.ScreenSaverActive) stopScreenSaver();
    restartIdleTimer();
    redrawMainWindow();
    return "";
}

static std::string launchGameAsked(const Request& request)
{
    if (FrontendSettings.Locked) return errorLine("the cabinet is locked");
    if (!request.Game.empty())
    {
        std::string refused = selectGame(request);
        if (!refused.empty()) return refused;
    }
    const Game* game = selectedGame();
    if (!game) return errorLine("no game is selected");
    ControlSocket.LaunchWanted = game;
    return launchingLine(game->Name);
}

static std::string answerRequest(const Request& request, int gameRunning)
{
    int busy = gameRunning || TickLoopDepth > 1;
    switch (request.Kind)
    {
    case RequestState:
        return stateLine(shownState());
    case RequestSelect:
    case RequestLaunch:
        if (gameRunning) return errorLine("a game is running");
        if (busy) return errorLine("the player has a menu open");
        // The game answered is the one started: nothing selects another before it starts.
        if (ControlSocket.LaunchWanted)
            return errorLine("\"" + ControlSocket.LaunchWanted->Name + "\" is starting");
        if (request.Kind == RequestLaunch) return launchGameAsked(request);
        {
            std::string refused = selectGame(request);
            return refused.empty() ? stateLine(shownState()) : refused;
        }
    case RequestEndGame:
        if (!RunningGame) return errorLine("no game is running");
        endRunningGame();
        return endingLine(RunningGame->Name);
    case RequestSubscribe:
        return subscribedLine(request.On != 0);
    case RequestBad:
        break;
    }
    return errorLine(request.Error);
}

void startControlSocket()
{
    ControlSocket = ControlSocketRecord();
    if (!FrontendSettings.ControlSocket) return;
    ControlSocket.Path = controlSocketPath(FrontendSettings.ConfigFile);
    std::string why;
    ControlSocket.Listener = platformListenLocal(ControlSocket.Path, why);
    if (ControlSocket.Listener < 0)
        fprintf(stderr, "Control socket [%s]: %s; the front end runs without it\n",
                ControlSocket.Path.c_str(), why.c_str());
}

// The client silent the longest, when it has been silent SocketIdleMs; subscribers, who listen
// without a word, after every other.
static int idlestClient(int64_t now)
{
    int idlest = -1;
    auto before = [](const SocketClient& a, const SocketClient& b)
    { return a.Subscribed != b.Subscribed ? !a.Subscribed : a.LastHeard < b.LastHeard; };
    for (size_t i = 0; i < ControlSocket.Clients.size(); i++)
    {
        const SocketClient& client = ControlSocket.Clients[i];
        if (now - client.LastHeard < SocketIdleMs) continue;
        if (idlest < 0 || before(client, ControlSocket.Clients[idlest])) idlest = (int)i;
    }
    return idlest;
}

static void dropClient(size_t index, const std::string& why)
{
    SocketClient& client = ControlSocket.Clients[index];
    platformWriteLocal(client.Handle, client.Out + errorLine(why));
    platformCloseLocal(client.Handle);
    ControlSocket.Clients.erase(ControlSocket.Clients.begin() + (long)index);
}

static void acceptClients()
{
    int64_t now = platformMilliseconds();
    for (int handle; (handle = platformAcceptLocal(ControlSocket.Listener)) >= 0;)
    {
        int idlest = (int)ControlSocket.Clients.size() < SocketClientLimit ? -1 : idlestClient(now);
        if (idlest >= 0) dropClient((size_t)idlest, "closed: silent for 30 s while others waited");
        if ((int)ControlSocket.Clients.size() < SocketClientLimit)
        {
            ControlSocket.Clients.push_back({handle, {}, "", 0, 0, now});
            continue;
        }
        platformWriteLocal(handle, errorLine("too many clients; at most 8"));
        platformCloseLocal(handle);
        ControlSocket.Refused++;
    }
}

// What one step of serving has spent.
struct ServingStep
{
    int64_t StartedAt;
    int ViewChanged;
};
static ServingStep Step;

// A request the step has no room for: its time is spent, or it would change the view again.
static int waitsForNextStep(int otherView)
{
    if (platformMilliseconds() - Step.StartedAt >= SocketStepBudgetMs) return 1;
    return Step.ViewChanged && otherView;
}

// Answers the lines the client has sent, as far as the step allows; 0 when the rest waits.
static int answerLines(SocketClient& client, int gameRunning)
{
    std::string line;
    for (LineResult result; (result = nextLine(client.Reader, line)) != NoLine;)
    {
        if (result == Overlong)
        {
            client.Out += errorLine("a line longer than 64 KiB");
            continue;
        }
        Request request = readRequest(line);
        int otherView = asksOtherView(request);
        if (waitsForNextStep(otherView))
        {
            client.Reader.Pending.insert(0, line + "\n");
            return 0;
        }
        if (request.Kind == RequestSubscribe) client.Subscribed = request.On;
        client.Out += answerRequest(request, gameRunning);
        // Found or not, the list of that view was built.
        if (otherView) Step.ViewChanged = 1;
    }
    return 1;
}

// A client that has said all it will (socat at the end of its input) still gets its answers,
// the last line's too when it ended without a line feed. Nothing more is read from a client
// whose lines wait for the next step.
static void readClient(SocketClient& client, int gameRunning)
{
    if (!answerLines(client, gameRunning)) return;
    for (int i = 0; i < ReadsPerStep && !client.Finished; i++)
    {
        int got = platformReadLocal(client.Handle, client.Reader.Pending, ReadPiece);
        if (got == 0) break;
        client.LastHeard = platformMilliseconds();
        if (got < 0)
        {
            client.Finished = 1;
            if (!client.Reader.Pending.empty()) client.Reader.Pending += '\n';
        }
        if (!answerLines(client, gameRunning)) return;
    }
}

static int hasWaitingLine(const SocketClient& client)
{
    return client.Reader.Pending.find('\n') != std::string::npos;
}

// 0 when the client is to go: it broke, fell too far behind, or has finished and been answered.
static int writeClient(SocketClient& client)
{
    long written = platformWriteLocal(client.Handle, client.Out);
    if (written < 0) return 0;
    client.Out.erase(0, (size_t)written);
    if (client.Finished && client.Out.empty() && !hasWaitingLine(client)) return 0;
    return client.Out.size() <= SocketBacklogLimit;
}

static void serveClients(int gameRunning)
{
    Step = {platformMilliseconds(), 0};
    std::vector<SocketClient> kept;
    for (SocketClient& client : ControlSocket.Clients)
    {
        readClient(client, gameRunning);
        if (writeClient(client))
        {
            kept.push_back(std::move(client));
            continue;
        }
        platformCloseLocal(client.Handle);
    }
    ControlSocket.Clients = std::move(kept);
}

void serveControlSocket(int gameRunning)
{
    if (ControlSocket.Listener < 0) return;
    acceptClients();
    serveClients(gameRunning);
    if (!ControlSocket.LaunchWanted || gameRunning || TickLoopDepth > 1) return;
    const Game* wanted = ControlSocket.LaunchWanted;
    ControlSocket.LaunchWanted = nullptr;
    startShownGame(wanted);
}

void tellSubscribers(NewsKind news, const std::string& gameField)
{
    if (std::none_of(ControlSocket.Clients.begin(), ControlSocket.Clients.end(),
                     [](const SocketClient& client) { return client.Subscribed; }))
        return;
    std::string line = newsLine(shownState(), news, gameField);
    for (SocketClient& client : ControlSocket.Clients)
        if (client.Subscribed) client.Out += line;
}

void stopControlSocket()
{
    for (SocketClient& client : ControlSocket.Clients)
    {
        platformWriteLocal(client.Handle, client.Out);
        platformCloseLocal(client.Handle);
    }
    platformStopListening(ControlSocket.Listener, ControlSocket.Path);
    ControlSocket = ControlSocketRecord();
}
