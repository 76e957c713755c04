// Command lines built from an emulator's template and a game's texts, split as the emulator
// is started: whatever a game's texts hold, a quoted part of the template reaches the emulator
// as one argument, byte for byte.
#include "catalogue/catalogue.h"
#include "fuzzing.h"
#include "launch/launch.h"
#include "platform/process.h"

#include <fuzzer/FuzzedDataProvider.h>

// Pieces of a template: the game's texts, plain words and a backslash. Quotes of the template's
// own are left out, and so is a backslash written right before its closing quote: those are
// the template's to mean as it likes.
static const char* const Pieces[] = {"%d", "%f", "%p", "%r", "-x", "a", "%%", "%a", "/", "\\"};
const size_t PieceCount = sizeof(Pieces) / sizeof(Pieces[0]);

// What a piece puts into the argument once the line is split.
static std::string expected(const std::string& piece, const Game& game)
{
    if (piece == "%d") return game.Description;
    if (piece == "%f") return game.Name;
    if (piece == "%p") return romDirectoryOf(game);
    if (piece == "%r") return stripExtension(game.Name);
    return piece[0] == '%' ? piece.substr(1) : piece;
}

static std::string pickPieces(FuzzedDataProvider& input, std::string* meant, const Game& game)
{
    std::string pattern;
    for (int count = input.ConsumeIntegralInRange(0, 4); count > 0; count--)
    {
        std::string piece = Pieces[input.ConsumeIntegralInRange<size_t>(0, PieceCount - 1)];
        pattern += piece;
        if (meant) *meant += expected(piece, game);
    }
    return pattern;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    Game game{};
    Emulator emulator{};
    game.Name = input.ConsumeRandomLengthString(200);
    game.Description = input.ConsumeRandomLengthString(200);
    game.RomFile = std::make_unique<RomFileInfo>();
    game.RomFile->Directory = input.ConsumeRandomLengthString(200);
    // Any template must expand; the property is asked of templates made of known pieces.
    emulator.CmdLine = input.ConsumeRandomLengthString(200);
    platformSplitCommandLine(expandCmdLine(&emulator, &game));

    std::string meant;
    std::string prefix = "emu " + pickPieces(input, nullptr, game) + " ";
    emulator.CmdLine = prefix;
    size_t before = platformSplitCommandLine(expandCmdLine(&emulator, &game)).size();
    std::string quoted = pickPieces(input, &meant, game);
    if (!quoted.empty() && quoted.back() == '\\') quoted += "/", meant += "/";
    emulator.CmdLine += "%q" + quoted + "%q " + pickPieces(input, nullptr, game);
    std::vector<std::string> arguments = platformSplitCommandLine(expandCmdLine(&emulator, &game));
    require(arguments.size() > before && arguments[before] == meant,
            "the quoted part of \"" + emulator.CmdLine + "\" did not come back whole");
    return 0;
}
