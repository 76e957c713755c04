// The lock is checked by the tick before an action runs; it costs a look into a small table.
#include "core/lock.h"

#include "base/text.h"
#include "config/settings.h"

#include <algorithm>
#include <cstdio>

LockRecord Lock;

struct ActionName
{
    const char* Name;
    Action Target;
};

// The names of the first player's keys, and the short names an operator writes by hand.
static const ActionName ActionNames[] = {
    {"SelectUp", ActionSelectUp},
    {"SelectDown", ActionSelectDown},
    {"SelectPageUp", ActionSelectPageUp},
    {"SelectPageDown", ActionSelectPageDown},
    {"StartGame", ActionStartGame},
    {"ShowMenu", ActionShowMenu},
    {"Exit", ActionExit},
    {"GameInfo", ActionGameInfo},
    {"ConfigControls", ActionConfigControls},
    {"Shutdown1", ActionShutdown1},
    {"Shutdown2", ActionShutdown2},
    {"ChangeEmu", ActionChangeEmu},
    {"SelectLetterUp", ActionSelectLetterUp},
    {"SelectLetterDown", ActionSelectLetterDown},
    {"ToggleFavourite", ActionToggleFavourite},
    {"Search", ActionSearch},
    {"RandomGame", ActionRandomGame},
    {"NextTrack", ActionNextTrack},
    {"Up", ActionSelectUp},
    {"Down", ActionSelectDown},
    {"Left", ActionSelectPageUp},
    {"Right", ActionSelectPageDown},
    {"Start", ActionStartGame},
    {"Info", ActionGameInfo},
    {"Menu", ActionShowMenu},
};

// Stopped whatever LockAllows says: they change the cabinet or leave it.
static const Action AlwaysStopped[] = {ActionShowMenu, ActionConfigControls, ActionShutdown1,
                                       ActionShutdown2, ActionExit};
// Stopped unless LockAllows names them.
static const Action StoppedUnlessAllowed[] = {ActionToggleFavourite, ActionChangeEmu};

int actionNamed(const std::string& name)
{
    std::string wanted = comparableName(name);
    for (const ActionName& entry : ActionNames)
        if (comparableName(entry.Name) == wanted) return entry.Target;
    return -1;
}

static void loadSequence(const std::string& file)
{
    Lock.Sequence.clear();
    const std::string& text = FrontendSettings.LockSequence;
    if (trimmedText(text).empty()) return;
    std::vector<Action> sequence;
    for (const std::string& item : everyItem(text))
    {
        int action = actionNamed(item);
        if (action < 0)
        {
            fprintf(stderr,
                    "%s [Settings] LockSequence: \"%s\" names no action; the lock is switched "
                    "by the configuration file only\n",
                    file.c_str(), item.c_str());
            return;
        }
        sequence.push_back((Action)action);
    }
    // One key alone would lock the cabinet whenever a player pressed it.
    if (sequence.size() < 2)
    {
        fprintf(stderr,
                "%s [Settings] LockSequence=%s: at least two actions; the lock is switched by "
                "the configuration file only\n",
                file.c_str(), text.c_str());
        return;
    }
    Lock.Sequence = sequence;
}

static void loadAllowed(const std::string& file)
{
    std::fill(std::begin(Lock.Allowed), std::end(Lock.Allowed), 0);
    if (trimmedText(FrontendSettings.LockAllows).empty()) return;
    for (const std::string& item : everyItem(FrontendSettings.LockAllows))
    {
        int action = actionNamed(item);
        if (action < 0)
            fprintf(stderr, "%s [Settings] LockAllows: \"%s\" names no action; it is skipped\n",
                    file.c_str(), item.c_str());
        else if (std::count(std::begin(AlwaysStopped), std::end(AlwaysStopped), action))
            fprintf(stderr, "%s [Settings] LockAllows: the lock always stops %s\n", file.c_str(),
                    item.c_str());
        else
            Lock.Allowed[action] = 1;
    }
}

void loadLock()
{
    const std::string& file = FrontendSettings.ConfigFile;
    loadSequence(file);
    loadAllowed(file);
    Lock.Latest.clear();
}

int lockStops(Action action)
{
    if (!FrontendSettings.Locked) return 0;
    if (std::count(std::begin(AlwaysStopped), std::end(AlwaysStopped), action)) return 1;
    return std::count(std::begin(StoppedUnlessAllowed), std::end(StoppedUnlessAllowed), action) &&
           !Lock.Allowed[action];
}

static int sequenceCompleted(int64_t now)
{
    size_t length = Lock.Sequence.size();
    if (length == 0 || Lock.Latest.size() < length) return 0;
    size_t first = Lock.Latest.size() - length;
    if (now - Lock.Latest[first].At > LockSequenceMs) return 0;
    return std::equal(Lock.Sequence.begin(), Lock.Sequence.end(), Lock.Latest.begin() + first,
                      [](Action wanted, const LockEntry& entry)
                      { return wanted == entry.Entered; });
}

int noteLockEntries(const int newlyPressed[ActionCount], int64_t now)
{
    if (Lock.Sequence.empty()) return 0;
    for (int i = 0; i < ActionCount; i++)
    {
        if (!newlyPressed[i]) continue;
        Lock.Latest.push_back({(Action)i, now});
        // Only the latest entries can still complete it.
        if (Lock.Latest.size() > Lock.Sequence.size()) Lock.Latest.erase(Lock.Latest.begin());
        if (!sequenceCompleted(now)) continue;
        Lock.Latest.clear();
        return 1;
    }
    return 0;
}
