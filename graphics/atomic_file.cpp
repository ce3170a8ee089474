#include "atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

mode_t currentUmask() {
    // umask() can only be read by setting it, which races with other threads; ask the kernel.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error,
                       const std::string& more = {}) {
    throw EStreamError(what + " \"" + path.string() + "\". " + std::strerror(error) + more);
}

std::mutex fallbackLock;
fs::path fallbackFolder; // guarded by fallbackLock

fs::path fallback() {
    const std::lock_guard lock(fallbackLock);
    if (!fallbackFolder.empty()) return fallbackFolder;
    std::vector<std::string> bases;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"})
        if (const char* value = std::getenv(variable); value && value[0] == '/')
            bases.emplace_back(value);
    bases.emplace_back("/tmp");
    for (const std::string& base : bases) {
        std::string pattern = base + "/glimmet-XXXXXX";
        if (::mkdtemp(pattern.data())) return fallbackFolder = pattern;
    }
    return {};
}

// The file a save replaces: links followed to where they end, a relative one read from its own
// folder. The end need not exist yet.
fs::path finalTarget(const fs::path& target) {
    fs::path path = target;
    for (int links = 0; links < 40; ++links) { // the kernel's limit on a chain of links
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) fail("Cannot create file", target, error.value());
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    fail("Cannot create file", target, ELOOP);
}

// Why the user may not write over the file (an errno), 0 when they may: the kernel's answer for
// the effective ids, which weighs modes, ACLs, read-only mounts and immutable files. Root may
// write anything, so for root a file without a single write bit is one kept read-only.
int writeRefusal(const fs::path& file, const struct stat& old) {
    if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return ::geteuid() == 0 && (old.st_mode & 0222) == 0 ? EACCES : 0;
}

// The replacement takes the old file's owner, group and mode. Only root may give a file away, so
// a refused owner is borne, a refused group is not. A new owner or group clears set-id bits, so
// the mode comes last.
int carryOver(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        (errno != EPERM || ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0))
        return errno;
    return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

// Writes the complete new file over the old one in place, so that its inode, owner and mode
// stay; the old length is cut only after all the new bytes are there.
int copyOver(int from, const fs::path& file) {
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

} // namespace

void PGSetAtomicFallbackFolder(const fs::path& folder) {
    const std::lock_guard lock(fallbackLock);
    fallbackFolder = folder;
}

void PGWriteFileAtomically(const fs::path& target, const std::function<void(TStream&)>& write) {
    const fs::path file = finalTarget(target);
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    if (const int refusal = exists ? writeRefusal(file, old) : 0)
        fail("Cannot create file", target, refusal);

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
            fail("Cannot create file", target, error);
        const fs::path spare = fallback();
        if (spare.empty()) fail("Cannot create file", target, error);
        // The extension stays last, so that the user can open a file kept there.
        const std::string extension = file.extension().string();
        temp = (spare / (file.stem().string() + "-XXXXXX" + extension)).string();
        fd = ::mkostemps(temp.data(), static_cast<int>(extension.size()), O_CLOEXEC);
        if (fd < 0) fail("Cannot create file", target, error);
    }
    std::FILE* handle = ::fdopen(fd, "w+b");
    if (!handle) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        fail("Cannot create file", target, error);
    }
    TFileStream stream(handle);
    try {
        write(stream);
        if (std::fflush(handle) != 0 || ::fsync(fd) != 0) fail("Cannot write file", target, errno);
        if (!inPlace) {
            const int error = exists ? carryOver(fd, old)
                                     : (::fchmod(fd, 0666 & ~currentUmask()) == 0 ? 0 : errno);
            if (error != 0) fail("Cannot write file", target, error);
            stream.Close();
            if (std::rename(temp.c_str(), file.c_str()) != 0)
                fail("Cannot write file", target, errno);
            return;
        }
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (const int error = copyOver(fd, file))
        fail("Cannot write file", target, error,
             ". The complete new file is kept as \"" + temp + "\".");
    ::unlink(temp.c_str());
}
