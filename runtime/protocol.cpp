// Lines read with nlohmann's JSON parser, which refuses malformed text and bytes that are not
// UTF-8 without throwing when asked not to.
#include "runtime/protocol.h"

#include "base/text.h"
#include "platform/socket.h"

#include <nlohmann/json.hpp>

#include <filesystem>

using Json = nlohmann::json;

static Request refused(std::string why)
{
    Request request;
    request.Error = std::move(why);
    return request;
}

static Request namedGame(RequestKind kind, const Json& value)
{
    if (!value.is_object()) return refused("expected an object with \"game\"");
    auto game = value.find("game");
    auto emulator = value.find("emulator");
    if (game == value.end() || !game->is_string() || game->get_ref<const std::string&>().empty())
        return refused("\"game\" must name a game");
    if (emulator != value.end() && !emulator->is_string())
        return refused("\"emulator\" must be a text");
    Request request;
    request.Kind = kind;
    request.Game = game->get<std::string>();
    if (emulator != value.end()) request.Emulator = emulator->get<std::string>();
    return request;
}

static Request requestOf(const std::string& key, const Json& value)
{
    Request request;
    if (key == "get" && value == "state")
        request.Kind = RequestState;
    else if (key == "select")
        return namedGame(RequestSelect, value);
    else if (key == "launch" && value == "selected")
        request.Kind = RequestLaunch;
    else if (key == "launch")
        return namedGame(RequestLaunch, value);
    else if (key == "end" && value == "game")
        request.Kind = RequestEndGame;
    else if (key == "subscribe" && value.is_boolean())
    {
        request.Kind = RequestSubscribe;
        request.On = value.get<bool>();
    }
    else
        return refused("unknown request \"" + key + "\" or value");
    return request;
}

Request readRequest(std::string_view line)
{
    // Told apart from bad JSON: the program that sent it has its text in another encoding.
    if (!isUtf8(line)) return refused("not UTF-8");
    Json value = Json::parse(line.begin(), line.end(), nullptr, false);
    if (value.is_discarded()) return refused("not JSON");
    if (!value.is_object() || value.size() != 1)
        return refused("expected an object with one request");
    return requestOf(value.begin().key(), value.begin().value());
}

LineResult nextLine(LineReader& reader, std::string& line)
{
    for (;;)
    {
        size_t end = reader.Pending.find('\n');
        if (reader.Skipping)
        {
            if (end == std::string::npos) return reader.Pending.clear(), NoLine;
            reader.Pending.erase(0, end + 1);
            reader.Skipping = 0;
            continue;
        }
        if (end == std::string::npos && reader.Pending.size() <= RequestLineLimit) return NoLine;
        if (end == std::string::npos || end > RequestLineLimit)
        {
            reader.Skipping = 1;
            return Overlong;
        }
        line.assign(reader.Pending, 0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        reader.Pending.erase(0, end + 1);
        return GotLine;
    }
}

// A bad byte in a game's name (a file written by another program) must not end the answer.
static std::string lineOf(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string requestLine(const Request& request)
{
    Json named = {{"game", request.Game}};
    if (!request.Emulator.empty()) named["emulator"] = request.Emulator;
    switch (request.Kind)
    {
    case RequestState:
        return lineOf({{"get", "state"}});
    case RequestSelect:
        return lineOf({{"select", named}});
    case RequestLaunch:
        return lineOf({{"launch", request.Game.empty() ? Json("selected") : named}});
    case RequestEndGame:
        return lineOf({{"end", "game"}});
    case RequestSubscribe:
        return lineOf({{"subscribe", request.On != 0}});
    case RequestBad:
        break;
    }
    return "";
}

const char* const NewsNames[NewsKindCount] = {"selected", "screenSaverStart", "screenSaverEnd",
                                              "gameStart", "gameEnd"};

static Json textOrNull(const std::optional<std::string>& text)
{
    return text ? Json(*text) : Json(nullptr);
}

static Json stateJson(const ShownState& state)
{
    return {{"emulator", state.Emulator},
            {"shown", state.Shown},
            {"game", textOrNull(state.Game)},
            {"description", textOrNull(state.Description)},
            {"view", state.View},
            {"running", textOrNull(state.Running)},
            {"screensaver", state.ScreenSaver},
            {"locked", state.Locked}};
}

std::string stateLine(const ShownState& state)
{
    return lineOf(stateJson(state));
}

std::string newsLine(const ShownState& state, NewsKind news, const std::string& game)
{
    Json line = stateJson(state);
    line["event"] = NewsNames[news];
    if (!game.empty()) line["game"] = game;
    return lineOf(line);
}

std::string launchingLine(const std::string& game)
{
    return lineOf({{"launching", game}});
}

std::string endingLine(const std::string& game)
{
    return lineOf({{"ending", game}});
}

std::string subscribedLine(bool on)
{
    return lineOf({{"subscribed", on}});
}

std::string errorLine(std::string_view text)
{
    return lineOf({{"error", std::string(text)}});
}

static std::optional<std::string> optionalText(const Json& line, const char* key)
{
    auto found = line.find(key);
    if (found == line.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

static ShownState stateOf(const Json& line)
{
    ShownState state;
    state.Emulator = optionalText(line, "emulator").value_or("");
    state.Shown = optionalText(line, "shown").value_or("");
    state.Game = optionalText(line, "game");
    state.Description = optionalText(line, "description");
    state.Running = optionalText(line, "running");
    state.View = optionalText(line, "view").value_or("list");
    state.ScreenSaver = line.value("screensaver", false);
    state.Locked = line.value("locked", false);
    return state;
}

static Answer newsOf(const Json& line, const std::string& name)
{
    Answer answer;
    auto known = std::find(std::begin(NewsNames), std::end(NewsNames), name);
    if (known == std::end(NewsNames))
    {
        answer.Error = "unknown news \"" + name + "\"";
        return answer;
    }
    answer.Kind = AnswerNews;
    answer.News = (NewsKind)(known - std::begin(NewsNames));
    answer.State = stateOf(line);
    if (answer.News == NewsGameStart || answer.News == NewsGameEnd)
        answer.Game = optionalText(line, "game").value_or("");
    return answer;
}

// The one text an answer of one field carries, else 0.
static int oneText(const Json& line, const char* key, std::string& text)
{
    auto found = line.find(key);
    if (line.size() != 1 || found == line.end() || !found->is_string()) return 0;
    text = found->get<std::string>();
    return 1;
}

Answer readAnswer(std::string_view line)
{
    Answer answer;
    Json value = Json::parse(line.begin(), line.end(), nullptr, false);
    if (value.is_discarded() || !value.is_object())
    {
        answer.Error = "not a JSON object";
        return answer;
    }
    if (auto event = optionalText(value, "event")) return newsOf(value, *event);
    if (oneText(value, "error", answer.Error))
        answer.Kind = AnswerError;
    else if (oneText(value, "launching", answer.Game))
        answer.Kind = AnswerLaunching;
    else if (oneText(value, "ending", answer.Game))
        answer.Kind = AnswerEnding;
    else if (value.size() == 1 && value.contains("subscribed") && value["subscribed"].is_boolean())
        answer.Kind = AnswerSubscribed, answer.On = value["subscribed"].get<bool>();
    else if (value.contains("shown"))
        answer.Kind = AnswerState, answer.State = stateOf(value);
    else
        answer.Error = "not an answer of the front end";
    return answer;
}

std::string controlSocketPath(const std::string& configFile)
{
    std::string folder = std::filesystem::path(configFile).parent_path().string();
    return platformRuntimeFolder(folder.empty() ? "." : folder) + "/torvanell.sock";
}
