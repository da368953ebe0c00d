#include "platform/huge_pages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr uintptr_t HugePage = uintptr_t(2) << 20;
// Once set, the thresholds no longer follow the sizes of freed blocks, as
// the C library's would. The driver allocates and frees buffers of 256 to
// 512 KiB every frame: below the mmap threshold they are reused from the
// heap, above it each is mapped anew, and at 13 us a page the faults add
// 5 ms to a frame. Larger blocks (textures, buffers of a whole window) are
// mapped on their own and given back whole when freed.
constexpr int RunningMmapThreshold = 512 << 10;
constexpr int RunningTrimThreshold = 1 << 20;
constexpr int DefaultTopPad = 128 * 1024;
// The C library's ceiling for the mmap threshold, well above any one
// texture of the catalogue (the largest are 4 MiB).
constexpr int LargestHeapBlock = 32 << 20;

struct HugePageState {
    uintptr_t from = 0, to = 0;  // the advised range; empty when not advised
};

HugePageState Huge;

uintptr_t AlignUp(uintptr_t address) { return (address + HugePage - 1) & ~(HugePage - 1); }
uintptr_t AlignDown(uintptr_t address) { return address & ~(HugePage - 1); }

}  // namespace

void BeginHugePageLoading(size_t bytes) {
    // An allocator that is not the C library's (the sanitizers') refuses
    // these; then nothing is changed.
    if (!mallopt(M_MMAP_THRESHOLD, LargestHeapBlock) || !mallopt(M_TRIM_THRESHOLD, int(bytes) * 2))
        return;
    // One block grows the heap by itself and the pad; freed, all of it stays
    // in the heap as its top, where the textures' blocks are carved from.
    mallopt(M_TOP_PAD, int(bytes));
    void* probe = std::malloc(LargestHeapBlock / 2);
    const uintptr_t from = AlignUp(uintptr_t(probe)), to = AlignDown(uintptr_t(sbrk(0)));
    if (probe && to > from && madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) == 0)
        Huge = {from, to};
    std::free(probe);
    mallopt(M_TOP_PAD, DefaultTopPad);
}

void EndHugePageLoading() {
    // Pages made from now on are small, and the kernel's background merging
    // leaves the range alone: it would otherwise fill half-used huge pages
    // and grow the process.
    if (Huge.to > Huge.from)
        madvise(reinterpret_cast<void*>(Huge.from), Huge.to - Huge.from, MADV_NOHUGEPAGE);
    Huge = {};
    mallopt(M_MMAP_THRESHOLD, RunningMmapThreshold);
    mallopt(M_TRIM_THRESHOLD, RunningTrimThreshold);
    malloc_trim(0);
}
