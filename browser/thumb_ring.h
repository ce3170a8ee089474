#pragma once
// The memory cache of thumbnails: a ring of slots, each a path (exact, as the file system
// compares it) and its thumbnail, written at a pointer that moves on and wraps.

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

// A thumbnail as painted: the error picture (or nothing) for a file that could not be shown is
// held too, so the cell is not asked for again at every paint.
struct TRingThumb {
    QImage Thumb;
    bool Failed = false; // drawn without a shadow
};

class TThumbRing {
public:
    explicit TThumbRing(int count = 100);

    int Capacity() const { return static_cast<int>(FSlots.size()); }
    // A new slot count empties the ring; 0 turns it off.
    void SetCapacity(int count);
    // Grows the ring to at least that many slots, keeping what it holds; cells evicted before
    // they are painted would otherwise be asked for again and again.
    void EnsureCapacity(int count);

    std::optional<TRingThumb> Lookup(const QString& path) const;
    // Nothing when the path is already held.
    void Store(const QString& path, const TRingThumb& thumb);
    void Invalidate(const QString& path);
    void Clear();

private:
    struct TSlot {
        std::optional<QString> Key; // nothing: the slot is empty
        TRingThumb Thumb;
    };
    const TSlot* find(const QString& path) const;

    std::vector<TSlot> FSlots;
    size_t FNext = 0;
};
