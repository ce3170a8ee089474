#include "work_pool.h"

#include <stdlib.h>

namespace {

constexpr int32_t Damaged = -1548;

void unlink(TPoolLink* link) {
    if (link->Prev) link->Prev->Next = link->Next;
    if (link->Next) link->Next->Prev = link->Prev;
    link->Prev = link->Next = nullptr;
    link->Tag = 0;
}

void pushAfter(TPoolLink* head, TPoolLink* link) {
    link->Prev = head;
    link->Next = head->Next;
    if (head->Next) head->Next->Prev = link;
    head->Next = link;
}

// Frees every block of the pool, nested pools first, then its header.
int32_t releasePool(TPoolHeader* pool) {
    int32_t code = pool->Member.Tag == TWorkPool::PoolTag ? 0 : Damaged;
    while (TPoolLink* link = pool->First.Next) {
        if (link->Tag == TWorkPool::PoolTag) {
            const int32_t nested = releasePool(reinterpret_cast<TPoolHeader*>(link));
            if (code == 0) code = nested;
            continue;
        }
        if (link->Tag != TWorkPool::BlockTag) {
            // Links behind an overwritten tag cannot be trusted, so they are left alone.
            pool->First.Next = nullptr;
            code = Damaged;
            break;
        }
        unlink(link);
        free(link);
    }
    unlink(&pool->Member);
    *pool->Owner = nullptr;
    free(pool);
    return code;
}

} // namespace

TWorkPool::TWorkPool(TWorkPool* parent) {
    auto* pool = static_cast<TPoolHeader*>(calloc(1, sizeof(TPoolHeader)));
    if (!pool) return;
    pool->Member.Tag = pool->First.Tag = PoolTag;
    pool->Owner = &FHead;
    if (parent && parent->FHead) pushAfter(&parent->FHead->First, &pool->Member);
    FHead = pool;
}

void* TWorkPool::Take(uint64_t count, uint64_t size) {
    uint64_t bytes = 0;
    if (!FHead || __builtin_mul_overflow(count, size, &bytes) ||
        bytes > uint64_t(PTRDIFF_MAX) - sizeof(TPoolLink))
        return nullptr;
    auto* link = static_cast<TPoolLink*>(calloc(1, sizeof(TPoolLink) + bytes));
    if (!link) return nullptr;
    link->Tag = BlockTag;
    pushAfter(&FHead->First, link);
    return link + 1;
}

int32_t TWorkPool::Give(void* block) {
    if (!block) return 0;
    TPoolLink* link = static_cast<TPoolLink*>(block) - 1;
    if (link->Tag != BlockTag) return Damaged;
    unlink(link);
    free(link);
    return 0;
}

int32_t TWorkPool::Close() {
    if (!FHead) return 0;
    return releasePool(FHead);
}
