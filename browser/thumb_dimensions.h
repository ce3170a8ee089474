#pragma once
// The image-dimension cache: the newest pairs of path and dimension text in memory, and every
// pair in the profile file "~ImgeDim.che" of the cache folder, section "Dimensions_Cache". A
// text is stored with the file's modification time and used only while the time matches. The
// file is read once and written behind, atomically, by Flush and on destruction.

#include "ini_file.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <list>
#include <optional>

class TCachedDoubleStringList {
public:
    static constexpr int MemoryCacheCount = 1000;
    static inline const QString CacheFilename = QStringLiteral("~ImgeDim.che");
    static inline const QString Section = QStringLiteral("Dimensions_Cache");

    TCachedDoubleStringList() = default;
    ~TCachedDoubleStringList();
    TCachedDoubleStringList(const TCachedDoubleStringList&) = delete;
    TCachedDoubleStringList& operator=(const TCachedDoubleStringList&) = delete;

    // Flushes the old file first; empty: memory only.
    void SetCacheDirectory(const QString& folder);
    QString CacheDirectory() const { return FDirectory; }

    // Memory first, then the file (an answer from the file stays out of memory).
    std::optional<QString> Lookup(const QString& path, int64_t mtime);
    // An empty text removes the pair.
    void Store(const QString& path, const QString& text, int64_t mtime);
    void Remove(const QString& path);
    // Writes the file when it changed; a failed write keeps the old file and the changes.
    void Flush();

private:
    struct TPair {
        QString Path, Text;
        int64_t MTime;
    };
    using TPairs = std::list<TPair>;

    TIniFile* file();
    void forget(const QString& path);

    QString FDirectory;
    std::optional<TIniFile> FFile;
    bool FFileRead = false;
    TPairs FPairs; // oldest first
    QHash<QString, TPairs::iterator> FByPath;
};

// width "x" height "x" bits "bit", as 640x480x24bit, from the image's header; empty for a file
// that is no readable picture or has no size. With useCache the cache answers first, and a
// text read from the header is stored.
QString GetImageDimensions(TCachedDoubleStringList& cache, const QString& path, bool useCache);
