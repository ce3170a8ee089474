#pragma once
// Names of the thumbnail files: the disk cache's own names and the names of the thumbnails
// shared with other desktop programs. Paths are hashed as their UTF-8 bytes, read unsigned.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// h = first byte, then h * 31 + byte for every further byte (32-bit wrap), low 27 bits kept.
uint32_t ThumbPathHash1(const QByteArray& path);
// The bytes, zero-padded in front to a multiple of 4, summed as little-endian words (32-bit
// wrap); the low half XOR the high half.
uint32_t ThumbPathHash2(const QByteArray& path);
// The modification time as days since 30 December 1899 with five decimals, without its first
// two characters and the point: 2024-01-01 12:00 UTC gives "29250000". Empty without a time.
QString ThumbDatePart(std::optional<int64_t> mtimeSeconds);

struct TThumbNameParts {
    int Width = 0; // the thumbnail box
    int Height = 0;
    std::optional<int64_t> MTime; // seconds since the epoch, UTC
    bool Jpeg = false;            // the cache file's format
    bool NoExtension = true;      // a one-letter suffix instead of ".jpg" or ".bmp"
};

// "~x" W "x" H "_" hash1 date "F" hash2 suffix: the box's both sides are in the name, so a box
// of another shape never reuses a thumbnail stretched to the old one.
QString ThumbCacheName(const QString& path, const TThumbNameParts& parts);
// Whether a file name has the form ThumbCacheName makes, so the cache may delete it.
bool IsThumbCacheName(const QString& fileName);

// "file://" and the path with every byte percent-encoded (upper-case hex) except letters,
// digits and /!$&'()*+,-.:=@_~.
QByteArray DesktopThumbUri(const QString& path);
// The lower-case MD5 hex of the URI and ".png".
QString DesktopThumbName(const QString& path);
