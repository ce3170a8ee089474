#include "thumb_ring.h"

#include <algorithm>

TThumbRing::TThumbRing(int count) {
    SetCapacity(count);
}

void TThumbRing::SetCapacity(int count) {
    FSlots.assign(static_cast<size_t>(std::max(count, 0)), TSlot{});
    FNext = 0;
}

void TThumbRing::EnsureCapacity(int count) {
    if (count <= Capacity()) return;
    // New count go in at the pointer, so they are the next written and the oldest stay oldest.
    FSlots.insert(FSlots.begin() + static_cast<std::ptrdiff_t>(FNext),
                  static_cast<size_t>(count - Capacity()), TSlot{});
}

const TThumbRing::TSlot* TThumbRing::find(const QString& path) const {
    auto it = std::find_if(FSlots.begin(), FSlots.end(),
                           [&](const TSlot& slot) { return slot.Key == path; });
    return it == FSlots.end() ? nullptr : &*it;
}

std::optional<TRingThumb> TThumbRing::Lookup(const QString& path) const {
    const TSlot* slot = find(path);
    if (!slot) return std::nullopt;
    return slot->Thumb;
}

void TThumbRing::Store(const QString& path, const TRingThumb& thumb) {
    if (FSlots.empty() || find(path)) return;
    if (FNext >= FSlots.size()) FNext = 0;
    FSlots[FNext++] = TSlot{path, thumb};
}

void TThumbRing::Invalidate(const QString& path) {
    for (TSlot& slot : FSlots)
        if (slot.Key == path) slot = TSlot{};
}

void TThumbRing::Clear() {
    for (TSlot& slot : FSlots) slot = TSlot{};
}
