#include "folders.h"

#include <QDir>

#include "user_folders.h"

QString TFolders::GetFolder(TFolderKind kind) const {
    switch (kind) {
    case TFolderKind::Program:
        return Program;
    case TFolderKind::Cache:
        return Cache.isEmpty() ? Temporary : Cache;
    case TFolderKind::Data:
        return Data;
    case TFolderKind::Current: {
        const QString current = QDir::currentPath();
        return current.endsWith(u'/') ? current : current + u'/';
    }
    case TFolderKind::Temporary:
        return Temporary;
    case TFolderKind::Pictures:
        return Pictures.isEmpty() ? Data : Pictures;
    }
    return {};
}

TFolders UserFolders(const QString& dataFolder, const QString& temporaryFolder) {
    const QString program = ProgramFolder();
    return {program,          dataFolder,      CacheFolder(),
            PicturesFolder(), temporaryFolder, ResourceFolderOf(program)};
}

QString ResourceFolderOf(const QString& programFolder) {
    return QDir::cleanPath(programFolder + "../share/glimmet") + u'/';
}

std::optional<QString> GetPathInfo(const QString& text) {
    const qsizetype first = text.indexOf(u'!');
    const qsizetype second = first < 0 ? -1 : text.indexOf(u'!', first + 1);
    if (second < 0) return std::nullopt;
    return text.mid(second + 1);
}

std::optional<QString> fixpath(const QString& path, bool trailingSeparator,
                               const QString& programFolder) {
    QString result = path.trimmed();
    if (result.isEmpty()) return result;
    if (result.startsWith(u'!')) {
        std::optional<QString> inner = GetPathInfo(result);
        if (!inner) return std::nullopt;
        result = inner->trimmed();
        if (result.isEmpty()) return result;
    }
    if (result.startsWith(u'$')) {
        QString program = programFolder;
        if (program.endsWith(u'/')) program.chop(1);
        result = program + result.mid(1);
    }
    while (result.size() > 1 && result.endsWith(u'/')) result.chop(1);
    if (trailingSeparator && !result.endsWith(u'/')) result += u'/';
    return result;
}
