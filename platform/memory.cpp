// The heap made ready for a big catalogue before it is loaded.
#include "platform/memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

// Loading a full MAME list makes hundreds of thousands of small records, and most of the
// start went into the kernel handing out their memory one 4 KiB page at a time. The heap now
// grows in one step of HeapReserve, and that reserve is asked to come in 2 MiB pages where
// the system allows it: the same memory for a few hundred page faults instead of tens of
// thousands. Memory not touched stays unused; only the address space is reserved.
static const size_t HeapReserve = (size_t)256 << 20;
static const uintptr_t HugePage = (uintptr_t)2 << 20;
static const size_t MaxThreshold = (size_t)32 << 20, DefaultThreshold = (size_t)128 << 10;
static const size_t DefaultTopPad = (size_t)128 << 10;

void platformPrepareHeap()
{
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    // A block this big comes from the heap only while the mapping threshold is above it; it
    // is never touched, and freeing it leaves the reserve at the heap's top (the top pad).
    mallopt(M_TOP_PAD, (int)HeapReserve);
    mallopt(M_MMAP_THRESHOLD, (int)MaxThreshold);
    char* probe = (char*)std::malloc(MaxThreshold - 4096);
    mallopt(M_MMAP_THRESHOLD, (int)DefaultThreshold);
    if (!probe) return;
    uintptr_t start = ((uintptr_t)probe + HugePage - 1) & ~(HugePage - 1);
    uintptr_t end = (uintptr_t)sbrk(0) & ~(HugePage - 1);
    if (end > start) madvise((void*)start, end - start, MADV_HUGEPAGE);
    std::free(probe);
}

void platformSettleHeap()
{
    // From now on memory given back goes back to the system as it did before the start.
    mallopt(M_TOP_PAD, (int)DefaultTopPad);
    malloc_trim(0);
}
