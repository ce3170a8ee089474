#include "thumb_disk_index.h"

#include "safe_file.h"
#include "thumb_names.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>

namespace {
const QString IndexName = QStringLiteral("~cche.idx");

bool hasLineBreak(const QString& path) {
    return path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'));
}
} // namespace

TThumbDiskIndex::~TThumbDiskIndex() {
    Save();
}

QString TThumbDiskIndex::FilePath(const QString& name) const {
    return FFolder + name;
}

QString TThumbDiskIndex::IndexPath() const {
    return FilePath(IndexName);
}

void TThumbDiskIndex::SetFolder(const QString& folder) {
    Save();
    FEntries.clear();
    FByPath.clear();
    FUnsaved = 0;
    FDirty = false;
    FFolder.clear();
    if (folder.isEmpty() || !QDir().mkpath(folder)) return;
    FFolder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    load();
}

void TThumbDiskIndex::SetLimit(int limit) {
    FLimit = std::max(limit, 0);
    evict();
}

void TThumbDiskIndex::load() {
    QFile file(IndexPath());
    if (!file.exists()) {
        sweep();
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) return;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) continue;
        const QString name = line.left(tab);
        const QString path = line.mid(tab + 1);
        if (!IsThumbCacheName(name) || path.isEmpty()) continue;
        if (auto old = FByPath.find(path); old != FByPath.end()) FEntries.erase(*old);
        append(path, name);
    }
    sweep();
    evict();
}

void TThumbDiskIndex::sweep() const {
    QSet<QString> named;
    for (const TEntry& entry : FEntries) named.insert(entry.Name);
    const QStringList files = QDir(FFolder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files)
        if (IsThumbCacheName(name) && !named.contains(name)) QFile::remove(FilePath(name));
}

void TThumbDiskIndex::append(const QString& path, const QString& name) {
    FEntries.push_back({name, path});
    FByPath.insert(path, std::prev(FEntries.end()));
}

void TThumbDiskIndex::erase(TEntries::iterator entry, bool deleteFile) {
    if (deleteFile) QFile::remove(FilePath(entry->Name));
    FByPath.remove(entry->Path);
    FEntries.erase(entry);
    FDirty = true;
}

void TThumbDiskIndex::evict() {
    if (FLimit == NoLimit) return;
    while (static_cast<int>(FEntries.size()) > FLimit) erase(FEntries.begin(), true);
}

std::optional<QString> TThumbDiskIndex::Lookup(const QString& path, const QString& expectedName) {
    if (!Enabled()) return std::nullopt;
    auto found = FByPath.find(path);
    if (found == FByPath.end()) return std::nullopt;
    TEntries::iterator entry = *found;
    if (entry->Name != expectedName) {
        erase(entry, true);
        return std::nullopt;
    }
    FEntries.splice(FEntries.end(), FEntries, entry);
    FDirty = true;
    return FilePath(entry->Name);
}

void TThumbDiskIndex::Record(const QString& path, const QString& name) {
    if (FFolder.isEmpty()) return;
    if (!Enabled() || hasLineBreak(path)) {
        QFile::remove(FilePath(name));
        return;
    }
    if (auto old = FByPath.find(path); old != FByPath.end()) erase(*old, (*old)->Name != name);
    append(path, name);
    evict();
    changed();
}

void TThumbDiskIndex::changed() {
    FDirty = true;
    if (++FUnsaved >= SaveEvery) Save();
}

void TThumbDiskIndex::Remove(const QString& path) {
    if (auto found = FByPath.find(path); found != FByPath.end()) erase(*found, true);
}

void TThumbDiskIndex::Clear() {
    while (!FEntries.empty()) erase(FEntries.begin(), true);
    if (!FFolder.isEmpty()) sweep();
}

void TThumbDiskIndex::Save() {
    if (FFolder.isEmpty() || !FDirty) return;
    FUnsaved = 0;
    FDirty = false;
    if (FEntries.empty()) {
        QFile::remove(IndexPath());
        return;
    }
    QByteArray content;
    for (const TEntry& entry : FEntries)
        content += entry.Name.toUtf8() + '\t' + entry.Path.toUtf8() + '\n';
    try {
        WriteFileAtomically(IndexPath(), content);
    } catch (const EFileWriteError&) {
        FDirty = true; // a cache write never reports; the next save tries again
    }
}
