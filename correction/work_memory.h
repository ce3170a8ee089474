#pragma once
// Working arrays of one call, from malloc: the library has no C++ runtime, so no operator new
// and no exceptions. A count whose bytes do not fit the address space is refused before
// asking, so a huge rectangle fails cleanly instead of wrapping its size.

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

template <typename T>
class TWorkArray {
public:
    explicit TWorkArray(int64_t count) {
        if (count > 0 && static_cast<uint64_t>(count) <= PTRDIFF_MAX / sizeof(T))
            FData = static_cast<T*>(malloc(static_cast<size_t>(count) * sizeof(T)));
    }
    ~TWorkArray() { free(FData); }
    TWorkArray(const TWorkArray&) = delete;
    TWorkArray& operator=(const TWorkArray&) = delete;

    bool Valid() const { return FData != nullptr; }
    T& operator[](int64_t i) { return FData[i]; }
    const T& operator[](int64_t i) const { return FData[i]; }

private:
    T* FData = nullptr;
};
