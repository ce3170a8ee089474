#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t currentUmask() {
    // umask() can only be read by setting it, which races with other threads; ask the kernel.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

mode_t modeForTarget(const std::filesystem::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    return 0666 & ~currentUmask();
}

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw EStreamError(what + " \"" + path.string() + "\". " + std::strerror(errno));
}

} // namespace

void PGWriteFileAtomically(const std::filesystem::path& target,
                           const std::function<void(TStream&)>& write) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (folder / hidden).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) fail("Cannot create file", target);
    const std::filesystem::path temp = pattern;
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        ::close(fd);
        ::unlink(temp.c_str());
        fail("Cannot create file", target);
    }
    try {
        TFileStream stream(file);
        write(stream);
        if (std::fflush(file) != 0 || ::fsync(fd) != 0 || ::fchmod(fd, modeForTarget(target)) != 0)
            fail("Cannot write file", target);
        stream.Close();
        if (std::rename(temp.c_str(), target.c_str()) != 0) fail("Cannot write file", target);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}
