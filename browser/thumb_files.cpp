#include "thumb_files.h"

#include "pg_stream.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
TFileStamp stampOf(const struct stat& st) {
    return {static_cast<int64_t>(st.st_mtime), static_cast<int64_t>(st.st_size)};
}
} // namespace

std::optional<TFileStamp> RegularFileStamp(const QString& path) {
    struct stat st {};
    if (::stat(path.toUtf8().constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampOf(st);
}

std::optional<TOpenedFile> OpenRegularFile(const QString& path) {
    const int fd = ::open(path.toUtf8().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return std::nullopt;
    }
    return TOpenedFile{std::make_unique<TFileStream>(file), stampOf(st)};
}
