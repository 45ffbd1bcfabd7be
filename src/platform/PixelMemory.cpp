#include "platform/PixelMemory.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace {

// Under AddressSanitizer every block comes from the heap so overruns are caught.
#if defined(__SANITIZE_ADDRESS__)
#define OCULANE_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OCULANE_HEAP_ONLY 1
#endif
#endif

#ifdef OCULANE_HEAP_ONLY
constexpr size_t kLargeBlock = SIZE_MAX;
#else
constexpr size_t kLargeBlock = size_t(4) << 20;
#endif
constexpr size_t kHugePage = size_t(2) << 20;

size_t MappedSize(size_t size)
{
    return (size + kHugePage - 1) & ~(kHugePage - 1);
}

} // namespace

void* AllocatePixelMemory(size_t size)
{
    if (size < kLargeBlock)
        return std::malloc(size ? size : 1);
    const size_t mapped = MappedSize(size);
    if (mapped < size)
        return nullptr;
    // Over-allocate by one huge page so the block can start on a 2 MiB boundary.
    const size_t reserve = mapped + kHugePage;
    void* raw = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t end = start + reserve;
    const uintptr_t alignedEnd = aligned + mapped;
    if (end > alignedEnd)
        munmap(reinterpret_cast<void*>(alignedEnd), end - alignedEnd);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), mapped, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

void FreePixelMemory(void* block, size_t size)
{
    if (!block)
        return;
    if (size < kLargeBlock) {
        std::free(block);
        return;
    }
    munmap(block, MappedSize(size));
}
