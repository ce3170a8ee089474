#pragma once
// The disk cache's index "~cche.idx": one line per thumbnail file, "name<TAB>path", least
// recently used first. The name is the one the file was written under, so eviction and
// invalidation delete exactly that file even after the source changed. Used on the
// user-interface thread only; the jobs write the files and the index records them.

#include <QHash>
#include <QString>

#include <list>
#include <optional>

class TThumbDiskIndex {
public:
    static constexpr int NoLimit = 9999;
    static constexpr int SaveEvery = 31;

    TThumbDiskIndex() = default;
    // Saves what is not saved yet.
    ~TThumbDiskIndex();
    TThumbDiskIndex(const TThumbDiskIndex&) = delete;
    TThumbDiskIndex& operator=(const TThumbDiskIndex&) = delete;

    // Saves the old folder's index, then makes the new folder when missing and loads its index.
    // An unreadable index starts empty; after a readable or missing one, files of the cache's
    // name pattern that the index does not name (left by a crash) are deleted. Empty: off.
    void SetFolder(const QString& folder);
    QString Folder() const { return FFolder; }
    // Most entries; 0 turns the disk cache off, lookups too; NoLimit keeps everything.
    void SetLimit(int limit);
    int Limit() const { return FLimit; }
    bool Enabled() const { return !FFolder.isEmpty() && FLimit > 0; }
    int Count() const { return static_cast<int>(FEntries.size()); }

    // The file of the path's thumbnail when the index records it under the expected name; the
    // hit becomes the most recent entry. A different recorded name is a stale thumbnail: its
    // file and entry are removed.
    std::optional<QString> Lookup(const QString& path, const QString& expectedName);
    // Records a file just written under name: an older entry of the path goes first (with its
    // file when the name differs), then the oldest entries while over the limit. Paths with a
    // line break cannot be written as one line and are refused (the file is deleted).
    void Record(const QString& path, const QString& name);
    // The entry and exactly its recorded file.
    void Remove(const QString& path);
    // Every entry and file.
    void Clear();
    // Atomically; an empty index deletes the file. Failures leave the old file.
    void Save();

    QString FilePath(const QString& name) const;
    QString IndexPath() const;

private:
    struct TEntry {
        QString Name, Path;
    };
    using TEntries = std::list<TEntry>;

    void load();
    void sweep() const;
    void erase(TEntries::iterator entry, bool deleteFile);
    void append(const QString& path, const QString& name);
    void evict();
    void changed();

    QString FFolder;
    int FLimit = 500;
    TEntries FEntries;
    QHash<QString, TEntries::iterator> FByPath;
    int FUnsaved = 0; // entries added since the last save
    bool FDirty = false;
};
