#include "pg_stream.h"

#include <algorithm>
#include <cstring>

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (Write(buffer, count) != count) throw EStreamError("Stream write error");
}

namespace {

int64_t seekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::Begin     ? 0
                   : origin == TSeekOrigin::Current ? position
                                                    : size;
    int64_t target = base + offset;
    if (target < 0) throw EStreamError("Stream seek error");
    return target;
}

int64_t readFrom(std::span<const uint8_t> data, int64_t& position, void* buffer, int64_t count) {
    int64_t size = static_cast<int64_t>(data.size());
    if (count <= 0 || position >= size) return 0;
    int64_t n = std::min(count, size - position);
    std::memcpy(buffer, data.data() + position, static_cast<size_t>(n));
    position += n;
    return n;
}

} // namespace

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    return readFrom(FData, FPosition, buffer, count);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    size_t end = static_cast<size_t>(FPosition + count);
    if (end > FData.size()) FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    FPosition = seekTarget(FPosition, Size(), offset, origin);
    return FPosition;
}

int64_t TBorrowedStream::Read(void* buffer, int64_t count) {
    return readFrom(FData, FPosition, buffer, count);
}

int64_t TBorrowedStream::Write(const void*, int64_t) {
    throw EStreamError("Stream write error");
}

int64_t TBorrowedStream::Seek(int64_t offset, TSeekOrigin origin) {
    FPosition = seekTarget(FPosition, Size(), offset, origin);
    return FPosition;
}

TFileStream::TFileStream(const std::filesystem::path& path, TMode mode) {
    FFile = std::fopen(path.c_str(), mode == fmOpenRead ? "rb" : "w+b");
    if (!FFile)
        throw EStreamError((mode == fmOpenRead ? "Cannot open file \"" : "Cannot create file \"") +
                           path.string() + "\". " + std::strerror(errno));
    if (mode == fmOpenRead) {
        fseeko(FFile, 0, SEEK_END);
        FReadSize = ftello(FFile);
        fseeko(FFile, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}

void TFileStream::Close() {
    if (!FFile) return;
    bool ok = std::fflush(FFile) == 0;
    ok = std::fclose(FFile) == 0 && ok;
    FFile = nullptr;
    if (!ok) throw EStreamError("Stream write error");
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::Begin     ? SEEK_SET
                 : origin == TSeekOrigin::Current ? SEEK_CUR
                                                  : SEEK_END;
    if (!(origin == TSeekOrigin::Current && offset == 0) && fseeko(FFile, offset, whence) != 0)
        throw EStreamError("Stream seek error");
    return ftello(FFile);
}

int64_t TFileStream::Size() {
    if (FReadSize >= 0) return FReadSize;
    off_t here = ftello(FFile);
    fseeko(FFile, 0, SEEK_END);
    off_t size = ftello(FFile);
    fseeko(FFile, here, SEEK_SET);
    return size;
}
