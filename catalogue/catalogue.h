// The catalogue: the emulators the configuration names, every game of every emulator, the
// games the screen shows and an index of games by name. Texts are owned by their records;
// an empty text stands for "none" where a field may have no value.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

const int NameCodeCount = 34;

// One row of the name-code table: the codes searched in a file name (a plain, case-sensitive
// substring; OtherCode may be null) and the emulator-section key that shows such games. The
// row number is the index into NameCodeFlags and NameCodeFilter; every key defaults to 0.
struct NameCodeInfo
{
    const char* Code;
    const char* OtherCode;
    const char* Key;
};
extern const NameCodeInfo NameCodeTable[NameCodeCount];

// Which name codes an emulator shows; index i is row i of the name-code table.
struct NameCodeFilter
{
    int Flags[NameCodeCount];
};

// Which name codes a file name carries.
struct NameCodeFlags
{
    int Flags[NameCodeCount];
};

struct MameFilter
{
    int DisplayMissingRoms;
    int DisplayVertical;
    int DisplayHorizontal;
    int DisplayClones;
    int DisplayNeoGeo;
    int DisplayNonNeoGeo;
    int DisplayVector;
    int DisplayRaster;
    int16_t MinPlayers;
    int16_t MaxPlayers;
    int16_t MinButtons;
    int16_t MaxButtons;
    int16_t MinCoins;
    int16_t MaxCoins;
    uint16_t ControllerTypes;
};

// What an emulator's games are: ROM files found in its folders (with the games listed by
// hand), or the machines of a MAME emulator's list.
enum EmulatorKind
{
    EmulatorRomFiles,
    EmulatorMame,
};

struct Emulator
{
    EmulatorKind Kind = EmulatorRomFiles;
    int UseGoodFilters;
    int IncludeInAll;
    int SectionFound = 1; // the configuration has its section; else it runs on every default
    std::string Name;
    std::string Executable;
    std::string ExecPath;
    std::string Snaps;
    std::string DefaultSnap;
    std::string Marquees;
    std::string DefaultMarquee;
    std::string Flyers;
    std::string DefaultFlyer;
    std::string Videos; // the folder of the games' videos; none when empty
    std::string RomPath;
    std::string CmdLine;
    std::string SendKeys;
    std::string RomFileExt;
    // MAME emulators only: the category file (none when empty), the main categories hidden
    // (as the owner wrote them) and whether games marked mature are shown.
    std::string CategoryFile;
    std::vector<std::string> HiddenCategories;
    int ShowMature = 1;
    // MAME emulators only: games needing a control the cabinet lacks are hidden (while the
    // cabinet's controls are named); the players file (none when empty) and whether the
    // player bounds count the players at once it names.
    int CabinetOnly = 1;
    std::string PlayersFile;
    int PlayersAtOnce = 0;
    // A game list other tools wrote (none when empty), whether its titles are shown, and a
    // folder of pictures and videos in those tools' layout (none when empty).
    std::string GameList;
    int GameListNames = 1;
    std::string MediaFolder;
    int AttractPlay = 0;                        // the Play screensaver may start its games
    std::unique_ptr<NameCodeFilter> CodeFilter; // exactly when UseGoodFilters
    std::unique_ptr<MameFilter> MachineFilter;  // exactly for a MAME emulator
};

// Kept in the snapshot as these numbers.
enum ScreenOrientation : uint16_t
{
    OrientationUnknown = 0,
    OrientationVertical = 1,
    OrientationHorizontal = 2,
};

struct VideoInfo
{
    std::string Screen; // "raster", "vector", ...
    ScreenOrientation Orientation;
    uint16_t Width;
    uint16_t Height;
};

struct InputInfo
{
    int16_t Players;
    int16_t Buttons;
    int16_t Coins;
    uint16_t Control;      // 1 for the seven named control types, else 8
    uint32_t ControlTypes; // every control type its players use: bits of controlTypeBit
};

// The control types MAME's lists name ("joy", "lightgun", "mahjong", ...), each a bit of
// InputInfo::ControlTypes in this order; a type not among them is the bit after the last.
// Kept in the snapshot as these bits: a change here is a new snapshot layout.
const int ControlTypeCount = 17;
extern const char* const ControlTypeNames[ControlTypeCount];
const uint32_t OtherControlType = 1u << ControlTypeCount;
// The bit of a type as a list names it; the old lists' "joy8way", "doublejoy4way" are joy and
// doublejoy. Letter case and blanks around it do not count. 0 for an empty name.
uint32_t controlTypeBit(std::string_view type);
// The same, 0 for a name that is no known type.
uint32_t knownControlTypeBit(std::string_view type);

// A game that is a ROM file found on disk: its folder and the codes in its file name.
struct RomFileInfo
{
    std::string Directory;
    NameCodeFlags Codes;
};

// What the games of one emulator took from its list; held apart as few games have it.
struct ListedGame
{
    std::string Description; // <desc>, shown as an information page
    std::string Image, Thumbnail, Marquee, Video;
    std::string Publisher;
    int Rating; // hundredths; -1 none
    int Players;
    int Hidden;
};

// A full MAME set holds 45,000 of these, so what most games lack is held apart (RomFile,
// Video), and what is smaller than a pointer to it is held within (Input).
struct Game
{
    int EmulatorIndex;
    int32_t Year;
    std::string YearText; // as the list writes it: "1981", or "198?" when it is not known
    std::string Name;
    std::string Description;
    std::string Manufacturer;
    std::string CloneOf; // empty: not a clone
    std::string RomOf;
    std::unique_ptr<RomFileInfo> RomFile; // scanned ROM files only
    std::unique_ptr<VideoInfo> Video;
    std::unique_ptr<ListedGame> Listed; // what its emulator's game list says of it
    std::vector<std::string> InfoLines;
    Game* Parent;              // not owned
    struct PlayRecord* Played; // its favourite mark and plays; null: neither; not owned
    int Category;              // 0: the category file names it not; else 1 + index in Categories
    bool NotRunnable;
    bool Available;
    bool Mature; // the category file marks it mature
    // From the players file: the most players at once ("2P sim") and taking turns ("4P alt"),
    // 0 when its line says neither; HasPlayersLine is set when the file has a line for it (or,
    // for a clone without one, for its parent).
    bool HasPlayersLine;
    uint8_t PlayersTogether;
    uint8_t PlayersInTurn;
    std::optional<InputInfo> Input;
};

// The folder of the game's ROM file; empty for hand-listed and MAME games.
inline const std::string& romDirectoryOf(const Game& game)
{
    static const std::string none;
    return game.RomFile ? game.RomFile->Directory : none;
}

// Filled by loadEmulators at start-up; owns them; lives until the program ends.
extern std::vector<std::unique_ptr<Emulator>> EmulatorTable;
// Every game of every emulator; owns them. Filled while loading, sorted once, freed at exit.
extern std::vector<std::unique_ptr<Game>> AllGames;
// The games the screen shows, in AllGames order; refers to games owned by AllGames.
extern std::vector<Game*> VisibleGames;
// Appends game to AllGames, which owns it from then on, and to the lookup by name; answers it.
// A game's Name must not change once it is added.
Game* appendGame(std::unique_ptr<Game> game);
// Every game added under name (compared byte for byte), in the order added; empty when none.
std::vector<Game*> gamesNamed(std::string_view name);
// The first game of that emulator added under name; null when none.
Game* findGame(std::string_view name, int emulatorIndex);
// The game the selection is on (CurrentGame in VisibleGames); null with an empty list.
Game* selectedGame();
// Index in VisibleGames of the first game whose Name equals name exactly; -1 when none.
int findGameByName(const std::string& name);
// The emulator at that index of EmulatorTable; null when it names none.
inline Emulator* emulatorAt(int index)
{
    return index >= 0 && index < (int)EmulatorTable.size() ? EmulatorTable[index].get() : nullptr;
}
// The index in EmulatorTable of the emulator named name (compared byte for byte); -1 when none
// is. Two entries of one name read the same section and so are the same emulator: the last is
// the one, as it is the one shown when its name is chosen, so the games that carry the
// favourite marks and plays are the games the player sees.
int emulatorNamed(std::string_view name);
// The game's name without its file extension: what its artwork, videos and the %r of a command
// line are named by.
std::string stripExtension(const std::string& name);
// The emulator a game belongs to; null for no game or an index that names no emulator.
inline Emulator* emulatorOf(const Game* game)
{
    return game ? emulatorAt(game->EmulatorIndex) : nullptr;
}

// Per-game texts from files other tools made are kept to these lengths in bytes: one line gone
// wrong (megabytes without a line break) must not cost seconds and megabytes at every move.
// The longest in real files: categories 66, descriptions about 150, information lines 2,067.
const size_t CategoryLengthLimit = 200;
const size_t GameTextLengthLimit = 1024; // descriptions and manufacturers of the MAME list
const size_t YearLengthLimit = 16;       // "1981", "198?"; longer is not a year
const size_t InfoLineLengthLimit = 4096; // a line of game information
// MAME's own list of every machine is some 300 MB; a mame.lst or its snapshot beyond this is
// not one (a disk image linked in by mistake).
const int64_t MameListFileLimit = 2LL << 30;
// The text cut to at most limit bytes, ending before a character that would not fit whole;
// adds one to *cuts when it was cut.
std::string_view cutToLength(std::string_view text, size_t limit, int* cuts);

// Line breaks and tabs made blanks, for a text shown on one row: a file name or a description
// holding one must not spill into the next row.
void keepOnOneLine(std::string& text);

// A game of that emulator with Available 1 and every other field zero or empty.
std::unique_ptr<Game> newGame(int emulatorIndex);
// Frees VisibleGames, the lookup by name and every game; the emulators stay.
void freeCatalogue();
// Frees the emulators too (tests and a second start in one process).
void freeEmulators();
