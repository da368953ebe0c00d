// Loading the textures into huge pages.
//
// The software renderer keeps every texture in ordinary process memory, some
// 50 MB for the catalogue, and touches it page by page as the pictures are
// uploaded. On virtual machines each first touch of a 4 KiB page costs well
// over 10 us, about half of the whole start-up; 2 MiB pages need 512 times
// fewer of them. So while the textures load, large blocks come from one
// heap reserve advised for huge pages instead of from a mapping of their
// own each. Where the C library or the kernel does not take the advice
// (another allocator, huge pages switched off) loading is as without it.
#pragma once
#include <cstddef>

// Before loading: the next `bytes` of heap are advised for huge pages, and
// large blocks come from the heap.
void BeginHugePageLoading(size_t bytes);
// After loading: thresholds for the running program (see huge_pages.cpp);
// the reserve's untouched rest is given back, and pages made in it from now
// on are small.
void EndHugePageLoading();
