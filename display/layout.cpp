// The page rule.
#include "display/layout.h"

#include <algorithm>

ScreenLayoutRecord ScreenLayout;
int Redraws;
uint64_t RedrawFirstUse;

int pageTop(int top, int current, int count, int64_t page)
{
    // A list that shrank (a filter, another emulator) is shown from where its last page
    // begins, never with rows left empty below its end.
    int64_t start = std::clamp<int64_t>(top, 0, std::max<int64_t>((int64_t)count - page, 0));
    while (current < start) start = std::max<int64_t>(start - page, 0);
    while (current > start + page - 1)
        start = std::min<int64_t>(start + page, (int64_t)count - page);
    return (int)start;
}
