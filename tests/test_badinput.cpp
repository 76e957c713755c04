// The files and programs a cabinet owner's set-up really contains, each run through the whole
// program: what the player is told, what standard error says, and that nothing is lost.
#include "catalogue/categories.h"
#include "core/actions.h"
#include "core/frontend.h"
#include "platform/input.h"
#include "support.h"

#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// A working hand-listed set-up whose skin folder is "skin" beside it; demo goes into the
// emulator's section.
static std::string config(const fs::path& dir, const std::string& demo = "Game1=Alpha,alpha\n")
{
    return "[Settings]\nEmulators=Demo\nSkin.dir=" + dir.string() + "\nSkin=skin\n" +
           "[Demo]\nExecPath=" + TestPrograms + "\nExecutable=argrecorder\nCmdLine=%q%f%q\n" +
           "Snaps=art\n" + demo + "Game2=Beta,beta\n";
}

// A MAME emulator reading the mame.lst of the current folder, whose -listxml is argrecorder.
static std::string mameConfig(const fs::path& dir, const std::string& extra = "")
{
    return "[Settings]\nEmulators=MAME\nSkin.dir=" + dir.string() + "\nSkin=skin\n" + extra +
           "[MAME]\nExecPath=" + TestPrograms + "\nExecutable=argrecorder\nRomPath=roms\n" +
           "DisplayMissingRoms=1\n";
}

static std::string machines(std::initializer_list<std::string> names)
{
    std::string list = "<?xml version=\"1.0\"?>\n<mame>\n";
    for (const std::string& name : names)
        list += "<machine name=\"" + name + "\"><description>" + name + "</description><input " +
                "players=\"1\"><control type=\"joy\" ways=\"8\"/></input></machine>\n";
    return list + "</mame>\n";
}

// What a row saw of the run.
struct Seen
{
    fs::path Dir;
    int Exit;
    std::vector<std::string> Boxes;
    std::string Errors;  // standard error
    size_t GamesShown;   // VisibleGames at the first tick
    std::string Started; // the first game's recorded arguments, joined by '|'
};

struct BadInput
{
    const char* Name;
    std::function<void(const fs::path& dir)> Prepare; // the configuration is dir/"t.ini"
    int Exit;
    std::vector<std::string> Boxes; // exactly these, in order
    const char* ErrorHas;           // a text standard error holds ("" for anything)
    std::function<void(const Seen&)> Check = nullptr;
    int StartsGame = 0;                     // presses the start key once
    std::function<void()> During = nullptr; // with the catalogue loaded
    std::function<void()> AtExit = nullptr; // as the exit key is pressed
};

// A full disk for the exit save: a file-size limit, under which writes fail (the platform
// layer ignores SIGXFSZ). Lifted when the run is over.
static rlimit NoLimit;
static void limitFileSize(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &NoLimit);
    rlimit limit = {bytes, NoLimit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
}

static std::optional<AsAnotherUser> Nobody; // while a row runs in a read-only folder
static Seen* Watching;
static const BadInput* Running;
static int KeysLeft, TicksRun;

// An emulator that hangs until someone ends it: killed a moment after it wrote its number.
static std::thread Killer;
static void killWhenStarted(const fs::path& pidFile)
{
    Killer = std::thread(
        [pidFile]
        {
            for (int tries = 0; tries < 200 && readText(pidFile).empty(); tries++)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            pid_t pid = std::atoi(readText(pidFile).c_str());
            if (pid > 0) kill(pid, SIGKILL); // 0 would be this whole process group
        });
}

static void scriptedTick(Window* window)
{
    if (++TicksRun == 1)
    {
        Watching->GamesShown = VisibleGames.size();
        if (Running->During) Running->During();
    }
    if (TicksRun == 2 && KeysLeft-- > 0) testTapKey('1');
    if (TicksRun == 4)
    {
        if (Running->AtExit) Running->AtExit();
        testPressKey(VkEscape);
    }
    processTick(window);
}

static Seen runRow(const BadInput& row, const fs::path& dir)
{
    Seen seen{dir, 0, {}, "", 0, ""};
    row.Prepare(dir);
    startTestPlatform();
    testMessageBoxes().clear();
    Watching = &seen;
    Running = &row;
    KeysLeft = row.StartsGame;
    TicksRun = 0;
    MainLoopTick = scriptedTick;
    setenv("ARGRECORDER_OUT", (dir / "record").c_str(), 1);
    testing::internal::CaptureStderr();
    seen.Exit = runFrontend((dir / "t.ini").string());
    Nobody.reset();
    if (NoLimit.rlim_max) setrlimit(RLIMIT_FSIZE, &NoLimit);
    NoLimit = {};
    seen.Errors = testing::internal::GetCapturedStderr();
    MainLoopTick = processTick;
    testReleaseKey(VkEscape);
    for (const RecordedMessageBox& box : testMessageBoxes()) seen.Boxes.push_back(box.Text);
    for (const std::string& entry :
         fs::exists(dir / "record") ? readRecord(dir / "record") : std::vector<std::string>{})
        seen.Started += (seen.Started.empty() ? "" : "|") + entry;
    return seen;
}

static void writeConfig(const fs::path& dir, const std::string& text)
{
    fs::create_directories(dir / "skin");
    writeText(dir / "t.ini", text);
}

static void expectUnchanged(const Seen& seen, const std::string& before)
{
    EXPECT_EQ(readText(seen.Dir / "t.ini"), before);
}

static const std::string Binary("\x7f"
                                "ELF\x02\x01\x01\0\0\0[Settings]\xff\xfe\r\r\n=\n[\n",
                                27);
static const std::string LongLine(100000, 'L');
static const std::vector<std::string> NoGames = {"No games found!"};
static const std::string NotSaved = "Your settings could not be saved:\n";

class BadInputs : public InFreshDirectory
{
protected:
    void TearDown() override
    {
        unsetenv("ARGRECORDER_OUT");
        unsetenv("ARGRECORDER_MEGABYTES");
        unsetenv("ARGRECORDER_CRASH");
        unsetenv("ARGRECORDER_COMPLAIN");
        unsetenv("ARGRECORDER_SLEEP_MS");
        for (const char* name : {"FAKEMAME_CUT", "FAKEMAME_FULL", "FAKEMAME_LOG", "TMPDIR"})
            unsetenv(name);
        Nobody.reset();
        if (Killer.joinable()) Killer.join();
        resetCatalogue();
        InFreshDirectory::TearDown();
    }
    void runTable(const std::vector<BadInput>& rows)
    {
        for (const BadInput& row : rows)
        {
            SCOPED_TRACE(row.Name);
            fs::path dir = freshDirectory(row.Name);
            fs::current_path(dir); // mame.lst and log.txt are the current folder's
            Seen seen = runRow(row, dir);
            EXPECT_EQ(seen.Exit, row.Exit);
            // A box's text starts with the expected one.
            EXPECT_EQ(seen.Boxes.size(), row.Boxes.size()) << testing::PrintToString(seen.Boxes);
            for (size_t i = 0; i < seen.Boxes.size() && i < row.Boxes.size(); i++)
                EXPECT_EQ(seen.Boxes[i].substr(0, row.Boxes[i].size()), row.Boxes[i]);
            EXPECT_NE(seen.Errors.find(row.ErrorHas), std::string::npos) << seen.Errors;
            if (row.Check) row.Check(seen);
            fs::current_path(Dir);
        }
    }
};

TEST_F(BadInputs, ConfigurationFiles)
{
    runTable({
        {"no configuration", [](const fs::path&) {}, 1, NoGames, "Configuration file not found: [",
         [](const Seen& s) { EXPECT_FALSE(fs::exists(s.Dir / "t.ini")); }},
        {"a folder", [](const fs::path& d) { fs::create_directories(d / "t.ini"); }, 1, NoGames,
         "Configuration file cannot be read: ["},
        {"binary", [](const fs::path& d) { writeConfig(d, Binary); }, 1, NoGames, "",
         [](const Seen& s) { expectUnchanged(s, Binary); }},
        {"empty",
         [](const fs::path& d) { writeConfig(d, ""); },
         1,
         {"No games found!\nno emulator is named in Emulators"},
         "",
         [](const Seen& s) { expectUnchanged(s, ""); }},
        {"100,000-character lines",
         [](const fs::path& d)
         {
             writeConfig(d, "; " + LongLine + "\n" + config(d) + "Game3=Long," + LongLine + "\n" +
                                LongLine + "=x\n");
         },
         0,
         {},
         "",
         [](const Seen& s)
         {
             std::string saved = readText(s.Dir / "t.ini");
             EXPECT_EQ(s.GamesShown, 3u); // the long name is cut to the value limit, not lost
             EXPECT_NE(saved.find("; " + LongLine + "\n"), std::string::npos);
             EXPECT_NE(saved.find("Game3=Long," + LongLine + "\n" + LongLine + "=x\n"),
                       std::string::npos);
             EXPECT_NE(saved.find("SelectedGame=alpha"), std::string::npos);
         }},
    });
}

TEST_F(BadInputs, SkinsAndPictures)
{
    auto withBack = [](const std::string& bytes)
    {
        return [bytes](const fs::path& d)
        {
            writeConfig(d, config(d));
            writeText(d / "skin" / "back.png", bytes);
        };
    };
    fs::path jpeg = Dir / "back.jpg", png = Dir / "back.png";
    writePicture(jpeg, 64, 48, 0x00FF00);
    writePicture(png, 64, 48, 0x0000FF);
    std::string pngBytes = readText(png);
    runTable({
        {"no skin folder",
         [](const fs::path& d) { writeText(d / "t.ini", config(d)); },
         0,
         {},
         "Skin folder not found: [",
         [](const Seen& s)
         {
             EXPECT_FALSE(fs::exists(s.Dir / "skin"));
             EXPECT_NE(readText(s.Dir / "t.ini").find("SelectedGame=alpha"), std::string::npos);
         }},
        {"back.png that is a JPEG", withBack(readText(jpeg)), 0, {}, ""},
        {"back.png cut short",
         withBack(pngBytes.substr(0, pngBytes.size() / 2)),
         0,
         {},
         "Background not shown: ["},
        {"back.png of 0 bytes", withBack(""), 0, {}, "Background not shown: ["},
        {"corrupt screenshot",
         [&](const fs::path& d)
         {
             writeConfig(d, config(d));
             writeText(d / "skin" / "skin.ini",
                       "[List]\nScreenshotWidth=100\nScreenshotHeight=80\n");
             fs::create_directories(d / "art");
             writeText(d / "art" / "alpha.png", pngBytes.substr(0, 60) + Binary);
         },
         0,
         {},
         "alpha.png"},
    });
    // Design sizes and turns nobody can use: told, and the front end runs on upright in
    // screen pixels; huge scales reach only the largest font.
    auto withLayout = [](const std::string& rotation, const std::string& skin)
    {
        return [rotation, skin](const fs::path& d)
        {
            std::string settings = config(d);
            writeConfig(d, settings.insert(settings.find('\n') + 1, "Rotation=" + rotation + "\n"));
            writeText(d / "skin" / "skin.ini", skin);
        };
    };
    const char* const Huge = "[Settings]\nDesignWidth=1\nDesignHeight=1\nFontsize=100000\n";
    runTable({
        {"rotation 45", withLayout("45", ""), 0, {}, "Rotation=45: only 0, 90, 180 or 270"},
        {"rotation -90", withLayout("-90", ""), 0, {}, "Rotation=-90:"},
        {"rotation 360", withLayout("360", ""), 0, {}, "Rotation=360:"},
        {"rotation text", withLayout("left", ""), 0, {}, "Rotation=left:"},
        {"design 1x1", withLayout("90", Huge), 0, {}, "it is drawn at 405"},
        {"design 100000",
         withLayout("0", "[List]\nDesignWidth=100000\nDesignHeight=100000\nListStartX=5\n"),
         0,
         {},
         ""},
        {"design half given",
         withLayout("270",
                    "[List]\nDesignWidth=800\n[ListPortrait]\nDesignHeight=0\nListStartY=9\n"),
         0,
         {},
         "[ListPortrait]: DesignWidth and DesignHeight must both be above 0"},
    });
}

TEST_F(BadInputs, MameLists)
{
    auto withList = [](const std::string& list, const std::string& extra = "")
    {
        return [list, extra](const fs::path& d)
        {
            writeConfig(d, mameConfig(d, extra));
            writeText(d / "mame.lst", list);
        };
    };
    auto shows = [](size_t games)
    {
        return [games](const Seen& s)
        {
            EXPECT_EQ(s.GamesShown, games) << testing::PrintToString(s.Boxes) << s.Errors;
            EXPECT_TRUE(fs::exists(s.Dir / "mame.lst"));
        };
    };
    auto dropped = [](const Seen& s) { EXPECT_FALSE(fs::exists(s.Dir / "mame.lst")); };
    std::string list = machines({"alpha", "beta", "gamma"});
    // A billion "lol"s from 10 nested entities of 10 references each.
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ENTITY e0 \"lol\">\n";
    for (int i = 1; i <= 9; i++)
    {
        bomb += "<!ENTITY e" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; j++) bomb += "&e" + std::to_string(i - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<mame><machine name=\"z\"><description>&e9;</description></machine></mame>\n";
    runTable({
        {"empty", withList(""), 1, NoGames, "mame.lst holds no games", dropped},
        {"cut in the middle of a game",
         withList(list.substr(0, list.find("gamma") + 20)),
         0,
         {"Parse error at line 6:\nno element found\nThe game list "},
         "is set aside as",
         [](const Seen& s)
         {
             EXPECT_EQ(s.GamesShown, 2u);
             EXPECT_FALSE(fs::exists(s.Dir / "mame.lst")); // the next start captures a new one
             EXPECT_TRUE(fs::exists(s.Dir / "mame.lst.damaged"));
         }},
        {"warnings before the XML",
         withList("Warning: roms/ is missing\n  ...and more\n" + list),
         0,
         {},
         "skipped 2 line(s) of text before the list",
         shows(3)},
        {"a DOCTYPE and an entity bomb",
         withList(bomb),
         1,
         {"Parse error at line 14:\nlimit on input amplification", "No games found!"},
         "",
         dropped},
        {"an external entity is not read",
         withList("<!DOCTYPE mame [<!ENTITY x SYSTEM \"/etc/hostname\">]>\n<mame>\n"
                  "<machine name=\"x\"><description>[&x;]</description></machine></mame>\n"),
         0,
         {},
         "",
         shows(1)},
        {"attributes over several lines",
         withList("<mame>\n<machine\n name=\"a\"\n\tcloneof=\"b\"\n>\n<description>A</description>"
                  "</machine>\n</mame>\n"),
         0,
         {},
         "",
         shows(1)},
        {"a category and a description of 10 MB",
         [](const fs::path& d)
         {
             std::string huge(10 << 20, 'x');
             writeConfig(d, mameConfig(d) + "CategoryFile=catver.ini\n");
             writeText(d / "mame.lst", "<mame><machine name=\"a\"><description>" + huge +
                                           "</description></machine></mame>\n");
             writeText(d / "catver.ini", "[Category]\na=" + huge + "\n");
         },
         0,
         {},
         "1 categories longer than 200 bytes were cut",
         [](const Seen& s)
         {
             EXPECT_NE(s.Errors.find("1 descriptions or manufacturers longer than 1024"),
                       std::string::npos);
         },
         0,
         []
         {
             EXPECT_EQ(categoryOf(*findGame("a", 0)).size(), CategoryLengthLimit);
             EXPECT_EQ(findGame("a", 0)->Description.size(), GameTextLengthLimit);
         }},
        {"an emulator that prints 100 MB instead of a list",
         [](const fs::path& d)
         {
             writeConfig(d, mameConfig(d));
             setenv("ARGRECORDER_MEGABYTES", "100", 1);
         },
         1,
         {"MAME printed no game list", NoGames[0]},
         "MAME printed no game list",
         dropped},
    });
}

// Two MAME emulators sharing one list, and a hand-listed game that keeps the start going.
static std::string captureConfig(const fs::path& dir)
{
    std::string mame =
        "\nExecPath=" + dir.string() + "\nExecutable=fakemame\nDisplayMissingRoms=1\n";
    return "[Settings]\nEmulators=MAME,MAME two,Demo\nSkin.dir=" + dir.string() +
           "\nSkin=skin\n[MAME]" + mame + "[MAME two]" + mame + "[Demo]\nGame1=Alpha,alpha\n";
}

// What MAME prints becomes mame.lst only when whole; otherwise its games are shown for this
// start, and MAME is asked again at the next one, never twice in one start.
TEST_F(BadInputs, MameCaptures)
{
    auto capture = [](const char* variable, const char* value, bool readOnly = false)
    {
        return [=](const fs::path& d)
        {
            writeConfig(d, captureConfig(d));
            fs::copy_file(TestPrograms + "fakemame", d / "fakemame");
            fs::create_directories(d / "tmp");
            fs::permissions(d / "tmp", fs::perms::all);
            setenv("TMPDIR", (d / "tmp").c_str(), 1);
            setenv("FAKEMAME_LOG", (d / "tmp" / "runs").c_str(), 1);
            unsetenv("FAKEMAME_CUT");
            unsetenv("FAKEMAME_FULL");
            if (variable) setenv(variable, value, 1);
            if (!readOnly) return;
            // A sanitizer build's leak check fails in a program whose user is switched: MAME is
            // a script printing what fakemame printed.
            ASSERT_EQ(std::system(("env -u FAKEMAME_LOG '" + TestPrograms +
                                   "fakemame' -listxml > '" + (d / "list").string() + "'")
                                      .c_str()),
                      0);
            writeText(d / "fakemame", "#!/bin/sh\necho run >> \"$FAKEMAME_LOG\"\nexec cat '" +
                                          (d / "list").string() + "'\n");
            fs::permissions(runDirectory(), fs::perms::owner_all | fs::perms::others_exec);
            fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
            Nobody.emplace();
        };
    };
    // Games of both MAME emulators and the hand-listed one; one run of MAME; nothing left over.
    auto shows = [](size_t games, bool kept)
    {
        return [=](const Seen& s)
        {
            fs::permissions(s.Dir, fs::perms::owner_all);
            EXPECT_EQ(s.GamesShown, games) << testing::PrintToString(s.Boxes) << s.Errors;
            EXPECT_EQ(readText(s.Dir / "tmp" / "runs"), "run\n");
            EXPECT_EQ(fs::exists(s.Dir / "mame.lst"), kept);
            EXPECT_FALSE(fs::exists(s.Dir / "mame.lst.capture"));
            EXPECT_EQ(std::distance(fs::directory_iterator(s.Dir / "tmp"), {}), 1);
        };
    };
    const size_t All = 7; // three of each MAME emulator's five machines can be played
    auto thenAWorkingOne = [&](const Seen& s)
    {
        shows(3, false)(s);
        unsetenv("FAKEMAME_CUT");
        fs::remove(s.Dir / "tmp" / "runs");
        Seen again = runRow({"again", [](const fs::path&) {}, 0, {}, ""}, s.Dir);
        EXPECT_EQ(again.Boxes, std::vector<std::string>{});
        shows(All, true)(again);
    };
    std::string cutOff =
        "Parse error at line 20:\nno element found\nThe list MAME printed is cut off";
    runTable({
        {"MAME crashes half-way",
         capture("FAKEMAME_CUT", "650"),
         0,
         {cutOff},
         "cut off (it was ended by signal 6)",
         thenAWorkingOne},
        {"the disk fills up",
         capture("FAKEMAME_FULL", "650"),
         0,
         {cutOff},
         "cut off (it ended with code 0)",
         shows(3, false)},
        {"the disk is full",
         capture("FAKEMAME_FULL", "0"),
         0,
         {"MAME printed no game list"},
         "MAME printed no game list",
         shows(1, false)},
        {"a read-only folder",
         capture(nullptr, "", true),
         0,
         {"The game list cannot be kept in ", NotSaved},
         "Cannot write [",
         shows(All, false)},
    });
    // A list kept before the folder became read-only is read as ever.
    runTable({{"a read-only folder with mame.lst",
               [&](const fs::path& d)
               {
                   capture(nullptr, "", true)(d);
                   Nobody.reset();
                   writeText(d / "mame.lst", machines({"alpha", "beta"}));
                   Nobody.emplace();
               },
               0,
               {NotSaved},
               "",
               [](const Seen& s)
               {
                   fs::permissions(s.Dir, fs::perms::owner_all);
                   EXPECT_EQ(s.GamesShown, 5u);
                   EXPECT_FALSE(fs::exists(s.Dir / "tmp" / "runs"));
               }}});
}

// A full MAME list is 270 MB; most of it is lines the front end does not keep.
TEST_F(BadInputs, MameListOf300Megabytes)
{
    std::string chip = "<chip type=\"cpu\" tag=\"maincpu\" name=\"Zilog Z80\" clock=\"4000000\" "
                       "and=\"padding to one hundred\"/>\n";
    std::string chips;
    for (int i = 0; i < 100; i++) chips += chip;
    runTable({{"300 MB",
               [&](const fs::path& d)
               {
                   writeConfig(d, mameConfig(d));
                   std::ofstream out(d / "mame.lst", std::ios::binary);
                   out << "<mame>\n";
                   for (int i = 0; i < 31500; i++)
                       out << "<machine name=\"m" << i << "\"><description>M" << i
                           << "</description>\n"
                           << chips << "<input players=\"1\"><control type=\"joy\"/></input>"
                           << "</machine>\n";
                   out << "</mame>\n";
               },
               0,
               {},
               "",
               [](const Seen& s)
               {
                   EXPECT_EQ(s.GamesShown, 31500u);
                   EXPECT_GT(fs::file_size(s.Dir / "mame.lst"), 300000000u);
                   fs::remove(s.Dir / "mame.lst");
               }}});
}

TEST_F(BadInputs, GameInformationFiles)
{
    std::string info = "\xEF\xBB\xBF# comment\r\n$info=alpha\r\n$mame\r\nFirst line\r\n\r\n"
                       "Second\r\n$end\r\n$bio\r\n$info=beta\n$mame\nBeta text\n$end";
    runTable({{"CRLF, a byte-order mark, a keyword out of place and no last line break",
               [&](const fs::path& d)
               {
                   writeConfig(d, mameConfig(d, "UseMameInfoDat=1\nMameinfo.dat=info.dat\n"));
                   writeText(d / "mame.lst", machines({"alpha", "beta"}));
                   writeText(d / "info.dat", info);
               },
               0,
               {},
               "",
               [](const Seen& s) { EXPECT_EQ(s.GamesShown, 2u); },
               0,
               []
               {
                   EXPECT_EQ(findGame("alpha", 0)->InfoLines,
                             (std::vector<std::string>{"First line", "Second"}));
                   EXPECT_EQ(findGame("beta", 0)->InfoLines, std::vector<std::string>{"Beta text"});
               }}});
}

TEST_F(BadInputs, RomNamesAndFolders)
{
    std::string odd = "it's \"q\" $(touch pwned) ;|&`x` \xff\xfe";
    std::string longName(1000, 'n');
    auto romFolder = [](std::vector<std::string> names)
    {
        return [names](const fs::path& d)
        {
            writeConfig(d, config(d, "RomPath=roms\nRomFileExt=zip\n"));
            fs::create_directories(d / "roms");
            for (const std::string& name : names) touch(d / "roms" / name);
        };
    };
    std::vector<std::string> many;
    for (int i = 0; i < 100000; i++) many.push_back("game" + std::to_string(i) + ".zip");
    runTable({
        {"quotes, shell characters and bytes that are not UTF-8",
         romFolder({odd + ".zip"}),
         0,
         {},
         "",
         [&](const Seen& s)
         {
             EXPECT_EQ(s.Started.substr(s.Started.find('|')), "|" + odd + ".zip");
             EXPECT_FALSE(fs::exists(s.Dir / "pwned"));
         },
         1},
        // Shown on one row, started, and selected again at the next start from its saved name.
        {"a line break in a name",
         [&](const fs::path& d)
         {
             romFolder({"a.zip", "two\nlines.zip"})(d);
             writeText(d / "t.ini",
                       readText(d / "t.ini") + "[System]\nSelectedGame=two\\nlines.zip\n");
         },
         0,
         {},
         "",
         [](const Seen& s)
         {
             EXPECT_EQ(s.Started.substr(s.Started.find('|')), "|two\nlines.zip");
             EXPECT_NE(readText(s.Dir / "t.ini").find("SelectedGame=two\\nlines.zip\n"),
                       std::string::npos);
         },
         1,
         [] { EXPECT_EQ(selectedGame()->Description, "two lines"); }},
        {"a name of 1,000 characters",
         [&](const fs::path& d)
         { writeConfig(d, config(d, "Game1=A long name," + longName + "\n")); },
         0,
         {},
         "",
         [&](const Seen& s) { EXPECT_EQ(s.Started.substr(s.Started.find('|') + 1), longName); },
         1},
        {"100,000 files",
         romFolder(many),
         0,
         {},
         "",
         [](const Seen& s) { EXPECT_EQ(s.GamesShown, 100000u); }},
    });
}

TEST_F(BadInputs, Emulators)
{
    auto emulator = [](const std::string& executable, const char* variable = nullptr)
    {
        return [executable, variable](const fs::path& d)
        {
            std::string text = config(d);
            text.replace(text.find("argrecorder"), 11, executable);
            writeConfig(d, text);
            if (variable) setenv(variable, "1", 1);
        };
    };
    auto cameBack = [](const Seen& s)
    { EXPECT_NE(readText(s.Dir / "t.ini").find("SelectedGame=alpha"), std::string::npos); };
    fs::path notExecutable = Dir / "plain";
    writeText(notExecutable, "#!/bin/sh\n");
    runTable({
        {"missing",
         emulator("none-such"),
         0,
         {"Cannot start [" + TestPrograms + "/none-such \"alpha\"]: not found."},
         "",
         cameBack,
         1},
        {"not executable",
         [&](const fs::path& d)
         {
             std::string text = config(d);
             text.replace(text.find(TestPrograms), TestPrograms.size(), Dir.string());
             writeConfig(d, text.replace(text.find("argrecorder"), 11, "plain"));
         },
         0,
         {"Cannot start [" + notExecutable.string() + " \"alpha\"]: permission denied."},
         "",
         cameBack,
         1},
        {"crashes at once",
         emulator("argrecorder", "ARGRECORDER_CRASH"),
         0,
         {"The game ended at once (exit code 139)."},
         "",
         cameBack,
         1},
        // What the emulator said last is shown, however much it wrote before.
        {"gives up at once with a complaint",
         emulator("argrecorder", "ARGRECORDER_COMPLAIN"),
         0,
         {"The game ended at once (exit code 1). The emulator said:\n" + std::string(200, 'x') +
          "\n" + std::string(200, 'x') +
          "\npacman.zip NOT FOUND\nRequired files are missing, the machine cannot be run."},
         "",
         cameBack,
         1},
        {"hangs until killed",
         [&](const fs::path& d)
         {
             writeText(d / "hang", "#!/bin/sh\necho $$ > \"$0.pid\"\nexec sleep 600\n");
             fs::permissions(d / "hang", fs::perms::owner_all);
             std::string text = config(d);
             text.replace(text.find(TestPrograms), TestPrograms.size(), d.string());
             writeConfig(d, text.replace(text.find("argrecorder"), 11, "hang"));
             killWhenStarted(d / "hang.pid");
         },
         0,
         {"The game ended at once (exit code 137)."},
         "",
         cameBack,
         1},
    });
}

TEST_F(BadInputs, SavingAtExit)
{
    std::string before;
    auto readOnly = [&](const fs::path& d)
    {
        writeConfig(d, config(d));
        before = readText(d / "t.ini");
        fs::permissions(d / "t.ini", fs::perms::owner_read | fs::perms::group_read);
    };
    auto keptWhole = [&](const Seen& s)
    {
        expectUnchanged(s, before);
        EXPECT_EQ(std::count_if(fs::directory_iterator(s.Dir), fs::directory_iterator(),
                                [](auto& e)
                                { return e.path().string().find(".tmp-") != std::string::npos; }),
                  0);
    };
    runTable({{"a read-only configuration",
               readOnly,
               0,
               {NotSaved + "Permission denied.\nThe settings saved before are kept."},
               "Error writing file: [",
               keptWhole}});
    BadInput full = {"a full disk", readOnly, 0, {NotSaved + "File too large."}, "", keptWhole};
    full.Prepare = [&](const fs::path& d)
    {
        writeConfig(d, config(d));
        before = readText(d / "t.ini");
    };
    full.AtExit = [&] { limitFileSize(before.size()); };
    runTable({full});
}

// A cabinet without a sound card: the sound libraries' own complaints stay off standard error.
TEST(NoSoundCard, OnlyOurOwnLine)
{
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    testing::internal::CaptureStderr();
    startTestPlatform();
    platformStop();
    std::istringstream told(testing::internal::GetCapturedStderr());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (std::string line; std::getline(told, line);)
        EXPECT_EQ(line.rfind("No sound device, sounds are off: ", 0), 0u) << line;
}
