#include "safe_file.h"

#include "user_folders.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void Fail(const char* what, const QString& target, const QString& reason) {
    throw EFileWriteError(
        QStringLiteral("%1 \"%2\". %3").arg(QString::fromUtf8(what), target, reason).toStdString());
}

[[noreturn]] void Fail(const char* what, const QString& target, int error,
                       const QString& more = {}) {
    Fail(what, target, QString::fromLocal8Bit(std::strerror(error)) + more);
}

mode_t CurrentUmask() {
    // umask() can only be read by setting it, which races with other threads; ask the kernel.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(line.mid(6).trimmed().toUInt(nullptr, 8));
    return 022;
}

// The file a save replaces: links followed to where they end, a relative one read from its own
// folder. The end need not exist yet.
fs::path FinalTarget(const QString& target) {
    fs::path path = Native(target).toStdString();
    for (int links = 0; links < 40; ++links) { // the kernel's limit on a chain of links
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) Fail("Cannot create file", target, error.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    Fail("Cannot create file", target, ELOOP);
}

// Why the user may not write over the file (an errno), 0 when they may: the kernel's answer for
// the effective ids, which weighs modes, ACLs, read-only mounts and immutable files. Root may
// write anything, so for root a file without a single write bit is one kept read-only.
int WriteRefusal(const fs::path& file, const struct stat& old) {
    if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return ::geteuid() == 0 && (old.st_mode & 0222) == 0 ? EACCES : 0;
}

// The replacement takes the old file's owner, group and mode. Only root may give a file away, so
// a refused owner is borne, a refused group is not. A new owner or group clears set-id bits, so
// the mode comes last.
int CarryOver(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        (errno != EPERM || ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0))
        return errno;
    return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

// Writes the complete new file over the old one in place, so that its inode, owner and mode
// stay; the old length is cut only after all the new bytes are there.
int CopyOver(int from, const fs::path& file) {
    const int to = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (to < 0) return errno;
    int error = 0;
    char buffer[1 << 16];
    off_t offset = 0;
    while (error == 0) {
        const ssize_t count = ::pread(from, buffer, sizeof buffer, offset);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (count < 0) error = errno;
            break;
        }
        for (ssize_t done = 0; done < count;) {
            const ssize_t written =
                ::pwrite(to, buffer + done, static_cast<size_t>(count - done), offset + done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                error = written < 0 ? errno : EIO;
                break;
            }
            done += written;
        }
        offset += count;
    }
    if (error == 0 && (::ftruncate(to, offset) != 0 || ::fsync(to) != 0)) error = errno;
    if (::close(to) != 0 && error == 0) error = errno;
    return error;
}

// Closes a descriptor when it goes, whichever way the write ends.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : FFd(fd) {}
    ~TDescriptor() { ::close(FFd); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;

private:
    int FFd;
};

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
    const fs::path file = FinalTarget(target);
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    if (const int refusal = exists ? WriteRefusal(file, old) : 0)
        Fail("Cannot create file", target, refusal);

    fs::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    const bool inPlace = fd < 0;
    if (inPlace) {
        const int error = errno;
        // A folder that takes no new file may still let its files be written.
        if (!exists || !S_ISREG(old.st_mode) ||
            (error != EACCES && error != EPERM && error != EROFS))
            Fail("Cannot create file", target, error);
        const QString spare = RuntimeFolder();
        if (spare.isEmpty()) Fail("Cannot create file", target, error);
        // The extension stays last, so that the user can open a file kept there.
        const std::string extension = file.extension().string();
        temp =
            (fs::path(Native(spare).toStdString()) / (file.stem().string() + "-XXXXXX" + extension))
                .string();
        fd = ::mkostemps(temp.data(), static_cast<int>(extension.size()), O_CLOEXEC);
        if (fd < 0) Fail("Cannot create file", target, error);
    }
    const TDescriptor descriptor(fd);
    try {
        QFile device;
        if (!device.open(fd, QIODevice::ReadWrite, QFileDevice::DontCloseHandle))
            Fail("Cannot create file", target, device.errorString());
        writer(device);
        if (!device.flush() || device.error() != QFileDevice::NoError)
            Fail("Cannot write file", target, device.errorString());
        if (::fsync(fd) != 0) Fail("Cannot write file", target, errno);
        if (!inPlace) {
            const int error = exists ? CarryOver(fd, old)
                                     : (::fchmod(fd, 0666 & ~CurrentUmask()) == 0 ? 0 : errno);
            if (error != 0) Fail("Cannot write file", target, error);
            if (std::rename(temp.c_str(), file.c_str()) != 0)
                Fail("Cannot write file", target, errno);
            return;
        }
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (const int error = CopyOver(fd, file))
        Fail("Cannot write file", target, error,
             QStringLiteral(". The complete new file is kept as \"%1\".")
                 .arg(QFile::decodeName(temp.c_str())));
    ::unlink(temp.c_str());
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
