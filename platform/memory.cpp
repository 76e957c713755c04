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
static const size_t DefaultTopPad = (size_t)128 << 10;
static const size_t ProbeSize = (size_t)64 << 10; // below the size malloc maps on its own
static const int MostProbes = 64;

void platformPrepareHeap()
{
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    mallopt(M_TOP_PAD, (int)HeapReserve);
    // Small blocks are taken until the heap has to grow, which it now does by the reserve;
    // they are never touched, and freeing them leaves the reserve at the heap's top.
    uintptr_t before = (uintptr_t)sbrk(0);
    void* probes[MostProbes];
    int count = 0;
    while (count < MostProbes && (uintptr_t)sbrk(0) == before)
        if (!(probes[count++] = std::malloc(ProbeSize))) break;
    uintptr_t start = (before + HugePage - 1) & ~(HugePage - 1);
    uintptr_t end = (uintptr_t)sbrk(0) & ~(HugePage - 1);
    if (end > start) madvise((void*)start, end - start, MADV_HUGEPAGE);
    for (int i = 0; i < count; i++) std::free(probes[i]);
}

void platformSettleHeap()
{
    // From now on memory given back goes back to the system as it did before the start.
    mallopt(M_TOP_PAD, (int)DefaultTopPad);
    malloc_trim(0);
}
