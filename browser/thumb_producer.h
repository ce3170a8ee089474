#pragma once
// The grid's thumbnails: the three caches and the jobs that fill them. Painting takes what the
// ring holds and asks for the cells it shows; the jobs run on the program's background worker,
// the earliest requested first, and a job whose cell left the asked range is cancelled. Only
// this object, on the user-interface thread, changes the caches.

#include "background_worker.h"
#include "thumb_dimensions.h"
#include "thumb_disk_index.h"
#include "thumb_maker.h"
#include "thumb_ring.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

struct TThumbSettings {
    QSize Box{90, 75};
    bool JPEGThumbnails = true;
    bool NoThumbnailExt = true;
    QString SupportedFormats = QStringLiteral("*.jpg;*.bmp;*.jpeg;");
    QString ErrorThumb, NonSupportedFormatThumb;
    // The shared desktop thumbnails: read when the folder is set, written after a decode when
    // writing is on.
    QString SharedRoot;
    bool WriteSharedThumbnails = true;
};

// Whether thumbnails are made for the file: its extension, in any case, is one of the masks'
// "*.ext" entries; every file when the masks are empty or "*.*".
bool ThumbFormatSupported(const QString& supportedFormats, const QString& path);

enum class TCacheKind { Memory = 0, Disk = 1, Both = 2 };

class TThumbProducer : public QObject {
public:
    explicit TThumbProducer(TBackgroundWorker& pool = TBackgroundWorker::Shared());
    ~TThumbProducer() override;

    const TThumbSettings& Settings() const { return FSettings; }
    // A new box or format makes other names: pending jobs are dropped, the ring kept.
    void SetSettings(const TThumbSettings& settings);
    TThumbRing& Ring() { return FRing; }
    const TThumbRing& Ring() const { return FRing; }
    TThumbDiskIndex& DiskIndex() { return FDisk; }
    const TThumbDiskIndex& DiskIndex() const { return FDisk; }
    TCachedDoubleStringList& Dimensions() { return FDimensions; }

    // What painting shows for the path now; nothing until a job answered.
    std::optional<TRingThumb> Thumb(const QString& path) const { return FRing.Lookup(path); }
    // The paths to make, most urgent first; jobs for paths no longer asked for are cancelled.
    void Request(const QStringList& paths, uint64_t generation);
    // Jobs queued or running.
    int Pending() const { return static_cast<int>(FJobs.size()); }

    // An empty path clears the whole cache of that kind.
    void Invalidate(const QString& path, TCacheKind kind);
    // After a file was saved, renamed or deleted: every cache forgets it.
    void deletethumb(const QString& path);
    // Saves the disk index and the dimension file.
    void Flush();

    // A thumbnail entered the ring (also for a list no longer shown).
    std::function<void(const QString& path, uint64_t generation)> OnThumbReady;

protected:
    bool event(QEvent* event) override;

private:
    TThumbRequest requestFor(const QString& path);
    void finished(const TThumbResult& result, uint64_t generation);
    void cancelAll();

    TThumbSettings FSettings;
    TThumbRing FRing;
    TThumbDiskIndex FDisk;
    TCachedDoubleStringList FDimensions;
    QHash<QString, TJobHandle> FJobs;
    QHash<uint64_t, QString> FPathOfJob;
    TJobOwner FOwner; // last: its jobs read nothing else of this object, but stop before it goes
};
