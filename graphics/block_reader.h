#pragma once
// Reads a stream through one block buffer, so decoders that take a byte at a time do not call
// the stream per byte. Never reads past a limit (the end of the stream unless narrowed).

#include "pg_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

class TPGBlockReader {
public:
    static constexpr int64_t BlockSize = 64 * 1024;

    explicit TPGBlockReader(TStream& stream, int64_t limit = INT64_MAX)
        : FStream(stream), FLeft(std::min(stream.Remaining(), std::max<int64_t>(limit, 0))) {}

    // The next byte into b; false at the end.
    bool Get(uint8_t& b) {
        if (FPos == FEnd && !fill()) return false;
        b = FBuffer[FPos++];
        return true;
    }

    // Copies up to count bytes; answers how many (short only at the end).
    int64_t Read(uint8_t* dest, int64_t count) {
        int64_t done = 0;
        while (done < count) {
            if (FPos == FEnd) {
                if (count - done >= BlockSize) return done + direct(dest + done, count - done);
                if (!fill()) return done;
            }
            const int64_t n = std::min<int64_t>(count - done, static_cast<int64_t>(FEnd - FPos));
            std::memcpy(dest + done, FBuffer.data() + FPos, static_cast<size_t>(n));
            FPos += static_cast<size_t>(n);
            done += n;
        }
        return done;
    }

    // Bytes still to come before the limit, buffered or not.
    int64_t Remaining() const { return FLeft + static_cast<int64_t>(FEnd - FPos); }

private:
    bool fill() {
        const int64_t n = std::min(FLeft, BlockSize);
        if (n <= 0) return false;
        FBuffer.resize(static_cast<size_t>(BlockSize));
        const int64_t got = FStream.Read(FBuffer.data(), n);
        FLeft = got == n ? FLeft - n : 0;
        FPos = 0;
        FEnd = static_cast<size_t>(std::max<int64_t>(got, 0));
        return FEnd > 0;
    }

    int64_t direct(uint8_t* dest, int64_t count) {
        const int64_t got = std::max<int64_t>(FStream.Read(dest, std::min(count, FLeft)), 0);
        FLeft = got == std::min(count, FLeft) ? FLeft - got : 0;
        return got;
    }

    TStream& FStream;
    int64_t FLeft; // stream bytes not yet taken, up to the limit
    std::vector<uint8_t> FBuffer;
    size_t FPos = 0, FEnd = 0;
};
