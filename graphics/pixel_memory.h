#pragma once
// Zero-filled pixel blocks. Large ones come straight from the kernel, aligned for huge pages
// where it allows them, so filling a decoded photo does not fault on every 4 KiB page.

#include <cstddef>
#include <cstdint>
#include <memory>

struct TPGPixelBlockDeleter {
    size_t Mapped = 0; // bytes mapped, 0 for a heap block
    void operator()(uint8_t* p) const;
};
using TPGPixelBlock = std::unique_ptr<uint8_t, TPGPixelBlockDeleter>;

// Empty on failure.
TPGPixelBlock AllocatePixelBlock(size_t size);
