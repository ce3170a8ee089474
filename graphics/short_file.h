#pragma once
// How far an uncompressed file may fall short of the pixels its header declares. A truncated
// file keeps the rows it holds, but a header can claim any size from a few bytes: pixel memory
// is allocated only when the file holds at least an eighth of the raw pixel bytes, so a reader
// never asks for more than eight times the data that is there (plus row padding and the widening
// of the samples to the image's format).

#include <cstdint>

inline constexpr int64_t PGShortFileShare = 8;

// False also when the declared rows pass 64 bits.
inline bool PGFileHoldsEnough(int64_t rowBytes, int64_t rows, int64_t available) {
    if (rows > 0 && rowBytes > INT64_MAX / rows) return false;
    return available >= rowBytes * rows / PGShortFileShare;
}
