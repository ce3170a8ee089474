#pragma once
// Working memory of one call: a pool is a doubly linked list of tagged blocks from the heap, and
// may sit inside another pool. Closing a pool frees its blocks, nested pools first; a tag that
// does not match means the bookkeeping was overwritten and answers -1548.

#include <stdint.h>

struct TPoolLink {
    TPoolLink* Prev;
    TPoolLink* Next;
    uint32_t Tag;
    uint32_t Spare; // keeps the bytes after the link aligned as malloc's
    uint64_t Align;
};

// A pool's header: its place in the parent's list, then the head of its own.
struct TPoolHeader {
    TPoolLink Member;
    TPoolLink First;
    TPoolHeader** Owner; // the pool object's handle, cleared when a parent frees this pool
};

// A parent frees nested pools still open together with its blocks.
class TWorkPool {
public:
    static constexpr uint32_t PoolTag = 0x7399AA83u, BlockTag = 0x4A7F3111u;

    // A pool of its own, or one inside parent; Valid() is false when its header was not had.
    explicit TWorkPool(TWorkPool* parent = nullptr);
    ~TWorkPool() { Close(); }
    TWorkPool(const TWorkPool&) = delete;
    TWorkPool& operator=(const TWorkPool&) = delete;

    bool Valid() const { return FHead != nullptr; }
    // count zero-filled elements of size bytes; null when the memory is not there.
    void* Take(uint64_t count, uint64_t size);
    template <typename T>
    T* TakeArray(uint64_t count) {
        return static_cast<T*>(Take(count, sizeof(T)));
    }
    // Frees one block taken from this pool.
    int32_t Give(void* block);
    // Frees everything, this pool's header included; the first damaged tag's -1548, else 0.
    int32_t Close();

private:
    TPoolHeader* FHead = nullptr;
};
