#include "pixel_memory.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {

constexpr size_t hugePage = size_t(2) << 20;
constexpr size_t mapThreshold = size_t(8) << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool heapOnly = true; // keep every block visible to the address sanitizer
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool heapOnly = true;
#else
constexpr bool heapOnly = false;
#endif
#else
constexpr bool heapOnly = false;
#endif

size_t roundUp(size_t v, size_t to) {
    return (v + to - 1) / to * to;
}

// A mapping aligned to a huge page: map more, then give back the head and the tail.
uint8_t* mapAligned(size_t size) {
    const size_t reserve = size + hugePage;
    void* raw =
        ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = roundUp(start, hugePage);
    if (aligned > start) ::munmap(raw, aligned - start);
    const uintptr_t end = start + reserve, used = aligned + size;
    if (end > used) ::munmap(reinterpret_cast<void*>(used), end - used);
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<uint8_t*>(aligned);
}

} // namespace

void TPGPixelBlockDeleter::operator()(uint8_t* p) const {
    if (Mapped)
        ::munmap(p, Mapped);
    else
        std::free(p);
}

TPGPixelBlock AllocatePixelBlock(size_t size) {
    if (!heapOnly && size >= mapThreshold) {
        const size_t mapped = roundUp(size, hugePage);
        if (uint8_t* p = mapAligned(mapped)) return TPGPixelBlock(p, {mapped});
        return {};
    }
    return TPGPixelBlock(static_cast<uint8_t*>(std::calloc(size, 1)), {0});
}
