#pragma once
// Thumbnails shared with other desktop programs under $XDG_CACHE_HOME/thumbnails: read when
// their keys match the file, written after a decode in the box's size class as 8-bit RGBA PNG
// with the keys, in folders only the user can enter and files only the user can read.

#include "thumb_files.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails.
QString SharedThumbRoot();

struct TSharedThumbClass {
    const char* Folder; // "normal", "large", "x-large"
    int Size;           // 128, 256, 512
};
// The smallest class whose size covers the box; the largest for bigger boxes.
TSharedThumbClass SharedThumbClassFor(QSize box);

// The thumbnail of the class or a larger one whose Thumb::URI and Thumb::MTime match the file
// (and Thumb::Size, where present), fitted into the box.
std::optional<QImage> ReadSharedThumb(const QString& root, const QString& path,
                                      const TFileStamp& stamp, QSize box);

// Whether a file lies inside one of the folders; their own thumbnails are never written.
bool InsideFolder(const QString& path, const QString& folder);

// The picture (any size) fitted into the box's class, never enlarged, written under a
// temporary name and renamed. False when nothing was written.
bool WriteSharedThumb(const QString& root, const QString& path, const TFileStamp& stamp, QSize box,
                      const QImage& picture);
