#include "user_folders.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString WithSlash(const QString& path) {
    QString clean = QDir::cleanPath(path);
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

// An XDG base folder: the variable when it holds an absolute path, else the home's default.
QString XdgHome(const char* variable, const QString& defaultBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    if (value.startsWith(u'/')) return WithSlash(value);
    return HomeFolder() + defaultBelowHome;
}

// A user-dirs.dirs value: "$HOME/Pictures" or "/absolute/path", double-quoted, with backslash
// escapes.
QString UserDirValue(const QString& quoted) {
    if (quoted.size() < 2 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"')) return {};
    QString value;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == u'\\' && i + 2 < quoted.size()) ++i;
        value += quoted[i];
    }
    if (value == "$HOME") return HomeFolder();
    if (value.startsWith("$HOME/")) return WithSlash(HomeFolder() + value.mid(6));
    if (value.startsWith(u'/')) return WithSlash(value);
    return {};
}

// A folder that is ours alone: a real directory (not a link), owned by us, closed to others.
// makePrivate closes a folder of ours that others could enter.
bool IsPrivateFolder(const QString& path, bool makePrivate) {
    struct stat st {};
    if (::lstat(Native(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) == 0) return true;
    return makePrivate && ::chmod(Native(path).constData(), 0700) == 0;
}

} // namespace

QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (home.startsWith(u'/')) return WithSlash(home);
    if (const passwd* entry = ::getpwuid(::getuid()))
        return WithSlash(QFile::decodeName(entry->pw_dir));
    return QStringLiteral("/");
}

QString ConfigFolder() {
    return XdgHome("XDG_CONFIG_HOME", QStringLiteral(".config/")) + "Corvane/";
}

QString DataFolder() {
    return XdgHome("XDG_DATA_HOME", QStringLiteral(".local/share/")) + "Corvane/Glimmet/";
}

QString CacheFolder() {
    return XdgHome("XDG_CACHE_HOME", QStringLiteral(".cache/")) + "Corvane/Common/Cache/";
}

QString PicturesFolder() {
    QFile file(XdgHome("XDG_CONFIG_HOME", QStringLiteral(".config/")) + "user-dirs.dirs");
    if (file.open(QIODevice::ReadOnly)) {
        const QString prefix = QStringLiteral("XDG_PICTURES_DIR=");
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (!trimmed.startsWith(prefix)) continue;
            const QString folder = UserDirValue(trimmed.mid(prefix.size()));
            if (!folder.isEmpty()) return folder;
        }
    }
    return HomeFolder() + "Pictures/";
}

QString RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(u'/') && IsPrivateFolder(runtime, false)) return WithSlash(runtime);
    // Per machine, since a home folder may be shared between machines.
    const QString fallback = XdgHome("XDG_CACHE_HOME", QStringLiteral(".cache/")) +
                             "Corvane/Runtime-" + QSysInfo::machineHostName() + u'/';
    if (EnsurePrivateFolder(fallback) && IsPrivateFolder(fallback, true)) return fallback;
    return {};
}

QString ProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return WithSlash(QFile::decodeName(exe.parent_path().c_str()));
}

bool EnsurePrivateFolder(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(u'/')) return false;
    QString current;
    for (const QString& part : clean.split(u'/', Qt::SkipEmptyParts)) {
        current += u'/' + part;
        if (::mkdir(Native(current).constData(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(Native(clean).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

TPrivateTempFolder::TPrivateTempFolder() {
    QString base = qEnvironmentVariable("TMPDIR");
    if (!base.startsWith(u'/')) base = QStringLiteral("/tmp");
    QByteArray pattern = Native(WithSlash(base) + "glimmet-XXXXXX");
    if (::mkdtemp(pattern.data())) FPath = WithSlash(QFile::decodeName(pattern));
}

TPrivateTempFolder::~TPrivateTempFolder() {
    if (!FPath.isEmpty()) QDir(FPath).removeRecursively();
}
