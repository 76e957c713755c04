// The files are checked again at every opening, so that one replaced while the front end runs
// is indexed anew before its entries are read.
#include "core/infopages.h"

#include "catalogue/catalogue.h"
#include "catalogue/commandfile.h"
#include "catalogue/datentries.h"
#include "catalogue/historyfile.h"
#include "config/settings.h"

void openInformationFiles()
{
    openHistoryFile();
    openCommandFile();
}

void closeInformationFiles()
{
    closeFileIndex(HistoryIndex);
    closeFileIndex(CommandIndex);
}

// A clone without information of its own shows its parent's, whether or not the view shows
// the parent: a search or a filter hiding it does not make the clone's information go.
static const std::vector<std::string>* informationLines(const Game& game)
{
    if (!game.InfoLines.empty() || game.CloneOf.empty()) return &game.InfoLines;
    const Game* parent = game.Parent ? game.Parent : findGame(game.CloneOf, game.EmulatorIndex);
    return parent ? &parent->InfoLines : nullptr;
}

// The game's own entry, else its parent's: the files name parents and leave most clones out.
template <typename Read>
static auto ownOrParents(const Game& game, Read read)
{
    auto found = read(game.Name);
    if (found.empty() && !game.CloneOf.empty()) found = read(game.CloneOf);
    return found;
}

static void addStoryAndMoves(const Game& game, std::vector<InfoPage>& pages)
{
    if (openHistoryFile())
    {
        std::vector<std::string> story = ownOrParents(game, readHistoryLines);
        if (!story.empty()) pages.push_back({"History", std::move(story), 0});
    }
    if (!openCommandFile()) return;
    for (CommandBlock& block : ownOrParents(game, readCommandBlocks))
        if (!block.Lines.empty())
            pages.push_back(
                {block.Title.empty() ? "Moves" : block.Title, std::move(block.Lines), 1});
}

// A game list's description, for a game of any emulator.
static void addDescription(const Game& game, std::vector<InfoPage>& pages)
{
    if (!game.Listed) return;
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(game.Listed->Description)) lines.emplace_back(line);
    trimEmptyLines(lines);
    if (!lines.empty()) pages.push_back({"Description", std::move(lines), 0});
}

static int isMameGame(const Game& game)
{
    const Emulator* emulator = emulatorOf(&game);
    return emulator && emulator->Kind == EmulatorMame;
}

std::vector<InfoPage> informationPages(const Game& game)
{
    std::vector<InfoPage> pages;
    addDescription(game, pages);
    // The machines' files name MAME's sets: a ROM file's name would find some other game.
    if (!isMameGame(game)) return pages;
    const std::vector<std::string>* info =
        FrontendSettings.UseMameInfoDat ? informationLines(game) : nullptr;
    if (info && !info->empty()) pages.push_back({"Info", *info, 0});
    addStoryAndMoves(game, pages);
    if (pages.size() == 1 && !pages[0].Glyphs && pages[0].Title == "Info") pages[0].Title.clear();
    return pages;
}
