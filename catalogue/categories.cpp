// Category files are large (some 50,000 [Category] lines for a full set, as many again in
// other sections) and read at every start, so the file is read whole and scanned in place,
// each game looked up by name, and each distinct category kept once.
#include "catalogue/categories.h"

#include "catalogue/catalogue.h"
#include "catalogue/sectionlines.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

std::vector<CategoryRecord> Categories;
std::vector<std::string> MainCategories;
// Looked up by views into the file's text: no copy is made for a category already known.
struct TextHash
{
    using is_transparent = void;
    size_t operator()(std::string_view text) const
    {
        return std::hash<std::string_view>()(text);
    }
};
using TextIds = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;
static TextIds CategoryIds;
static TextIds MainCategoryIds;

static const std::string_view MatureMark = "* Mature *";

void parseCategoryFile(std::string_view text, const std::function<void(const CategoryLine&)>& found)
{
    forEachSectionLine(text, "Category",
                       [&](std::string_view game, std::string_view category)
                       {
                           CategoryLine entry{game, category, 0};
                           if (category.size() >= MatureMark.size() &&
                               category.substr(category.size() - MatureMark.size()) == MatureMark)
                           {
                               entry.Mature = 1;
                               entry.Category = trimmedText(
                                   category.substr(0, category.size() - MatureMark.size()));
                           }
                           if (!entry.Game.empty() && !entry.Category.empty()) found(entry);
                       });
}

static int internMain(std::string_view name)
{
    auto [place, added] =
        MainCategoryIds.try_emplace(std::string(name), (int)MainCategories.size());
    if (added) MainCategories.emplace_back(name);
    return place->second;
}

// "Game Console/Computer" has no blanks around its slash: it is a main category of its own.
static int internCategory(std::string_view name)
{
    auto found = CategoryIds.find(name);
    if (found != CategoryIds.end()) return found->second;
    size_t slash = name.find(" / ");
    int main = internMain(trimmedText(name.substr(0, slash)));
    CategoryIds.emplace(std::string(name), (int)Categories.size());
    Categories.push_back({std::string(name), main});
    return (int)Categories.size() - 1;
}

int loadCategories(int emulatorIndex)
{
    const Emulator* emulator = emulatorAt(emulatorIndex);
    if (!emulator || emulator->Kind != EmulatorMame || emulator->CategoryFile.empty()) return 0;
    std::string text;
    if (!readWholeFile(emulator->CategoryFile, "Category file",
                       "the games of " + emulator->Name + " are shown without categories", text))
        return 0;
    int cuts = 0;
    parseCategoryFile(text,
                      [&](const CategoryLine& line)
                      {
                          Game* game = findGame(line.Game, emulatorIndex);
                          if (!game || game->Category) return;
                          std::string_view name =
                              cutToLength(line.Category, CategoryLengthLimit, &cuts);
                          game->Category = internCategory(name) + 1;
                          game->Mature = line.Mature;
                      });
    if (cuts)
        fprintf(stderr, "Category file [%s]: %d categories longer than %zu bytes were cut\n",
                emulator->CategoryFile.c_str(), cuts, CategoryLengthLimit);
    return 1;
}

int categoryNumber(std::string_view name)
{
    return internCategory(name) + 1;
}

static const CategoryRecord* recordOf(const Game& game)
{
    return game.Category > 0 && game.Category <= (int)Categories.size()
               ? &Categories[game.Category - 1]
               : nullptr;
}

const std::string& categoryOf(const Game& game)
{
    static const std::string none;
    const CategoryRecord* record = recordOf(game);
    return record ? record->Name : none;
}

std::vector<int> mainCategoriesOf(int emulatorIndex)
{
    std::vector<char> present(MainCategories.size(), 0);
    for (const auto& game : AllGames)
        if (game->EmulatorIndex == emulatorIndex && recordOf(*game))
            present[recordOf(*game)->Main] = 1;
    std::vector<int> mains;
    for (size_t i = 0; i < present.size(); i++)
        if (present[i]) mains.push_back((int)i);
    std::sort(mains.begin(), mains.end(),
              [](int a, int b) { return MainCategories[a] < MainCategories[b]; });
    return mains;
}

static std::unordered_set<std::string> comparableNames(const std::vector<std::string>& names)
{
    std::unordered_set<std::string> keys;
    for (const std::string& name : names) keys.insert(comparableName(name));
    return keys;
}

std::vector<char> hiddenCategoryMask(const Emulator& emulator)
{
    std::vector<char> hidden(MainCategories.size(), 0);
    if (emulator.HiddenCategories.empty()) return hidden;
    std::unordered_set<std::string> names = comparableNames(emulator.HiddenCategories);
    for (size_t i = 0; i < MainCategories.size(); i++)
        hidden[i] = names.count(comparableName(MainCategories[i])) ? 1 : 0;
    return hidden;
}

void setShownCategories(Emulator& emulator, const std::vector<std::pair<std::string, int>>& shown)
{
    std::unordered_set<std::string> offered, hide;
    for (const auto& [name, on] : shown)
    {
        offered.insert(comparableName(name));
        if (!on) hide.insert(comparableName(name));
    }
    std::vector<std::string> kept;
    for (const std::string& name : emulator.HiddenCategories)
    {
        std::string key = comparableName(name);
        if (!offered.count(key) || hide.erase(key)) kept.push_back(name);
    }
    for (const auto& [name, on] : shown)
        if (!on && hide.erase(comparableName(name))) kept.push_back(name);
    emulator.HiddenCategories = std::move(kept);
}

void forgetCategories()
{
    std::vector<CategoryRecord>().swap(Categories);
    std::vector<std::string>().swap(MainCategories);
    decltype(CategoryIds)().swap(CategoryIds);
    decltype(MainCategoryIds)().swap(MainCategoryIds);
}
