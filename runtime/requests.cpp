// Reading requests with nlohmann's JSON parser, which refuses malformed text and bytes that are
// not UTF-8 without throwing when asked not to.
#include "runtime/requests.h"

#include "base/text.h"
#include "platform/window.h"

#include <nlohmann/json.hpp>

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

static std::string jsonString(std::string_view text)
{
    return Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string errorLine(std::string_view text)
{
    return "{\"error\":" + jsonString(text) + "}\n";
}
