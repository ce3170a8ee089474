#pragma once
// Byte streams the readers and writers work on: memory, a borrowed byte block, or a file.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

enum class TSeekOrigin { Begin, Current, End };

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; answers how many were read (short only at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Begin); }
    int64_t Remaining() {
        int64_t rest = Size() - Position();
        return rest > 0 ? rest : 0;
    }
    // Exact transfers: a short read or write raises EStreamError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    bool TryReadBuffer(void* buffer, int64_t count) { return Read(buffer, count) == count; }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    const std::vector<uint8_t>& Data() const { return FData; }
    std::vector<uint8_t>& Data() { return FData; }

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// Read-only view of bytes owned by someone else (clipboard blocks, fuzz inputs).
class TBorrowedStream : public TStream {
public:
    explicit TBorrowedStream(std::span<const uint8_t> bytes) : FData(bytes) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }

private:
    std::span<const uint8_t> FData;
    int64_t FPosition = 0;
};

class TFileStream : public TStream {
public:
    enum TMode { fmOpenRead, fmCreate };
    TFileStream(const std::filesystem::path& path, TMode mode);
    explicit TFileStream(std::FILE* adopted) : FFile(adopted) {}
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    // Flushes and closes; raises EStreamError when the data did not reach the file.
    void Close();

private:
    std::FILE* FFile = nullptr;
    int64_t FReadSize = -1; // a file opened for reading does not grow under us
};

// Little-endian helpers over byte buffers.
inline uint16_t GetLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
