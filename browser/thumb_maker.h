#pragma once
// Making one thumbnail, on a worker thread: our cache file when the index named one, else a
// shared desktop thumbnail of the file, else a fresh decode fitted into the box; then the cache
// file written under a temporary name and renamed. Nothing here touches the caches' memory: the
// result travels to the user-interface thread, which records it.

#include "thumb_names.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct TThumbRequest {
    QString Path;
    QSize Box{90, 75};
    // The file the disk index records for the path under today's name; empty: none.
    QString CachedFile;
    // Where a new thumbnail goes; empty: it stays in memory.
    QString CacheFolder;
    // How its name is made; the time is that of the file as it was read.
    TThumbNameParts Naming;
    bool Supported = true; // the extension is among the formats thumbnails are made for
    // The shared thumbnail folder, read after our cache; empty: not used.
    QString SharedRoot;
    bool WriteShared = false; // after a decode, a shared thumbnail is written too
    QString ErrorThumb, NonSupportedFormatThumb; // picture files, may be empty
};

enum class TThumbKind { Picture, NotSupported, Error };

struct TThumbResult {
    QString Path;
    QImage Thumb; // Format_RGB32 at the fitted size; null when nothing could be shown
    TThumbKind Kind = TThumbKind::Picture;
    QString Dimensions;  // of the source, when it was read
    QString WrittenName; // the cache file written, empty when none
    std::optional<int64_t> MTime;
};

// Answers true when the job is to stop; asked between steps and during decoding.
using TThumbStop = std::function<bool()>;

// The cache and error pictures never reach the disk cache.
TThumbResult MakeThumbnail(const TThumbRequest& request, const TThumbStop& stop);

class TPixelGraphic;
// The picture upright, in the format thumbnails are held in.
QImage PictureToRGB32(const TPixelGraphic& image);

// Files whose extension is ".jpg", ".jpe" or ".jpeg" in any case.
bool IsJpegName(const QString& path);
