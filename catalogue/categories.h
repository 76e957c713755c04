// The categories of MAME's machines from a category file (catver.ini): which games an owner
// hides as a kind (casino, mahjong, system sets) and which are marked mature.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct Game;
struct Emulator;

// A category as the file names it ("Shooter / Flying Vertical") and its main category, the
// part before " / " ("Shooter"), as an index into MainCategories.
struct CategoryRecord
{
    std::string Name;
    int Main;
};
// Every category and main category the category files of this run named; Game::Category is 1
// + an index into Categories.
extern std::vector<CategoryRecord> Categories;
extern std::vector<std::string> MainCategories;

// One line of a file's [Category] section, the mature mark taken off the category.
struct CategoryLine
{
    std::string_view Game;
    std::string_view Category;
    int Mature;
};
// Calls found for every line of the [Category] section that names a game and a category, in
// the file's order. Lines end at LF, CR or both; other sections, lines without "=" and a
// byte-order mark are passed over.
void parseCategoryFile(std::string_view text,
                       const std::function<void(const CategoryLine&)>& found);
// Gives the games of that MAME emulator their categories from its CategoryFile; the first line
// naming a game counts. A file that cannot be read is one line on standard error, and the
// games stay without categories (shown). 0 when no file was read.
int loadCategories(int emulatorIndex);
// The number a game's Category holds for the category of that name (1 + its index), adding it
// when it is new: for categories that come from elsewhere than a category file.
int categoryNumber(std::string_view name);
// The game's category; empty when the file does not name it.
const std::string& categoryOf(const Game& game);
// The main categories of that emulator's games (indices into MainCategories), sorted by name;
// what the menu offers.
std::vector<int> mainCategoriesOf(int emulatorIndex);
// For each index of MainCategories, 1 when the emulator hides that main category. The
// owner's names are compared without regard to ASCII letter case or blanks around them.
std::vector<char> hiddenCategoryMask(const Emulator& emulator);
// The emulator's HiddenCategories after the menu, from each offered main category and whether
// it is shown: the shown ones taken out, the hidden ones added after those already listed;
// names the menu did not offer stay as they were.
void setShownCategories(Emulator& emulator, const std::vector<std::pair<std::string, int>>& shown);
void forgetCategories();
