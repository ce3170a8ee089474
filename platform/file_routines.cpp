#include "file_routines.h"

#include "path_text.h"
#include "prompter.h"
#include "safe_file.h"
#include "user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool StatOf(const QString& path, struct stat& st) {
    return ::stat(Native(path).constData(), &st) == 0;
}

QString AbsoluteClean(const QString& path) {
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path
                                                      : QDir::current().absoluteFilePath(path));
}

// Whether the entry of an open folder is a regular file, links followed.
bool IsRegularEntry(int folder, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::fstatat(folder, entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

void CheckCopyAllowed(const QString& from, const QString& to, bool overwrite) {
    if (!SafeFileExists(from)) throw EQFileError(("Cannot open file " + from).toStdString());
    if (IsSameFile(from, to))
        throw EQFileError(("Cannot copy " + from + " onto itself").toStdString());
    if (!overwrite && NameTaken(to)) throw EQFileError(("File exists: " + to).toStdString());
}

} // namespace

bool SafeFileExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && StatOf(path, st) && !S_ISDIR(st.st_mode);
}

bool SafeFolderExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool NameTaken(const QString& path) {
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

bool IsDriveRoot(const QString& path) {
    if (path.isEmpty()) return false;
    const QString clean = AbsoluteClean(path);
    struct stat self {
    }, parent{};
    if (!StatOf(clean, self) || !S_ISDIR(self.st_mode) || !StatOf(clean + "/..", parent))
        return false;
    // The root is its own parent.
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

bool MakeOneFolder(const QString& folder) {
    return ::mkdir(Native(folder).constData(), 0777) == 0;
}

QStringList MissingFolders(const QString& path) {
    QStringList missing;
    QString prefix;
    for (const QString& part : AbsoluteClean(path).split(u'/', Qt::SkipEmptyParts)) {
        prefix += u'/' + part;
        if (!SafeFolderExists(prefix)) missing << prefix;
    }
    return missing;
}

bool CreateFolderChain(const QString& path, const TFolderMaker& make) {
    QStringList made;
    for (const QString& folder : MissingFolders(path)) {
        if (make(folder)) {
            made << folder;
            continue;
        }
        for (auto it = made.crbegin(); it != made.crend(); ++it) ::rmdir(Native(*it).constData());
        return false;
    }
    return true;
}

bool ForceFolder(const QString& path, TPrompter* prompter, bool ask, bool warn,
                 const TFolderMaker& make) {
    if (path.isEmpty()) return false;
    if (SafeFolderExists(path)) return true;
    if (prompter && ask &&
        prompter->Question(TPromptKind::Information,
                           "The folder, " + path +
                               ", does not exist.  Would you like to create it?",
                           {TPromptAnswer::OK, TPromptAnswer::Cancel}) != TPromptAnswer::OK)
        return false;
    if (!CreateFolderChain(path, make) && prompter && warn)
        prompter->Message(TPromptKind::Warning,
                          "An error was encountered whilst trying to create the folder, " + path +
                              ".");
    return SafeFolderExists(path);
}

void CopyFileTo(const QString& from, const QString& to, bool overwrite, bool checkSizes) {
    CheckCopyAllowed(from, to, overwrite);
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw EQFileError(("Cannot open file " + from).toStdString());
    try {
        WriteFileAtomically(to, [&](QIODevice& target) {
            char buffer[1 << 16];
            for (qint64 got; (got = source.read(buffer, sizeof buffer)) != 0;) {
                if (got < 0 || target.write(buffer, got) != got)
                    throw EFileWriteError(("Cannot copy " + from).toStdString());
            }
        });
    } catch (const EFileWriteError& error) {
        throw EQFileError(error.what());
    }
    if (checkSizes && QFileInfo(to).size() != source.size())
        throw EQFileError(("The copy of " + from + " is incomplete").toStdString());
}

QString UniqueFileName(const QString& wanted, const QString& separator) {
    if (!NameTaken(wanted)) return wanted;
    const QString stem = FolderOf(wanted) + JustName(wanted) + separator;
    const QString extension = FileExtension(wanted);
    for (int n = 2; n <= 20'000'000; ++n) {
        const QString candidate = stem + QString::number(n) + extension;
        if (!NameTaken(candidate)) return candidate;
    }
    return {};
}

QString UniqueFolderName(const QString& wanted, const QString& separator) {
    if (!NameTaken(RemoveSlash(wanted))) return wanted;
    const QString stem = RemoveSlash(wanted) + separator;
    for (int n = 2; n <= 20'000'000; ++n) {
        const QString candidate = stem + QString::number(n);
        if (!NameTaken(candidate)) return candidate;
    }
    return {};
}

QString TempFileFor(const QString& privateFolder, const QString& name) {
    if (privateFolder.isEmpty() || !SafeFolderExists(privateFolder)) return {};
    return UniqueFileName(AddSlash(privateFolder) + name, QStringLiteral("_"));
}

std::optional<QStringList> FileNamesIn(const QString& folder) {
    DIR* dir = ::opendir(Native(folder).constData());
    if (!dir) return std::nullopt;
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        if (IsRegularEntry(::dirfd(dir), *entry)) names << QFile::decodeName(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<QStringList> ListFiles(const QString& folder, const QString& masks, TListForm form,
                                     TPrompter* prompter) {
    const std::optional<QStringList> names = FileNamesIn(folder);
    if (!names) {
        if (prompter)
            prompter->Message(TPromptKind::Information,
                              "Unable to change to the folder, " + folder + ".");
        return std::nullopt;
    }
    QStringList listed;
    for (const QString& name : *names) {
        if (!ExtInList(name, masks)) continue;
        if (form == TListForm::FullPaths)
            listed << AddSlash(folder) + name;
        else
            listed << (form == TListForm::Names ? name : JustName(name));
    }
    return listed;
}

bool DeleteFilesByMask(const QString& folder, const QString& pattern) {
    if (folder.isEmpty() || pattern.isEmpty()) throw EError("No values specified");
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern));
    const std::optional<QStringList> names = FileNamesIn(folder);
    if (!names) return false;
    bool deleted = true;
    for (const QString& name : *names)
        if (match.match(name).hasMatch() && !QFile::remove(AddSlash(folder) + name))
            deleted = false;
    return deleted;
}

QString ShellFolder(const QString& name) {
    const QString upper = name.toUpper();
    if (upper == "MY PICTURES") return PicturesFolder();
    struct TShellFolder {
        const char* Name;
        QStandardPaths::StandardLocation Location;
    };
    static const TShellFolder folders[] = {
        {"PERSONAL", QStandardPaths::DocumentsLocation},
        {"DESKTOP", QStandardPaths::DesktopLocation},
        {"MY MUSIC", QStandardPaths::MusicLocation},
        {"MY VIDEO", QStandardPaths::MoviesLocation},
        {"LOCAL APPDATA", QStandardPaths::GenericDataLocation},
        {"APPDATA", QStandardPaths::GenericConfigLocation},
        // File-manager shortcuts to programs are desktop entries among the applications.
        {"SENDTO", QStandardPaths::ApplicationsLocation},
    };
    for (const TShellFolder& folder : folders)
        if (upper == folder.Name)
            return AddSlash(QStandardPaths::writableLocation(folder.Location));
    return {};
}

QString ShortPathName(const QString& path) {
    return path.isEmpty() ? path : AbsoluteClean(path);
}

QString longPathName(const QString& path) {
    if (path.isEmpty()) return path;
    const QString clean = AbsoluteClean(path);
    struct stat st {};
    if (::lstat(Native(clean).constData(), &st) == 0) return clean;
    return errno == ENOENT || errno == ENOTDIR ? QString() : path;
}
