// Nothing is applied while the menu is open: the nodes hold every choice until it closes, and
// there is no cancel. Choosing another skin or view reloads the skin, whose file then wins
// over the fonts chosen in the same visit.
#include "popups/optionsmenu.h"

#include "catalogue/catalogue.h"
#include "catalogue/categories.h"
#include "catalogue/filters.h"
#include "catalogue/gamelist.h"
#include "catalogue/keytable.h"
#include "config/settings.h"
#include "config/skin.h"
#include "display/artwork.h"
#include "platform/files.h"
#include "platform/window.h"
#include "popups/message.h"
#include "runtime/state.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

// The installed TrueType fonts, byte-wise sorted; filled when the menu opens, emptied when it
// closes.
static std::vector<std::string> FontNames;

MenuNode newMenuNode(const std::string& label, int choiceCount)
{
    MenuNode node{};
    node.Label = label;
    node.Choices.resize(std::max(choiceCount, 0));
    return node;
}

static MenuNode withChoices(const std::string& label, const std::vector<std::string>& choices)
{
    MenuNode node = newMenuNode(label, 0);
    node.Choices = choices;
    return node;
}

MenuNode newToggleItem(const std::string& label, int flag)
{
    MenuNode node = withChoices(label, {"Yes", "No"});
    node.Selected = flag ? 0 : 1;
    return node;
}

// The list holds the installed fonts' full names. A skin's face that the system serves under
// another name (Arial as Liberation Sans) is listed under the skin's name, so that closing the
// menu keeps it; only a face that resolves to nothing falls back to the first listed. Without
// any TrueType font the current face stays choosable.
MenuNode newFontItem(const std::string& label, const std::string& face)
{
    std::vector<std::string> choices = FontNames;
    auto place = std::lower_bound(choices.begin(), choices.end(), face);
    if (choices.empty() ||
        ((place == choices.end() || *place != face) && platformFontInstalled(face)))
        place = choices.insert(place, face);
    MenuNode node = withChoices(label, choices);
    if (place != choices.end() && *place == face) node.Selected = (int)(place - choices.begin());
    return node;
}

MenuNode newCountItem(const std::string& label, int n)
{
    MenuNode node = withChoices(label, {"0", "1", "2", "3", "4", "5", "6", "7", "8"});
    node.Selected = std::clamp(n, 0, 8);
    return node;
}

MenuNode newFontSizeItem(const std::string& label, int size)
{
    MenuNode node = newMenuNode(label, 15);
    for (size_t i = 0; i < node.Choices.size(); i++) node.Choices[i] = std::to_string(i * 2 + 8);
    // A size below 8 keeps its negative index, so an untouched item gives an even size back;
    // one so far below that doubling the index would overflow is raised first.
    node.Selected = std::clamp(size / 2 - 4, INT_MIN / 4, (int)node.Choices.size() - 1);
    return node;
}

int toggleValue(const MenuNode& node)
{
    return node.Selected == 0 ? 1 : 0;
}

int fontSizeValue(const MenuNode& node)
{
    return node.Selected * 2 + 8;
}

// The name-code rows the menu offers, by the configuration key of their flag.
struct FilterRow
{
    const char* Label;
    const char* Key;
};

static const FilterRow RomTypeRows[] = {
    {"Display Alternate Versions", "ShowAlternates"},
    {"Display Bad Dumps", "ShowBadDumps"},
    {"Display Fixed Roms", "ShowFixed"},
    {"Display Hacks", "ShowHacks"},
    {"Display OverDumps", "ShowOverDumps"},
    {"Display Pirate Roms", "ShowPirate"},
    {"Display Trainers", "ShowTrainers"},
    {"Display Translations", "ShowTranslations"},
    {"Display Verified Good Roms", "ShowVerified"},
    {"Display Multiple Language Roms", "ShowMultiLanguage"},
    {"Display Unlicensed Roms", "ShowUnlicensed"},
};

static const FilterRow CountryRows[] = {
    {"Display Australian Roms", "ShowAustralia"},
    {"Display Non-USA (Genesis) Roms", "ShowNonUSAGenesis"},
    {"Display Chinese Roms", "ShowChina"},
    {"Display European Roms", "ShowEurope"},
    {"Display French Roms", "ShowFrance"},
    {"Display French Canadian Roms", "ShowFrenchCanadian"},
    {"Display Finnish Roms", "ShowFinland"},
    {"Display German Roms", "ShowGermany"},
    {"Display Greek Roms", "ShowGreece"},
    {"Display Hong Kong Roms", "ShowHongKong"},
    {"Display USA / Brazil NTSC Roms", "ShowUSAAndBrazilNTSC"},
    {"Display Japanese Roms", "ShowJapan"},
    {"Display Korean Roms", "ShowKorea"},
    {"Display Netherlands Roms", "ShowNetherlands"},
    {"Display Public Domain Roms", "ShowPublicDomain"},
    {"Display Swedish Roms", "ShowSweden"},
    {"Display USA Roms", "ShowUSA"},
    {"Display England Roms", "ShowEngland"},
    {"Display Unknown Country Roms", "ShowUnknownCountry"},
    {"Display Italian Roms", "ShowItaly"},
};

static int nameCodeRow(const char* key)
{
    for (int i = 0; i < NameCodeCount; i++)
        if (strcmp(NameCodeTable[i].Key, key) == 0) return i;
    return -1; // the tables above name only keys of the name-code table
}

template <size_t N>
static MenuNode buildNameCodeMenu(const char* label, const FilterRow (&rows)[N],
                                  const NameCodeFilter& filter)
{
    MenuNode menu = newMenuNode(label, 0);
    for (const FilterRow& row : rows)
        menu.Children.push_back(newToggleItem(row.Label, filter.Flags[nameCodeRow(row.Key)]));
    return menu;
}

template <size_t N>
static void readNameCodeMenu(const MenuNode& menu, const FilterRow (&rows)[N],
                             NameCodeFilter& filter)
{
    for (size_t i = 0; i < N && i < menu.Children.size(); i++)
        filter.Flags[nameCodeRow(rows[i].Key)] = toggleValue(menu.Children[i]);
}

MenuNode buildRomTypeFilterMenu(const NameCodeFilter& filter)
{
    return buildNameCodeMenu("Choose Rom Type Filters", RomTypeRows, filter);
}

MenuNode buildCountryFilterMenu(const NameCodeFilter& filter)
{
    return buildNameCodeMenu("Choose Country Filters", CountryRows, filter);
}

void readRomTypeFilterMenu(const MenuNode& menu, NameCodeFilter& filter)
{
    readNameCodeMenu(menu, RomTypeRows, filter);
}

void readCountryFilterMenu(const MenuNode& menu, NameCodeFilter& filter)
{
    readNameCodeMenu(menu, CountryRows, filter);
}

static const struct
{
    const char* Label;
    int MameFilter::*Flag;
} MameToggleRows[] = {
    {"Display Missing Games", &MameFilter::DisplayMissingRoms},
    {"Display Vertical Games", &MameFilter::DisplayVertical},
    {"Display Horizontal Games", &MameFilter::DisplayHorizontal},
    {"Display Clones", &MameFilter::DisplayClones},
    {"Display NeoGeo Games", &MameFilter::DisplayNeoGeo},
    {"Display Non-NeoGeo Games", &MameFilter::DisplayNonNeoGeo},
    {"Display Vector Games", &MameFilter::DisplayVector},
    {"Display Raster Games", &MameFilter::DisplayRaster},
};

static const struct
{
    const char* Label;
    int16_t MameFilter::*Count;
} MameCountRows[] = {
    {"Display Minimum Players", &MameFilter::MinPlayers},
    {"Display Maximum Players", &MameFilter::MaxPlayers},
    {"Display Minimum Buttons", &MameFilter::MinButtons},
    {"Display Maximum Buttons", &MameFilter::MaxButtons},
    {"Display Minimum Coin Slots", &MameFilter::MinCoins},
    {"Display Maximum Coin Slots", &MameFilter::MaxCoins},
};

MenuNode buildMameFilterMenu(const MameFilter& filter)
{
    MenuNode menu = newMenuNode("Choose MAME Filters", 0);
    for (const auto& row : MameToggleRows)
        menu.Children.push_back(newToggleItem(row.Label, filter.*row.Flag));
    for (const auto& row : MameCountRows)
        menu.Children.push_back(newCountItem(row.Label, filter.*row.Count));
    return menu;
}

void readMameFilterMenu(const MenuNode& menu, MameFilter& filter)
{
    int row = 0;
    for (const auto& toggle : MameToggleRows)
        filter.*toggle.Flag = toggleValue(menu.Children.at(row++));
    for (const auto& count : MameCountRows)
        filter.*count.Count = (int16_t)menu.Children.at(row++).Selected;
}

static const char* const ChooseCategoriesLabel = "Choose Categories";
static const char* const ShowMatureLabel = "Show Mature Games";

// A sub-menu with a toggle for each main category of the emulator's games (from its category
// file or its game list's genres); none when they have none.
static std::optional<MenuNode> categoriesItem(const Emulator& emulator, int emulatorIndex)
{
    std::vector<int> mains = mainCategoriesOf(emulatorIndex);
    if (mains.empty()) return std::nullopt;
    std::vector<char> hidden = hiddenCategoryMask(emulator);
    MenuNode categories = newMenuNode(ChooseCategoriesLabel, 0);
    for (int main : mains)
        categories.Children.push_back(newToggleItem(MainCategories[main], !hidden[main]));
    return categories;
}

static void readCategoriesItem(const MenuNode& row, Emulator& emulator)
{
    std::vector<std::pair<std::string, int>> shown;
    for (const MenuNode& category : row.Children)
        shown.emplace_back(category.Label, toggleValue(category));
    setShownCategories(emulator, shown);
}

// The last rows of the MAME filters, after the counts: the categories, and the mature games
// when a category file marks them.
static void addCategoryRows(MenuNode& filters, const Emulator& emulator, int emulatorIndex)
{
    std::optional<MenuNode> categories = categoriesItem(emulator, emulatorIndex);
    if (categories) filters.Children.push_back(std::move(*categories));
    if (categories && !emulator.CategoryFile.empty())
        filters.Children.push_back(newToggleItem(ShowMatureLabel, emulator.ShowMature));
}

static const char* const CabinetOnlyLabel = "Only Games For This Cabinet";
static const char* const PlayersAtOnceLabel = "Players At Once";

// Offered only when there is something to choose by: the cabinet's controls, a players file.
static void addCabinetRows(MenuNode& filters, const Emulator& emulator)
{
    if (cabinetControlTypes())
        filters.Children.push_back(newToggleItem(CabinetOnlyLabel, emulator.CabinetOnly));
    if (!emulator.PlayersFile.empty())
        filters.Children.push_back(newToggleItem(PlayersAtOnceLabel, emulator.PlayersAtOnce));
}

// The rows after the counts are told apart by their labels: which of them are offered depends
// on the emulator's files.
static void readEmulatorRows(const MenuNode& filters, Emulator& emulator)
{
    for (const MenuNode& row : filters.Children)
    {
        if (row.Label == CabinetOnlyLabel) emulator.CabinetOnly = toggleValue(row);
        if (row.Label == PlayersAtOnceLabel) emulator.PlayersAtOnce = toggleValue(row);
        if (row.Label == ShowMatureLabel) emulator.ShowMature = toggleValue(row);
        if (row.Label == ChooseCategoriesLabel) readCategoriesItem(row, emulator);
    }
}

static void enumerateFonts()
{
    FontNames = platformListFonts();
    std::sort(FontNames.begin(), FontNames.end()); // byte-wise: std::string compares unsigned
}

static int lowerAscii(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Letter case ignored, as the listings of the systems skins come from are ordered; names that
// differ only in case keep a fixed order.
static bool skinOrder(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char x, unsigned char y) { return lowerAscii(x) < lowerAscii(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lower)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lower)) return false;
    return a < b;
}

std::vector<std::string> listSkins()
{
    std::vector<std::string> names, skins;
    if (!platformListDirectory(FrontendSettings.SkinDir + "/*", names)) return skins;
    for (const std::string& name : names)
        if (!name.empty() && name[0] != '.' &&
            platformIsDirectory(FrontendSettings.SkinDir + "/" + name))
            skins.push_back(name);
    std::sort(skins.begin(), skins.end(), skinOrder);
    return skins;
}

// The rows of the top level, by what they are, in the order they are shown: eight always,
// the filter sub-menus of the one emulator shown, then the order, the skin and the emulator.
enum OptionsRow
{
    RowMenuType,
    RowMainFont,
    RowMainFontSize,
    RowStatusFont,
    RowStatusFontSize,
    RowMenuFontSize,
    RowStatusBar,
    RowPreview,
    RowRomTypeFilters,
    RowCountryFilters,
    RowMameFilters,
    RowCategories, // an emulator of another kind whose game list gives genres
    RowShowHidden, // when a game list marks games hidden
    RowGameOrder,
    RowSkin,
    RowEmulator,
    OptionsRowCount
};

struct OptionsMenu
{
    std::vector<MenuNode> Items;
    int At[OptionsRowCount]; // where each row stands in Items; -1 for a row not shown
    Emulator* OnlyEmulator;  // the single emulator shown; null with all of them
};

static void addRow(OptionsMenu& menu, OptionsRow row, MenuNode node)
{
    menu.At[row] = (int)menu.Items.size();
    menu.Items.push_back(std::move(node));
}

static const MenuNode& rowOf(const OptionsMenu& menu, OptionsRow row)
{
    return menu.Items[menu.At[row]];
}

static void addFixedRows(OptionsMenu& menu)
{
    MenuNode menuType = withChoices("Menu Type", {"List View", "Image Preview"});
    menuType.Selected = FrontendSettings.MenuType == ViewList ? 0 : 1;
    addRow(menu, RowMenuType, menuType);
    addRow(menu, RowMainFont, newFontItem("Main Window Font", Skin.Fontface));
    addRow(menu, RowMainFontSize, newFontSizeItem("Main Window Font Size", Skin.Fontsize));
    addRow(menu, RowStatusFont, newFontItem("Status Bar Font", Skin.StatusBarFontFace));
    addRow(menu, RowStatusFontSize,
           newFontSizeItem("Status Bar Font Size", Skin.StatusBarFontSize));
    addRow(menu, RowMenuFontSize, newFontSizeItem("Menu Font Size", Skin.MenuFontSize));
    addRow(menu, RowStatusBar, newToggleItem("Show Status Bar", Skin.ShowStatusBar));
    MenuNode preview = withChoices("Preview Pictures", {"Screen Shots", "Flyers"});
    preview.Selected = FrontendSettings.PreviewPictures == PreviewScreenshots ? 0 : 1;
    addRow(menu, RowPreview, preview);
}

static void addFilterMenus(OptionsMenu& menu)
{
    Emulator* emulator = menu.OnlyEmulator;
    if (!emulator) return;
    if (emulator->UseGoodFilters && emulator->CodeFilter)
    {
        addRow(menu, RowRomTypeFilters, buildRomTypeFilterMenu(*emulator->CodeFilter));
        addRow(menu, RowCountryFilters, buildCountryFilterMenu(*emulator->CodeFilter));
    }
    if (emulator->Kind == EmulatorMame && emulator->MachineFilter)
    {
        MenuNode filters = buildMameFilterMenu(*emulator->MachineFilter);
        addCabinetRows(filters, *emulator);
        addCategoryRows(filters, *emulator, FrontendState.CurrentEmulator);
        addRow(menu, RowMameFilters, filters);
        return;
    }
    std::optional<MenuNode> categories = categoriesItem(*emulator, FrontendState.CurrentEmulator);
    if (categories) addRow(menu, RowCategories, std::move(*categories));
}

static MenuNode skinItem()
{
    MenuNode node = withChoices("Skin", listSkins());
    for (size_t i = 0; i < node.Choices.size(); i++)
        if (node.Choices[i] == FrontendSettings.SkinName) node.Selected = (int)i;
    return node;
}

static MenuNode emulatorItem()
{
    std::vector<std::string> names = {AllEmulatorsName};
    for (const auto& emulator : EmulatorTable) names.push_back(emulator->Name);
    names.push_back(FavouriteGamesName);
    MenuNode node = withChoices("Emulator", names);
    node.Selected = emulatorNamed(Skin.ShownEmulator) + 1; // "All" when none is named so
    if (node.Selected == 0 && FrontendState.CurrentEmulator == FavouriteGames)
        node.Selected = (int)names.size() - 1;
    return node;
}

static const char* const GameOrderChoices[] = {"Description", "Most Played", "Last Played"};

static MenuNode gameOrderItem()
{
    MenuNode node =
        withChoices("Sort Games By", {std::begin(GameOrderChoices), std::end(GameOrderChoices)});
    node.Selected = FrontendSettings.SortGamesBy;
    return node;
}

static OptionsMenu buildOptionsMenu()
{
    OptionsMenu menu{};
    std::fill(std::begin(menu.At), std::end(menu.At), -1);
    menu.OnlyEmulator = emulatorAt(FrontendState.CurrentEmulator);
    addFixedRows(menu);
    addFilterMenus(menu);
    if (anyGameHidden())
        addRow(menu, RowShowHidden,
               newToggleItem("Show Hidden Games", FrontendSettings.ShowHiddenGames));
    addRow(menu, RowGameOrder, gameOrderItem());
    addRow(menu, RowSkin, skinItem());
    addRow(menu, RowEmulator, emulatorItem());
    return menu;
}

static void applyFilters(const OptionsMenu& menu)
{
    if (menu.At[RowRomTypeFilters] >= 0)
    {
        readRomTypeFilterMenu(rowOf(menu, RowRomTypeFilters), *menu.OnlyEmulator->CodeFilter);
        readCountryFilterMenu(rowOf(menu, RowCountryFilters), *menu.OnlyEmulator->CodeFilter);
    }
    if (menu.At[RowMameFilters] >= 0)
    {
        readMameFilterMenu(rowOf(menu, RowMameFilters), *menu.OnlyEmulator->MachineFilter);
        readEmulatorRows(rowOf(menu, RowMameFilters), *menu.OnlyEmulator);
    }
    if (menu.At[RowCategories] >= 0)
        readCategoriesItem(rowOf(menu, RowCategories), *menu.OnlyEmulator);
    if (menu.At[RowShowHidden] >= 0)
        FrontendSettings.ShowHiddenGames = toggleValue(rowOf(menu, RowShowHidden));
}

static void reloadSkin()
{
    loadSkin();
    tellMistypedSkinKeys(skinFilePath());
    applyMessageBoxLook();
    loadBackgroundImage();
}

// Another skin: the old one keeps what was set while it was shown, and the new one's values
// stand in place of the fonts and the emulator chosen in this visit. Answers 0 when the skin
// stays.
static int applySkin(const OptionsMenu& menu)
{
    const MenuNode& item = rowOf(menu, RowSkin);
    if (item.Selected < 0 || item.Selected >= (int)item.Choices.size()) return 0;
    const std::string& chosen = item.Choices[item.Selected];
    if (chosen == FrontendSettings.SkinName) return 0;
    saveSkin();
    FrontendSettings.SkinName = chosen;
    reloadSkin();
    return 1;
}

static void applyFontsAndEmulator(const OptionsMenu& menu)
{
    Skin.Fontface = choiceValue(rowOf(menu, RowMainFont));
    Skin.Fontsize = fontSizeValue(rowOf(menu, RowMainFontSize));
    Skin.MenuFontSize = fontSizeValue(rowOf(menu, RowMenuFontSize));
    Skin.StatusBarFontFace = choiceValue(rowOf(menu, RowStatusFont));
    Skin.StatusBarFontSize = fontSizeValue(rowOf(menu, RowStatusFontSize));
    Skin.ShownEmulator = choiceValue(rowOf(menu, RowEmulator));
    // "All" wins over an emulator of that name; an emulator over "Favourites".
    int named = emulatorNamed(Skin.ShownEmulator);
    if (Skin.ShownEmulator == AllEmulatorsName ||
        (named < 0 && Skin.ShownEmulator != FavouriteGamesName))
        FrontendState.CurrentEmulator = AllEmulators;
    else
        FrontendState.CurrentEmulator = named >= 0 ? named : FavouriteGames;
}

// The other view has its own layout in skin.ini: switching reloads the whole skin, so what
// this visit set in it gives way to the file's values (the shown emulator stays shown).
static void applyView(const OptionsMenu& menu)
{
    ViewMode previous = FrontendSettings.MenuType;
    FrontendSettings.MenuType =
        rowOf(menu, RowMenuType).Selected == 0 ? ViewList : ViewImageBrowser;
    if (FrontendSettings.MenuType != previous) reloadSkin();
}

static void applyOptionsMenu(const OptionsMenu& menu)
{
    applyFilters(menu);
    if (!applySkin(menu)) applyFontsAndEmulator(menu);
    applyView(menu);
    FrontendSettings.SortGamesBy = (GameOrder)std::clamp(
        rowOf(menu, RowGameOrder).Selected, (int)OrderByDescription, (int)OrderByLastPlayed);
    Skin.ShowStatusBar = toggleValue(rowOf(menu, RowStatusBar));
    FrontendSettings.PreviewPictures =
        rowOf(menu, RowPreview).Selected == 0 ? PreviewScreenshots : PreviewFlyers;
}

int runOptionsMenu()
{
    if (!FrontendSettings.AllowMenu) return 0;
    enumerateFonts();
    OptionsMenu menu = buildOptionsMenu();
    int shown = showMenuWindow(menu.Items, "Options");
    if (shown) applyOptionsMenu(menu);
    destroyMenuWindows();
    FontNames.clear();
    return shown;
}
