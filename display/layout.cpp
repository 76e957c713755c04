// The page rule.
#include "display/layout.h"

#include <algorithm>

ScreenLayoutRecord ScreenLayout;
int Redraws;
uint64_t RedrawFirstUse;

int pageTop(int top, int current, int count, int64_t page)
{
    int64_t start = std::max(top, 0);
    while (current < start) start = std::max<int64_t>(start - page, 0);
    while (current > start + page - 1)
        start = std::min<int64_t>(start + page, (int64_t)count - page);
    return (int)start;
}
