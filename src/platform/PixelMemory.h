// Memory for pixel blocks. Large blocks come straight from the system, aligned
// for huge pages, so first touch of a big image costs a fraction of the page
// faults of ordinary heap memory; small blocks come from the heap.
#pragma once

#include <cstddef>

// Null when the memory cannot be had. Contents are undefined.
void* AllocatePixelMemory(size_t size);
// size must be the size given to AllocatePixelMemory.
void FreePixelMemory(void* block, size_t size);
