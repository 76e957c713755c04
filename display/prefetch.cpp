// What to decode ahead, nearest first: the games one to three moves away, then a page away,
// then the image browser's neighbouring pages.
#include "display/prefetch.h"

#include "catalogue/catalogue.h"
#include "config/settings.h"
#include "display/artwork.h"
#include "display/layout.h"
#include "display/placement.h"
#include "platform/clock.h"
#include "runtime/state.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

struct PrefetchItem
{
    int Game; // index in VisibleGames
    ArtworkPart Part;
};

struct PrefetchPlan
{
    int MadeAt = -1; // the redraw it was made after
    std::vector<PrefetchItem> Items;
    size_t Next = 0;
    int LastSliceMs = 0;
};

static PrefetchPlan Plan;

// A slice starts only when it can end well before the tick: the last one's time with half again
// to spare, and never less than this.
const int SmallestSliceRoom = 10;

static int wrapped(int game, int count)
{
    return ((game % count) + count) % count;
}

static void addGame(std::vector<PrefetchItem>& items, int game, int count)
{
    game = wrapped(game, count);
    for (ArtworkPart part : {PartScreenshot, PartFlyer, PartMarquee})
        if (artworkBoxInUse(part)) items.push_back({game, part});
}

static void addNeighbours(std::vector<PrefetchItem>& items, int current, int count,
                          std::initializer_list<int> steps)
{
    for (int step : steps)
    {
        addGame(items, current + step, count);
        addGame(items, current - step, count);
    }
}

static void addPageMarquees(std::vector<PrefetchItem>& items, int first, int page, int count)
{
    for (int game = std::max(first, 0); game < std::min(first + page, count); game++)
        items.push_back({game, PartMarquee});
}

static std::vector<PrefetchItem> plannedItems()
{
    std::vector<PrefetchItem> items;
    int count = (int)VisibleGames.size(), current = FrontendState.CurrentGame;
    if (count < 1 || current < 0 || current >= count) return items;
    if (FrontendState.ScreenSaverActive)
    {
        ScreenSaverKind saver = FrontendSettings.ScreenSaverType;
        items.push_back({wrapped(current + 1, count),
                         saver == SaverMarquees                            ? PartMarquee
                         : saver == SaverScreenshots || saver == SaverPlay ? PartScreenshot
                                                                           : PartFlyer});
        return items;
    }
    if (FrontendSettings.MenuType != ViewImageBrowser)
    {
        addNeighbours(items, current, count, {1, 2, 3, std::max(ScreenLayout.PageRows, 1)});
        return items;
    }
    int columns = std::max(PlacedSkin.ListColumns, 1);
    int page = (int)std::clamp<int64_t>((int64_t)PlacedSkin.ListRows * columns, 1, count);
    addNeighbours(items, current, count, {1, columns});
    addPageMarquees(items, ScreenLayout.ListTop + page, page, count);
    addPageMarquees(items, ScreenLayout.ListTop - page, page, count);
    return items;
}

int prefetchStep(int millisecondsLeft)
{
    if (Redraws == 0) return 0;
    if (Plan.MadeAt != Redraws)
    {
        Plan.Items = plannedItems();
        Plan.Next = 0;
        Plan.MadeAt = Redraws;
        // One picture that took most of a tick must not keep every later plan from starting.
        Plan.LastSliceMs = 0;
    }
    if (millisecondsLeft < std::max(SmallestSliceRoom, Plan.LastSliceMs * 3 / 2)) return 0;
    int64_t start = platformCounter();
    while (Plan.Next < Plan.Items.size())
    {
        const PrefetchItem& item = Plan.Items[Plan.Next++];
        Prefetched done = prefetchArtwork(VisibleGames[item.Game], item.Part, RedrawFirstUse);
        if (done == PrefetchNoRoom) Plan.Next = Plan.Items.size();
        if (done != PrefetchDecoded) continue;
        int64_t frequency = platformCounterFrequency();
        if (frequency > 0) Plan.LastSliceMs = (int)((platformCounter() - start) * 1000 / frequency);
        return 1;
    }
    return 0;
}

void forgetPrefetch()
{
    Plan = PrefetchPlan();
}
