#pragma once
// The memory cache of thumbnails: a ring of slots, each a path (exact, as the file system
// compares it) and its thumbnail, written at a pointer that moves on and wraps.

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

class TThumbRing {
public:
    explicit TThumbRing(int count = 100);

    int Capacity() const { return static_cast<int>(FSlots.size()); }
    // A new slot count empties the ring; 0 turns it off.
    void SetCapacity(int count);
    // Grows the ring to at least that many slots, keeping what it holds; cells evicted before
    // they are painted would otherwise be asked for again and again.
    void EnsureCapacity(int count);

    std::optional<QImage> Lookup(const QString& path) const;
    // Nothing when the path is already held; a null image leaves the slot empty.
    void Store(const QString& path, const QImage& thumb);
    void Invalidate(const QString& path);
    void Clear();

private:
    struct TSlot {
        std::optional<QString> Key; // nothing: the slot is empty
        QImage Thumb;
    };
    const TSlot* find(const QString& path) const;

    std::vector<TSlot> FSlots;
    size_t FNext = 0;
};
