// The MAME list's snapshot: a start from it shows and saves exactly what a start from the list
// does, and a damaged, foreign or stale snapshot is never trusted.
#include "catalogue/mamelist.h"
#include "catalogue/snapshot.h"
#include "gamefields.h"
#include "platform/input.h"
#include "support.h"

#include <functional>
#include <map>

static const std::string Source = TORVANELL_SOURCE_DIR;

// Every field of a game, with its parent and what the name index finds for its name by place:
// two MAME emulators hold games of the same names.
static std::string gameFields(const Game& g, const std::map<const Game*, long>& places)
{
    auto placeOf = [&](const Game* game) { return game ? places.at(game) : -1L; };
    return gameFields(g) + "|parent " + std::to_string(placeOf(g.Parent)) + "|index " +
           std::to_string(placeOf(findGame(g.Name, g.EmulatorIndex)));
}

// AllGames field by field, then the games shown and the selection.
static std::vector<std::string> catalogueFields()
{
    std::map<const Game*, long> places;
    for (size_t i = 0; i < AllGames.size(); i++) places[AllGames[i].get()] = (long)i;
    std::vector<std::string> fields;
    for (const auto& game : AllGames) fields.push_back(gameFields(*game, places));
    std::string shown = "shown";
    for (const Game* game : VisibleGames) shown += ' ' + std::to_string(places.at(game));
    fields.push_back(shown + " selected " + std::to_string(FrontendState.CurrentGame));
    return fields;
}

struct StartSeen
{
    int Exit;
    std::vector<std::string> Catalogue; // at the first tick
    std::string Errors;                 // standard error
    std::string Saved;                  // the configuration after the exit
};

static StartSeen* Seeing;
static void watchThenQuit(Window* window)
{
    if (Seeing && Seeing->Catalogue.empty())
    {
        Seeing->Catalogue = catalogueFields();
        testPressKey(VkEscape);
    }
    processTick(window);
}

// A whole start in dir (the current folder) on the configuration text, written afresh.
static StartSeen startWith(const fs::path& dir, const std::string& config)
{
    StartSeen seen{};
    writeText(dir / "t.ini", config);
    startTestPlatform();
    Seeing = &seen;
    MainLoopTick = watchThenQuit;
    seen.Errors = stderrOf([&] { seen.Exit = runFrontend((dir / "t.ini").string()); });
    MainLoopTick = processTick;
    Seeing = nullptr;
    testReleaseKey(VkEscape);
    seen.Saved = readText(dir / "t.ini");
    return seen;
}

static std::string mameConfig(const fs::path& dir, const std::string& roms, const std::string& info,
                              const std::string& more = "")
{
    return "[Settings]\nEmulators=MAME" + more + "\nUseMameInfoDat=1\nMameinfo.dat=" + info +
           "\nSkin.dir=" + dir.string() + "\nSkin=skin\n[MAME]\nExecPath=" + TORVANELL_BINARY_DIR +
           "/demo/emulator\nExecutable=demomame\nRomPath=" + roms + "\nDisplayClones=1\n";
}

// Rewrites the snapshot changed, its check sum made right.
static void rewriteSnapshot(void (*change)(SnapshotContents&))
{
    SnapshotContents contents;
    std::string why;
    FILE* file = std::fopen("mame.lst.cache", "rb");
    ASSERT_TRUE(file && readSnapshotFile(file, nullptr, 0, contents, why)) << why;
    std::fclose(file);
    change(contents);
    file = std::fopen("mame.lst.cache", "wb");
    EXPECT_TRUE(writeSnapshotFile(file, contents.Source, contents.Games));
    std::fclose(file);
}

static int holds(const std::vector<std::string>& fields, const std::string& text)
{
    for (const std::string& field : fields)
        if (field.find(text) != std::string::npos) return 1;
    return 0;
}

class Snapshot : public InFreshDirectory
{
protected:
    // The list parsed, then the snapshot alone: the same catalogue, the same saved settings,
    // and a file much smaller than the list.
    void expectSameBothWays(const std::string& config, size_t leastGames)
    {
        fs::create_directories(Dir / "skin");
        StartSeen parsed = startWith(Dir, config);
        ASSERT_EQ(parsed.Exit, 0) << parsed.Errors;
        ASSERT_GT(parsed.Catalogue.size(), leastGames);
        ASSERT_TRUE(fs::exists("mame.lst.cache"));
        StartSeen fromSnapshot = startWith(Dir, config);
        EXPECT_EQ(fromSnapshot.Exit, 0);
        EXPECT_EQ(fromSnapshot.Errors, "");
        ASSERT_EQ(fromSnapshot.Catalogue.size(), parsed.Catalogue.size());
        for (size_t i = 0; i < parsed.Catalogue.size(); i++)
            ASSERT_EQ(fromSnapshot.Catalogue[i], parsed.Catalogue[i]) << "game " << i;
        EXPECT_EQ(fromSnapshot.Saved, parsed.Saved);
        // The second start really took its games from the snapshot: a mark put into it shows.
        rewriteSnapshot([](SnapshotContents& c)
                        { c.Games[c.Games.size() / 2]->Description += " (marked)"; });
        EXPECT_TRUE(holds(startWith(Dir, config).Catalogue, " (marked)|"));
    }
};

TEST_F(Snapshot, DemoListAndFullSizeListGiveTheSameCatalogueBothWays)
{
    // The demo: a MAME set with BIOS, clones and game information, and a scanned console set.
    std::string demo =
        mameConfig(Dir, Source + "/demo/roms/mame", Source + "/demo/mameinfo.dat", ",Console") +
        "[Console]\nRomPath=" + Source + "/demo/roms/console\nRomFileExt=dcx\n" +
        "UseGoodFilters=1\nShowVerified=1\nShowUSA=1\nShowEurope=1\n";
    expectSameBothWays(demo, 40);
    resetCatalogue();

    // 45,000 machines, clones, BIOS sets and ROM files among them, and information shared by
    // sets two at a time.
    std::string list = "<mame build=\"0.250\">\n";
    fs::create_directories("roms");
    for (int i = 0; i < 45000; i++)
    {
        std::string name = "g" + std::to_string(i), n = std::to_string(i % 7);
        list += "<machine name=\"" + name + "\"" +
                (i % 100 == 1 ? " isbios=\"yes\""
                 : i % 3 == 2 ? " cloneof=\"g" + std::to_string(i - 1) + "\""
                              : "") +
                "><description>" + name + " &amp; Co</description><year>19" + n +
                "?</year><manufacturer>Maker " + n + "</manufacturer><rom name=\"a\" size=\"1\"/>" +
                "<display type=\"raster\" rotate=\"" + (i % 4 ? "0" : "270") +
                "\"/><input players=\"" + n + "\"><control type=\"joy\" buttons=\"" + n +
                "\" ways=\"8\"/></input></machine>\n";
        if (i % 2) touch("roms/" + name + ".zip");
    }
    writeText("mame.lst", list + "</mame>\n");
    std::string info;
    for (int i = 0; i < 45000; i += 2)
        info += "$info=g" + std::to_string(i) + ",g" + std::to_string(i + 1) + "\n$mame\nSet " +
                std::to_string(i) + "\n\nNotes: \xC3\xA9t\xC3\xA9\n$end\n";
    writeText("info.dat", info);
    expectSameBothWays(mameConfig(Dir, (Dir / "roms").string(), "info.dat"), 30000);
    EXPECT_LT(fs::file_size("mame.lst.cache") * 4, fs::file_size("mame.lst"));
}

static std::vector<std::string> loadedFields(const std::string& errorsHave, std::string* errors)
{
    resetCatalogue();
    *errors = stderrOf([] { EXPECT_EQ(loadMameList("mame.lst", 0), 1); });
    EXPECT_NE(errors->find(errorsHave), std::string::npos) << *errors;
    return catalogueFields();
}

// Puts a new check sum into a changed snapshot, as a deliberately made file would have.
static void reseal(std::string& bytes)
{
    uint64_t sum =
        sealedChecksum(bytes.data() + SealedCheckedFrom, bytes.size() - SealedCheckedFrom);
    for (int i = 0; i < 8; i++) bytes[SealedChecksumOffset + i] = (char)(sum >> (8 * i));
}

// fakemame's list and information for two of its sets, parsed into a fresh snapshot.
static std::vector<std::string> parseFakeList(std::string* errors)
{
    FrontendSettings.UseMameInfoDat = 1;
    FrontendSettings.MameinfoDat = "info.dat";
    EXPECT_EQ(std::system((TestPrograms + "fakemame -listxml >mame.lst").c_str()), 0);
    writeText("info.dat", "$info=fakepac,fakepacb\n$mame\nA maze game.\n$end\n");
    fs::remove_all("mame.lst.cache");
    std::vector<std::string> parsed = loadedFields("", errors);
    EXPECT_GT(fs::file_size("mame.lst.cache"), 100u);
    return parsed;
}

struct Damage
{
    const char* Name;
    std::function<void(std::string& bytes)> Change; // of the snapshot's bytes
    const char* Reason;                             // what standard error says
};

TEST_F(Snapshot, ADamagedForeignOrStaleSnapshotIsIgnoredOnceAndReplaced)
{
    startTestPlatform();
    const Damage damages[] = {
        {"empty", [](std::string& b) { b.clear(); }, "it is cut short"},
        {"cut in its prefix", [](std::string& b) { b.resize(12); }, "it is cut short"},
        {"cut in half", [](std::string& b) { b.resize(b.size() / 2); }, "it is cut short"},
        {"a byte more", [](std::string& b) { b += '\0'; }, "it goes on after its end"},
        {"a flipped bit", [](std::string& b) { b[b.find("maze")] ^= 8; }, "its check sum is wrong"},
        {"another file", [](std::string& b) { b[0] = 'X'; }, "it is not a snapshot"},
        {"another layout", [](std::string& b) { b[8]++; }, "it was written in another layout"},
        {"another build",
         [](std::string&)
         { rewriteSnapshot([](SnapshotContents& c) { c.Source.List.Build += "+"; }); },
         "it was made by another build of the program"},
        {"a list changed in place",
         [](std::string&) { std::ofstream("mame.lst", std::ios::app) << ' '; },
         "the list or the game information changed since it was made"},
        {"new information", [](std::string&) { std::ofstream("info.dat", std::ios::app) << '\n'; },
         "the list or the game information changed since it was made"},
    };
    for (const Damage& damage : damages)
    {
        SCOPED_TRACE(damage.Name);
        std::string errors;
        std::vector<std::string> parsed = parseFakeList(&errors);
        std::string bytes = readText("mame.lst.cache");
        std::string before = bytes;
        damage.Change(bytes); // the bytes, or the files themselves
        if (bytes != before) writeText("mame.lst.cache", bytes);
        EXPECT_EQ(loadedFields(damage.Reason, &errors), parsed);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("mame.lst.cache: "), std::string::npos);
        // Replaced: the next load takes it, silently.
        EXPECT_EQ(loadedFields("", &errors), parsed);
        EXPECT_EQ(errors, "");
    }
    resetCatalogue();
    platformStop();
}

TEST_F(Snapshot, HostileCountsAndLengthsStayInsideTheFile)
{
    startTestPlatform();
    std::string errors;
    parseFakeList(&errors);
    const std::string good = readText("mame.lst.cache");
    // The largest number the format can write, resealed, at every place in turn.
    int tried = 0, refused = 0;
    for (size_t at = SealedCheckedFrom; at + 10 <= good.size(); at += 3, tried++)
    {
        std::string bytes = good;
        bytes.replace(at, 10, std::string(9, '\xff') + '\1');
        reseal(bytes);
        FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
        SnapshotContents contents;
        std::string why;
        int read = readSnapshotFile(file, nullptr, 0, contents, why);
        std::fclose(file);
        EXPECT_EQ(why.empty(), read == 1);
        refused += !read;
    }
    EXPECT_GT(refused, tried / 2);
    resetCatalogue();
    platformStop();
}

TEST_F(Snapshot, AnUnwritablePlaceIsToldOnceAndTheListStillLoads)
{
    startTestPlatform();
    std::string errors;
    std::vector<std::string> parsed = parseFakeList(&errors);
    fs::remove("mame.lst.cache");
    fs::create_directory("mame.lst.cache");
    resetCatalogue();
    errors =
        stderrOf([] { EXPECT_EQ(loadMameList("mame.lst", 0) + loadMameList("mame.lst", 1), 2); });
    EXPECT_EQ(AllGames.size(), parsed.size() * 2 - 2); // without the "shown" line, twice
    auto count = [&](const std::string& text)
    {
        size_t n = 0;
        for (size_t at = errors.find(text); at != std::string::npos; at = errors.find(text, at + 1))
            n++;
        return n;
    };
    EXPECT_EQ(count("mame.lst.cache: it is not a file; it is not used"), 2u) << errors;
    EXPECT_EQ(count("the snapshot of the list cannot be written (Is a directory)"), 1u) << errors;
    resetCatalogue();
    platformStop();
}

// The snapshot lives and dies with its list.
TEST_F(Snapshot, GoesWithItsList)
{
    fs::create_directories(Dir / "skin");
    std::string config = mameConfig(Dir, "roms", "info.dat");
    writeText("info.dat", "");
    writeText("mame.lst",
              "<mame><machine name=\"old\"><description>Old</description></machine></mame>\n");
    EXPECT_TRUE(holds(startWith(Dir, config).Catalogue, "|old|Old|"));
    ASSERT_TRUE(fs::exists("mame.lst.cache"));
    // Without its list, a snapshot is of an older one: the list is captured again.
    fs::remove("mame.lst");
    StartSeen captured = startWith(Dir, config);
    EXPECT_FALSE(holds(captured.Catalogue, "|old|"));
    EXPECT_TRUE(holds(captured.Catalogue, "|galdef|"));
    // A list without games is deleted, and its snapshot with it.
    std::string snapshot = readText("mame.lst.cache");
    writeText("mame.lst", "<mame></mame>\n");
    writeText("mame.lst.cache", snapshot);
    startWith(Dir, config);
    EXPECT_FALSE(fs::exists("mame.lst"));
    EXPECT_FALSE(fs::exists("mame.lst.cache"));
}
