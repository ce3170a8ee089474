#include "safe_file.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void Fail(const char* what, const QString& target, const QString& reason) {
    throw EFileWriteError(
        QStringLiteral("%1 \"%2\". %3").arg(QString::fromUtf8(what), target, reason).toStdString());
}

TRenameResult FromErrno(int error) {
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return TRenameResult::TargetExists;
    case EXDEV:
        return TRenameResult::OtherFileSystem;
    default:
        return TRenameResult::Failed;
    }
}

// The new name is another spelling of the very file being renamed, not a second name of it: a
// hard-linked file (more than one link) counts as a different file, a symbolic link (lstat) too.
bool IsRespelling(const QString& from, const QString& to) {
    struct stat a {
    }, b{};
    if (::lstat(Native(from).constData(), &a) != 0 || ::lstat(Native(to).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && (S_ISDIR(a.st_mode) || a.st_nlink == 1);
}

// Answers for a new name that is taken.
TRenameResult RenameOverRespelling(const QString& from, const QString& to) {
    if (!IsRespelling(from, to)) return TRenameResult::TargetExists;
    return std::rename(Native(from).constData(), Native(to).constData()) == 0
               ? TRenameResult::Renamed
               : FromErrno(errno);
}

bool StatBoth(const QString& a, const QString& b, struct stat& sa, struct stat& sb) {
    return ::stat(Native(a).constData(), &sa) == 0 && ::stat(Native(b).constData(), &sb) == 0;
}

} // namespace

void WriteFileAtomically(const QString& target, const std::function<void(QIODevice&)>& writer) {
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) Fail("Cannot create file", target, file.errorString());
    writer(file);
    if (!file.commit()) Fail("Cannot write file", target, file.errorString());
}

void WriteFileAtomically(const QString& target, const QByteArray& content) {
    WriteFileAtomically(target, [&](QIODevice& device) { device.write(content); });
}

TRenameResult RenameNoReplace(const QString& from, const QString& to) {
    const QByteArray source = Native(from), destination = Native(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, destination.constData(),
                    RENAME_NOREPLACE) == 0)
        return TRenameResult::Renamed;
    const int error = errno;
    if (error == EEXIST) return RenameOverRespelling(from, to);
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) return RenameByLink(from, to);
    return FromErrno(error);
}

TRenameResult RenameByLink(const QString& from, const QString& to) {
    const QByteArray source = Native(from), destination = Native(to);
    if (::link(source.constData(), destination.constData()) == 0) {
        if (::unlink(source.constData()) == 0) return TRenameResult::Renamed;
        ::unlink(destination.constData());
        return TRenameResult::Failed;
    }
    const int error = errno;
    if (error == EEXIST) return RenameOverRespelling(from, to);
    if (error != EPERM && error != EOPNOTSUPP && error != EMLINK) return FromErrno(error);
    // No hard link possible here: a folder, or a file system without links. The check and the
    // rename are two steps, the best such a file system allows.
    struct stat st {};
    if (::lstat(destination.constData(), &st) == 0) return RenameOverRespelling(from, to);
    if (errno != ENOENT) return TRenameResult::Failed;
    return std::rename(source.constData(), destination.constData()) == 0 ? TRenameResult::Renamed
                                                                         : FromErrno(errno);
}

bool IsSameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return StatBoth(a, b, sa, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsSameFileSystem(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return StatBoth(a, b, sa, sb) && sa.st_dev == sb.st_dev;
}
