#include "thumb_producer.h"

#include "thumb_files.h"

#include <QFileInfo>

#include <algorithm>

bool ThumbFormatSupported(const QString& supportedFormats, const QString& path) {
    const QString masks = supportedFormats.trimmed();
    if (masks.isEmpty() || masks == QLatin1String("*.*") || masks == QLatin1String("*.*;"))
        return true;
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) return false;
    const QStringList entries = masks.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(entries.begin(), entries.end(), [&](const QString& entry) {
        return entry.trimmed().compare(QStringLiteral("*.") + suffix, Qt::CaseInsensitive) == 0;
    });
}

TThumbProducer::TThumbProducer(TBackgroundWorker& pool) : FOwner(*this, pool) {}

TThumbProducer::~TThumbProducer() {
    FOwner.StopAll();
    Flush();
}

void TThumbProducer::SetSettings(const TThumbSettings& settings) {
    cancelAll();
    FSettings = settings;
}

void TThumbProducer::cancelAll() {
    for (const TJobHandle& job : FJobs) job.Cancel();
    FJobs.clear();
    FPathOfJob.clear();
}

TThumbRequest TThumbProducer::requestFor(const QString& path) {
    TThumbRequest request;
    request.Path = path;
    request.Box = FSettings.Box;
    request.Supported = ThumbFormatSupported(FSettings.SupportedFormats, path);
    request.ErrorThumb = FSettings.ErrorThumb;
    request.NonSupportedFormatThumb = FSettings.NonSupportedFormatThumb;
    request.SharedRoot = FSettings.SharedRoot;
    request.WriteShared = FSettings.WriteSharedThumbnails;
    request.Naming = {FSettings.Box.width(), FSettings.Box.height(), std::nullopt,
                      FSettings.JPEGThumbnails, FSettings.NoThumbnailExt};
    if (!request.Supported || !FDisk.Enabled()) return request;
    request.CacheFolder = FDisk.Folder();
    if (std::optional<TFileStamp> stamp = RegularFileStamp(path)) {
        TThumbNameParts today = request.Naming;
        today.MTime = stamp->MTime;
        request.CachedFile = FDisk.Lookup(path, ThumbCacheName(path, today)).value_or(QString());
    }
    return request;
}

void TThumbProducer::Request(const QStringList& paths, uint64_t generation) {
    QHash<QString, TJobHandle> kept;
    const int count = static_cast<int>(paths.size());
    for (int i = 0; i < count; ++i) {
        const QString& path = paths[i];
        const int priority = count - i; // earlier in the list runs first
        if (kept.contains(path) || FRing.Lookup(path)) continue;
        if (auto running = FJobs.find(path); running != FJobs.end()) {
            running->SetPriority(priority);
            kept.insert(path, *running);
            continue;
        }
        TThumbRequest request = requestFor(path);
        TJobHandle job = FOwner.Submit(
            [request = std::move(request)](TJobContext& context) {
                return MakeThumbnail(request, [&context] { return context.StopRequested(); });
            },
            {.Generation = generation, .Priority = priority});
        FPathOfJob.insert(job.Id(), path);
        kept.insert(path, job);
    }
    for (auto it = FJobs.begin(); it != FJobs.end(); ++it)
        if (!kept.contains(it.key())) {
            it->Cancel();
            FPathOfJob.remove(it->Id());
        }
    FJobs = std::move(kept);
}

bool TThumbProducer::event(QEvent* event) {
    if (event->type() != TJobFinishedEvent::EventType()) return QObject::event(event);
    auto* done = static_cast<TJobFinishedEvent*>(event);
    const QString path = FPathOfJob.take(done->JobId());
    if (!path.isNull() && FJobs.value(path).Id() == done->JobId()) FJobs.remove(path);
    if (done->State() == TJobState::Done)
        if (auto* result = done->Result<TThumbResult>()) finished(*result, done->Generation());
    return true;
}

void TThumbProducer::finished(const TThumbResult& result, uint64_t generation) {
    if (!result.WrittenName.isEmpty()) FDisk.Record(result.Path, result.WrittenName);
    if (result.MTime && !result.Dimensions.isEmpty())
        FDimensions.Store(result.Path, result.Dimensions, *result.MTime);
    FRing.Store(result.Path, {result.Thumb, result.Kind == TThumbKind::Error});
    if (OnThumbReady) OnThumbReady(result.Path, generation);
}

void TThumbProducer::Invalidate(const QString& path, TCacheKind kind) {
    const bool memory = kind != TCacheKind::Disk, disk = kind != TCacheKind::Memory;
    if (path.isEmpty()) {
        if (memory) FRing.Clear();
        if (disk) FDisk.Clear();
        return;
    }
    if (memory) FRing.Invalidate(path);
    if (disk) FDisk.Remove(path);
}

void TThumbProducer::deletethumb(const QString& path) {
    if (auto job = FJobs.find(path); job != FJobs.end()) {
        job->Cancel();
        FPathOfJob.remove(job->Id());
        FJobs.erase(job);
    }
    Invalidate(path, TCacheKind::Both);
    FDimensions.Remove(path);
}

void TThumbProducer::Flush() {
    FDisk.Save();
    FDimensions.Flush();
}
