#include "thumb_dimensions.h"

#include "descriptions.h"
#include "format_registry.h"
#include "pg_stream.h"
#include "safe_file.h"
#include "thumb_files.h"

#include <QFileInfo>

namespace {
// The value keeps the time after the last comma; a dimension text has no comma.
QString storedValue(const QString& text, int64_t mtime) {
    return text + QLatin1Char(',') + QString::number(mtime);
}

std::optional<QString> textOf(const QString& value, int64_t mtime) {
    const qsizetype comma = value.lastIndexOf(QLatin1Char(','));
    if (comma <= 0) return std::nullopt;
    bool ok = false;
    const qlonglong stored = value.mid(comma + 1).toLongLong(&ok);
    if (!ok || stored != mtime) return std::nullopt;
    return value.left(comma);
}

QString headerDimensions(const QString& path, std::optional<int64_t>& mtime) {
    std::optional<TOpenedFile> opened = OpenRegularFile(path);
    if (!opened) return {};
    mtime = opened->Stamp.MTime;
    try {
        TStream& stream = *opened->Stream;
        const std::string extension = QFileInfo(path).suffix().toStdString();
        const TFileFormatReader* reader = PGRegistry().FindReader(stream, extension);
        if (!reader) return {};
        TPGImageInfo info;
        reader->GetInfo(stream, 0, info);
        if (info.Width <= 0 || info.Height <= 0) return {};
        return QStringLiteral("%1x%2x%3bit").arg(info.Width).arg(info.Height).arg(info.BitCount);
    } catch (...) {
        return {};
    }
}
} // namespace

TCachedDoubleStringList::~TCachedDoubleStringList() {
    Flush();
}

void TCachedDoubleStringList::SetCacheDirectory(const QString& folder) {
    Flush();
    FDirectory = folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder : folder + '/';
    FFile.reset();
    FFileRead = false;
}

TIniFile* TCachedDoubleStringList::file() {
    if (FDirectory.isEmpty()) return nullptr;
    if (!FFileRead) {
        FFileRead = true;
        FFile = TIniFile::Load(FDirectory + CacheFilename);
    }
    return FFile ? &*FFile : nullptr;
}

std::optional<QString> TCachedDoubleStringList::Lookup(const QString& path, int64_t mtime) {
    if (auto found = FByPath.find(path); found != FByPath.end()) {
        const TPair& pair = **found;
        if (pair.MTime == mtime) return pair.Text;
        return std::nullopt;
    }
    TIniFile* ini = file();
    if (!ini) return std::nullopt;
    const std::optional<QString> value = ini->ReadString(Section, EncodeDescriptionKey(path));
    return value ? textOf(*value, mtime) : std::nullopt;
}

void TCachedDoubleStringList::forget(const QString& path) {
    if (auto found = FByPath.find(path); found != FByPath.end()) {
        FPairs.erase(*found);
        FByPath.erase(found);
    }
}

void TCachedDoubleStringList::Store(const QString& path, const QString& text, int64_t mtime) {
    if (text.isEmpty()) {
        Remove(path);
        return;
    }
    forget(path);
    FPairs.push_back({path, text, mtime});
    FByPath.insert(path, std::prev(FPairs.end()));
    while (FPairs.size() > static_cast<size_t>(MemoryCacheCount)) forget(FPairs.front().Path);
    if (TIniFile* ini = file())
        ini->WriteString(Section, EncodeDescriptionKey(path), storedValue(text, mtime));
}

void TCachedDoubleStringList::Remove(const QString& path) {
    forget(path);
    if (TIniFile* ini = file()) ini->DeleteKey(Section, EncodeDescriptionKey(path));
}

void TCachedDoubleStringList::Flush() {
    if (!FFile || !FFile->Modified()) return;
    try {
        FFile->Save(FDirectory + CacheFilename);
    } catch (const EFileWriteError&) {
        // A cache never reports; the changes stay for the next flush.
    }
}

QString GetImageDimensions(TCachedDoubleStringList& cache, const QString& path, bool useCache) {
    if (useCache) {
        if (std::optional<TFileStamp> stamp = RegularFileStamp(path))
            if (std::optional<QString> text = cache.Lookup(path, stamp->MTime)) return *text;
    }
    std::optional<int64_t> mtime;
    const QString text = headerDimensions(path, mtime);
    if (useCache && mtime && !text.isEmpty()) cache.Store(path, text, *mtime);
    return text;
}
