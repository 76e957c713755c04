// The MAME emulators' games at start-up: mame.lst read, or MAME asked for its list once. A
// capture becomes mame.lst only when it is whole, so that one cut off by a full disk or a
// crashing MAME never stays to give the same half list at every later start.
#include "core/mameload.h"

#include "base/message.h"
#include "catalogue/catalogue.h"
#include "catalogue/categories.h"
#include "catalogue/emulators.h"
#include "catalogue/filters.h"
#include "catalogue/mamelist.h"
#include "catalogue/players.h"
#include "catalogue/snapshot.h"
#include "config/settings.h"
#include "launch/launch.h"
#include "platform/files.h"
#include "platform/stop.h"
#include "popups/message.h"
#include "runtime/state.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

// Where this start's MAME games come from. Every MAME emulator reads the same list, and MAME
// is asked for it at most once a start, also when what it printed could not be kept.
struct MameListSource
{
    std::string Path;  // the list the emulators read; empty until the first one decides
    int Temporary = 0; // a capture that is not kept: deleted once every emulator has read it
};
static MameListSource Source;

const char DamagedSuffix[] = ".damaged";
const char CaptureSuffix[] = ".capture";

static int hasGamesOf(int emulatorIndex)
{
    for (const auto& game : AllGames)
        if (game->EmulatorIndex == emulatorIndex) return 1;
    return 0;
}

static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The capture goes beside mame.lst, so that keeping it is a rename; a folder that cannot be
// written (read-only, full) gets it in the temporary folder, used for this start only.
static std::string capturePlace(const std::string& path, int* keepable, std::string& why)
{
    std::string beside = path + CaptureSuffix;
    platformClearFailure();
    if (int file = platformCreateDerivedFile(beside); file >= 0)
    {
        platformCloseFile(file);
        *keepable = 1;
        return beside;
    }
    why = platformWhyFailed("it cannot be made");
    *keepable = 0;
    std::string temporary;
    if (!platformCreateTemporaryFile("torvanell-mame.lst", temporary)) return beside;
    std::fprintf(stderr, "Cannot write [%s] (%s): MAME's list goes to [%s] for this start\n",
                 beside.c_str(), why.c_str(), temporary.c_str());
    return temporary;
}

static std::string exitText(int exitCode)
{
    return exitCode > 128 ? message("it was ended by signal {1}", {std::to_string(exitCode - 128)})
                          : message("it ended with code {1}", {std::to_string(exitCode)});
}

// What keeps a capture from becoming mame.lst, said as the player reads it; empty when
// nothing does.
static std::string captureFault(int exitCode, const std::string& problem, int index)
{
    if (!problem.empty())
        return problem + message("The list MAME printed is cut off ({1}).\nThe games before the "
                                 "cut are shown for now. MAME is asked again at the next start.",
                                 {exitText(exitCode)});
    if (!hasGamesOf(index))
        return message("MAME printed no game list ({1}), so its games are missing.\nA full disk "
                       "or a wrong Executable can cause this. MAME is asked again at the next "
                       "start.",
                       {exitText(exitCode)});
    if (exitCode != 0)
        return message("MAME did not end cleanly after printing its game list ({1}).\nIts games "
                       "are shown for now. MAME is asked again at the next start.",
                       {exitText(exitCode)});
    return "";
}

// A whole capture takes the name mame.lst, its snapshot with it; any other is used for this
// start only and said so, once, in the box and on standard error.
static void keepOrTell(const std::string& capture, const std::string& path, int keepable,
                       const std::string& fault, const std::string& why)
{
    Source.Path = capture;
    Source.Temporary = 1;
    if (fault.empty() && keepable && platformRenameFile(capture, path))
    {
        platformRenameFile(snapshotPath(capture), snapshotPath(path));
        Source.Path = path;
        Source.Temporary = 0;
        return;
    }
    std::string text =
        !fault.empty() ? fault
                       : message("The game list cannot be kept in {1}:\n{2}\nMAME is asked for it "
                                 "again at every start.",
                                 {folderOf(path),
                                  why.empty() ? platformWhyFailed("it cannot be written") : why});
    std::fprintf(stderr, "%s\n", text.c_str());
    showError(text);
}

// Only the information file failed: the list is good and stays.
static int failInformation(const std::string& path)
{
    showError("Error loading game list!");
    fprintf(stderr, "Game information file cannot be read: [%s]; %s is kept\n",
            FrontendSettings.MameinfoDat.c_str(), path.c_str());
    return 0;
}

static int captureAndRead(const Emulator& emulator, const std::string& path, int index)
{
    deleteMameList(path); // a snapshot without its list is of an older list
    showMessage("Loading Game Information From Mame...");
    std::string command = mameListCommand(emulator), why;
    int keepable = 0, exitCode = 0;
    std::string capture = capturePlace(path, &keepable, why);
    int captured = captureMameList(command, capture, &exitCode);
    if (platformStopRequested() || !captured)
    {
        deleteMameList(capture); // cut short: the next start captures it whole
        // Why it failed was shown as it happened: one box is enough.
        if (!platformStopRequested()) fprintf(stderr, "Error launching [%s]\n", command.c_str());
        return 0;
    }
    showMessage("Loading Mame Game List...");
    std::string problem;
    MameListLoad loaded = loadMameList(capture, index, &problem);
    if (loaded == ListUnreadable)
    {
        deleteMameList(capture);
        showError("Error loading game list!");
        return 0;
    }
    keepOrTell(capture, path, keepable, captureFault(exitCode, problem, index), why);
    return loaded == ListLoaded || failInformation(Source.Path);
}

// A kept list that does not parse whole is moved out of the way, so that the next start
// captures a new one; its games up to the fault are shown meanwhile.
static void setAside(const std::string& path, const std::string& problem)
{
    std::string aside = path + DamagedSuffix;
    int moved = platformRenameFile(path, aside);
    if (moved) platformDeleteFile(snapshotPath(path));
    if (moved) Source.Path = aside; // what a second MAME emulator reads this start
    std::string text =
        problem + (moved ? message("The game list {1} is damaged: it is set aside as {2}, and "
                                   "MAME is asked for a new one at the next start.",
                                   {path, aside})
                         : message("The game list {1} is damaged and cannot be set aside ({2}): "
                                   "delete it.",
                                   {path, platformWhyFailed("it cannot be renamed")}));
    std::fprintf(stderr, "%s\n", text.c_str());
    showError(text);
}

// Only a list that cannot be read is deleted, so that the next start captures it anew: a good
// one costs MAME seconds to print, and when only the information file failed it is kept.
static int readKept(const std::string& path, int index)
{
    showMessage("Loading Mame Game List...");
    std::string problem;
    MameListLoad loaded = loadMameList(path, index, &problem);
    if (!problem.empty()) setAside(path, problem);
    if (loaded == InfoUnreadable) return failInformation(path);
    if (loaded == ListLoaded) return 1;
    showError("Error loading game list!");
    deleteMameList(path);
    return 0;
}

// An emulator that printed something else than its list, in a list kept by an older version:
// were it kept, the same empty list would come back at every start.
static void dropEmptyList(const std::string& path, int index)
{
    if (hasGamesOf(index) || Source.Path != path || !platformFileExists(path)) return;
    fprintf(stderr, "%s holds no games; it is deleted, so the next start captures the list again\n",
            path.c_str());
    deleteMameList(path);
}

static int readMameGames(const Emulator& emulator, int index)
{
    if (!Source.Path.empty())
    {
        showMessage("Loading Mame Game List...");
        std::string told; // by the first emulator already
        loadMameList(Source.Path, index, &told);
        return 1;
    }
    std::string path;
    if (!platformFullPath("mame.lst", path))
    {
        // Without a path there is nothing to load, and nothing that could safely be deleted.
        showError("Unable to get game list file path!");
        showError("Error loading game list!");
        return 0;
    }
    platformDeleteFile(path + CaptureSuffix); // what a start killed while capturing left
    if (platformFileExists(path))
    {
        Source.Path = path;
        if (!readKept(path, index)) return 0;
    }
    else if (!captureAndRead(emulator, path, index))
        return 0;
    dropEmptyList(path, index);
    return 1;
}

int loadMameEmulator(const Emulator& emulator, int index)
{
    if (!readMameGames(emulator, index)) return 0;
    markAvailableGames(index);
    // Read at every start: the snapshot does not hold them.
    loadCategories(index);
    loadPlayersFile(index);
    return 1;
}

void finishMameLists()
{
    if (Source.Temporary) deleteMameList(Source.Path);
    Source = MameListSource();
}
